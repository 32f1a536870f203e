// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QAbstractTableModel>

// The flow's declared variables as the variables panel edits them: name, type and value. Values
// are kept as QVariants so a flow read from a file is written back unchanged; the value column
// shows and takes a string variable's text as it is, any other value as JSON. A name or value that
// does not fit is refused with the reason; the type column shows the type's name for people and
// edits its type word.
class VariablesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, TypeColumn, ValueColumn, ColumnCount };

    explicit VariablesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QList<FlowVariable>& variables() const { return m_variables; }
    void setVariables(const QList<FlowVariable>& variables);
    // Appends a variable with a name no other one has ("var1", "var2", ...); returns its row.
    int addVariable(VarType type = VarType::String);
    void removeVariable(int row);
    // Names of the variables declared with one of the type words, in table order.
    QStringList names(const QStringList& typeWords) const;

    // The value a typed text stands for in a variable of the type: empty text is no value; a
    // string takes the text as it is; any other type reads it as JSON and keeps the text as a
    // string when it is not JSON (setData refuses such text for a declared type).
    static QVariant valueFromText(VarType type, const QString& text);
    // The text valueFromText reads back as the same value.
    static QString textFromValue(VarType type, const QVariant& value);
    // The type words a variable can be declared with, "undeclared" first.
    static QStringList typeWords();
    // The type as the window names it to people.
    static QString typeLabel(VarType type);
    // The text cut after length characters, with "…" where it was cut.
    static QString elided(const QString& text, int length);
    // Why the text cannot be set in the cell; empty when it can.
    QString editProblem(const QModelIndex& index, const QString& text) const;

signals:
    // setData refused a text; reason says why, in words for the user.
    void editRefused(const QString& reason);

private:
    QVariant valueData(const FlowVariable& variable, int role) const;

    QList<FlowVariable> m_variables;
};
