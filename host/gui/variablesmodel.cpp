// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "variablesmodel.h"

#include "flowcheck.h"
#include "jsonvalue.h"

#include <QBrush>

#include <QJsonArray>
#include <QJsonDocument>

VariablesModel::VariablesModel(QObject* parent) : QAbstractTableModel(parent)
{
}

int VariablesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_variables.size();
}

int VariablesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

namespace
{

// A long value is cut in its tool tip too: the whole of a big table is in the saved flow.
const int toolTipLength = 2000;

} // namespace

QVariant VariablesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const FlowVariable& variable = m_variables.at(index.row());
    switch (index.column()) {
    case NameColumn:
        return role == Qt::DisplayRole || role == Qt::EditRole ? variable.name : QVariant();
    case TypeColumn:
        if (role == Qt::EditRole)
            return varTypeWord(variable.type);
        return role == Qt::DisplayRole ? typeLabel(variable.type) : QVariant();
    default:
        return valueData(variable, role);
    }
}

QVariant VariablesModel::valueData(const FlowVariable& variable, int role) const
{
    const QString text = textFromValue(variable.type, variable.value);
    // A flow read from a file may hold a value its type cannot take: it is marked, not changed.
    const QString problem = FlowCheck::valueProblem(variable.type, text);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text;
    case Qt::ToolTipRole:
        return problem.isEmpty() ? elided(text, toolTipLength) : problem;
    case Qt::ForegroundRole:
        return problem.isEmpty() ? QVariant() : QBrush(Qt::red);
    default:
        return QVariant();
    }
}

QVariant VariablesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return tr("Name");
    case TypeColumn:
        return tr("Type");
    default:
        return tr("Value");
    }
}

bool VariablesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QString problem = editProblem(index, value.toString());
    if (!problem.isEmpty()) {
        emit editRefused(problem);
        return false;
    }
    FlowVariable& variable = m_variables[index.row()];
    const QString text = value.toString();
    switch (index.column()) {
    case NameColumn:
        variable.name = text;
        break;
    case TypeColumn: {
        // The value's text stays what the user sees; it is read again for the new type.
        const QString shown = textFromValue(variable.type, variable.value);
        varTypeFromWord(text, &variable.type);
        variable.value = valueFromText(variable.type, shown);
        break;
    }
    default:
        variable.value = valueFromText(variable.type, text);
        break;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    return true;
}

QString VariablesModel::editProblem(const QModelIndex& index, const QString& text) const
{
    const FlowVariable& variable = m_variables.at(index.row());
    switch (index.column()) {
    case NameColumn: {
        // A name is a key of the flow: an empty or taken one would lose a variable on saving.
        QStringList others = names(typeWords());
        others.removeAt(index.row());
        return FlowCheck::nameProblem(text, others);
    }
    case TypeColumn: {
        VarType type;
        if (!varTypeFromWord(text, &type))
            return tr("unknown type \"%1\"").arg(text);
        return FlowCheck::valueProblem(type, textFromValue(variable.type, variable.value));
    }
    default:
        return FlowCheck::valueProblem(variable.type, text);
    }
}

Qt::ItemFlags VariablesModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

void VariablesModel::setVariables(const QList<FlowVariable>& variables)
{
    beginResetModel();
    m_variables = variables;
    endResetModel();
}

int VariablesModel::addVariable(VarType type)
{
    const QStringList taken = names(typeWords());
    int number = 1;
    while (taken.contains(QStringLiteral("var%1").arg(number)))
        ++number;
    const int row = m_variables.size();
    beginInsertRows(QModelIndex(), row, row);
    m_variables.append({QStringLiteral("var%1").arg(number), type, QVariant()});
    endInsertRows();
    return row;
}

void VariablesModel::removeVariable(int row)
{
    if (row < 0 || row >= m_variables.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_variables.removeAt(row);
    endRemoveRows();
}

QStringList VariablesModel::names(const QStringList& words) const
{
    QStringList result;
    for (const FlowVariable& variable : m_variables) {
        if (words.contains(varTypeWord(variable.type)))
            result.append(variable.name);
    }
    return result;
}

QVariant VariablesModel::valueFromText(VarType type, const QString& text)
{
    if (text.isEmpty())
        return QVariant();
    if (type == VarType::String)
        return text;
    // Wrapped in an array so a bare number, string or true/false reads as JSON too.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson("[" + text.toUtf8() + "]", &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        return text;
    return jsonToVariant(document.array().at(0));
}

QString VariablesModel::textFromValue(VarType type, const QVariant& value)
{
    if (!value.isValid())
        return QString();
    if (type == VarType::String && value.userType() == QMetaType::QString)
        return value.toString();
    const QByteArray json =
        QJsonDocument(QJsonArray{QJsonValue::fromVariant(value)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2)); // without the wrapping brackets
}

QString VariablesModel::typeLabel(VarType type)
{
    struct TypeLabel {
        VarType type;
        const char* label;
    };
    static const TypeLabel labels[] = {
        {VarType::Undeclared, QT_TR_NOOP("undeclared")},
        {VarType::String, QT_TR_NOOP("text")},
        {VarType::Number, QT_TR_NOOP("number")},
        {VarType::Bool, QT_TR_NOOP("boolean")},
        {VarType::List, QT_TR_NOOP("list")},
        {VarType::DataTable, QT_TR_NOOP("data table")},
        {VarType::Object, QT_TR_NOOP("object")},
    };
    for (const TypeLabel& entry : labels) {
        if (entry.type == type)
            return tr(entry.label);
    }
    return varTypeWord(type);
}

QString VariablesModel::elided(const QString& text, int length)
{
    return text.size() > length ? text.left(length) + QStringLiteral("…") : text;
}

QStringList VariablesModel::typeWords()
{
    QStringList words;
    for (VarType type : {VarType::Undeclared, VarType::String, VarType::Number, VarType::Bool,
                         VarType::List, VarType::DataTable, VarType::Object})
        words.append(varTypeWord(type));
    return words;
}
