// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "hostcore_export.h"

#include <QList>
#include <QObject>
#include <QString>

class QDataStream;
class VariableScope;

// One step of a flow. The host clones a prototype for every step the user adds, hands it the
// flow's variables with setVariableScope() and calls doOperation() to run it.
class HOSTCORE_EXPORT Operation : public QObject
{
    Q_OBJECT
public:
    explicit Operation(QObject* parent = nullptr);
    ~Operation() override;

    virtual QString root() const = 0;
    virtual QString typeId() const = 0;
    virtual QString typeName() const = 0;
    virtual QString icon() const = 0;
    virtual void doOperation() const = 0;
    // The base payload is carriedState; steps append their settings after it.
    virtual void saveOperation(QDataStream& out) const;
    virtual void loadOperation(QDataStream& in);
    virtual QString toString() const = 0;
    virtual QString description() const = 0;
    virtual Operation* clone(QObject* parent) const = 0;

    bool isContainer() const;
    int childCount() const;
    Operation* childAt(int index) const;
    QList<Operation*>& children();
    Operation* parentOperation() const;
    void setParentOperation(Operation* parent);

    void setVariableScope(VariableScope* scope);
    VariableScope* variableScope() const;

    quint32 carriedState() const;
    void setCarriedState(quint32 state);

private:
    QList<Operation*> m_children;
    Operation* m_parentOperation = nullptr;
    VariableScope* m_scope = nullptr;
    quint32 m_carriedState = 0;
};
