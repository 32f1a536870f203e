#include "flowmodel.h"

#include "operationprops.h"
#include "pluginhost.h"
#include "svgicon.h"

#include <operation.h>

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
    const Operation* op = m_steps.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return op->toString();
    case Qt::ToolTipRole:
        return op->description();
    case Qt::DecorationRole:
        return svgIcon(op->icon());
    case TypeIdRole:
        return op->typeId();
    default:
        return QVariant();
    }
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

void FlowModel::stepChanged(int row)
{
    if (row < 0 || row >= m_steps.size())
        return;
    emit dataChanged(index(row), index(row));
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
