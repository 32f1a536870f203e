// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowview.h"

#include "flowmodel.h"

#include <QDragEnterEvent>
#include <QMimeData>

FlowView::FlowView(QWidget* parent) : QListView(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

bool FlowView::accepts(const QMimeData* data) const
{
    return data->hasFormat(FlowModel::stepTypeMime) || data->hasFormat(FlowModel::stepRowMime);
}

int FlowView::dropRow(const QPoint& position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return model()->rowCount();
    // The lower half of a row drops after it.
    const QRect rect = visualRect(index);
    return position.y() > rect.center().y() ? index.row() + 1 : index.row();
}

void FlowView::dragEnterEvent(QDragEnterEvent* event)
{
    if (accepts(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FlowView::dragMoveEvent(QDragMoveEvent* event)
{
    // The base class draws the drop indicator between the rows.
    QListView::dragMoveEvent(event);
    if (accepts(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FlowView::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const int row = dropRow(event->position().toPoint());
#else
    const int row = dropRow(event->pos());
#endif
    if (data->hasFormat(FlowModel::stepTypeMime)) {
        emit typeDropped(QString::fromUtf8(data->data(FlowModel::stepTypeMime)), row);
    } else if (data->hasFormat(FlowModel::stepRowMime)) {
        emit stepDropped(data->data(FlowModel::stepRowMime).toInt(), row);
    } else {
        event->ignore();
        return;
    }
    // A copy as far as the drag knows: the window has made the move, nothing is to be removed.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}
