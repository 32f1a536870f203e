// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowmodel.h"

#include "flowcheck.h"
#include "operationprops.h"
#include "pluginhost.h"
#include "svgicon.h"
#include "variablesmodel.h"

#include <operation.h>

#include <QApplication>
#include <QLocale>
#include <QMimeData>
#include <QStyle>

#include <memory>

namespace
{

// A file list of more lines than this is told by its count and its first names.
const int listedFiles = 2;

} // namespace

const QString FlowModel::stepTypeMime = QStringLiteral("application/x-stephost-step-type");
const QString FlowModel::stepRowMime = QStringLiteral("application/x-stephost-step-row");

FlowModel::FlowModel(const PluginHost& host, QObject* parent)
    : QAbstractListModel(parent), m_host(host)
{
}

FlowModel::~FlowModel()
{
    qDeleteAll(m_steps);
}

int FlowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_steps.size();
}

QVariant FlowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_steps.size())
        return QVariant();
    const int row = index.row();
    const Operation* op = m_steps.at(row);
    switch (role) {
    case Qt::DisplayRole:
        return tr("%1. %2 — %3").arg(index.row() + 1).arg(op->typeName(), shownDescription(row));
    case Qt::ToolTipRole:
        return (QStringList{shownDescription(row)} + problems(index.row()) +
                planProblems(index.row()))
            .join(QLatin1Char('\n'));
    case Qt::DecorationRole:
        if (!problems(index.row()).isEmpty() || !planProblems(index.row()).isEmpty())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return svgIcon(op->icon());
    case TypeIdRole:
        return op->typeId();
    default:
        return QVariant();
    }
}

Qt::ItemFlags FlowModel::flags(const QModelIndex& index) const
{
    return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList FlowModel::mimeTypes() const
{
    return {stepTypeMime, stepRowMime};
}

QMimeData* FlowModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(stepRowMime, QByteArray::number(indexes.first().row()));
    return data;
}

Qt::DropActions FlowModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

void FlowModel::setVariables(const VariablesModel* variables)
{
    m_variables = variables;
    stepsChanged();
}

QStringList FlowModel::problems(int row) const
{
    const Operation* op = step(row);
    if (!op || !m_variables)
        return {};
    return FlowCheck::stepProblems(*op, m_variables->variables());
}

QString FlowModel::elidedFileList(const QString& files)
{
    const QStringList lines = files.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() <= 1)
        return files;
    if (lines.size() <= listedFiles)
        return lines.join(QStringLiteral(", "));
    return tr("%1 files: %2, …")
        .arg(QLocale().toString(lines.size()), lines.mid(0, 2).join(QStringLiteral(", ")));
}

QString FlowModel::shownDescription(int row) const
{
    const Operation* op = m_steps.at(row);
    // The step tells itself with its long lists cut short, so that a row stays one line.
    QVariantMap settings = settingValues(*op);
    bool shortened = false;
    for (const PropertySpec& desc : propertySpecs(*op)) {
        if (desc.editor != EditorKind::MultiFile)
            continue;
        const QString files = settings.value(desc.name).toString();
        const QString elided = elidedFileList(files);
        if (elided != files) {
            settings.insert(desc.name, elided);
            shortened = true;
        }
    }
    if (!shortened)
        return op->description();
    const std::unique_ptr<Operation> shown(m_host.createStep({op->typeId(), settings}));
    return shown ? shown->description() : op->description();
}

void FlowModel::setPlanProblems(const QHash<int, QStringList>& problems)
{
    if (problems == m_planProblems)
        return;
    m_planProblems = problems;
    stepsChanged();
}

void FlowModel::stepsChanged()
{
    if (!m_steps.isEmpty())
        emit dataChanged(index(0), index(m_steps.size() - 1));
}

Operation* FlowModel::step(int row) const
{
    return row >= 0 && row < m_steps.size() ? m_steps.at(row) : nullptr;
}

int FlowModel::rowOf(const Operation* step) const
{
    return m_steps.indexOf(const_cast<Operation*>(step));
}

int FlowModel::addStep(const QString& type, int row)
{
    const Operation* prototype = m_host.prototype(type);
    if (!prototype)
        return -1;
    if (row < 0 || row > m_steps.size())
        row = m_steps.size();
    beginInsertRows(QModelIndex(), row, row);
    m_steps.insert(row, prototype->clone(nullptr));
    endInsertRows();
    return row;
}

void FlowModel::removeStep(int row)
{
    if (row < 0 || row >= m_steps.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    Operation* removed = m_steps.takeAt(row);
    endRemoveRows();
    delete removed;
}

bool FlowModel::moveStep(int from, int to)
{
    if (from < 0 || from >= m_steps.size() || to < 0 || to >= m_steps.size() || from == to)
        return false;
    // Qt counts the destination before the move: moving down lands before the row after it.
    const int destination = to > from ? to + 1 : to;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination);
    m_steps.move(from, to);
    endMoveRows();
    return true;
}

QList<FlowStep> FlowModel::flowSteps() const
{
    QList<FlowStep> steps;
    for (const Operation* op : m_steps)
        steps.append({op->typeId(), settingValues(*op), op->carriedState()});
    return steps;
}

void FlowModel::setFlowSteps(const QList<FlowStep>& steps)
{
    beginResetModel();
    qDeleteAll(m_steps);
    m_steps.clear();
    for (const FlowStep& step : steps) {
        if (Operation* op = m_host.createStep(step))
            m_steps.append(op);
    }
    endResetModel();
}
