// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "hostcore_export.h"
#include "vartype.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// The variables of one running flow. Each name has a declared type (Undeclared when a step
// set it without a declaration) and a value.
class HOSTCORE_EXPORT VariableScope
{
public:
    void declare(const QString& name, VarType type, const QVariant& value = QVariant());
    QVariant get(const QString& name) const;
    void set(const QString& name, const QVariant& value);
    VarType typeOf(const QString& name) const;
    bool contains(const QString& name) const;
    QStringList names() const;

private:
    struct Variable {
        VarType type = VarType::Undeclared;
        QVariant value;
    };
    QMap<QString, Variable> m_variables;
};
