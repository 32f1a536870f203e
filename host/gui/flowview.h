// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QListView>

// The flow's steps as a list that takes step types dragged from the palette and steps dragged
// within it. It changes nothing itself: it says what was dropped where, and the window makes the
// change (so that it can be undone).
class FlowView : public QListView
{
    Q_OBJECT

public:
    explicit FlowView(QWidget* parent = nullptr);

signals:
    // A step of the type is to be inserted at row (the row count appends).
    void typeDropped(const QString& type, int row);
    // The step at from is to go before the step now at row (the row count: to the end).
    void stepDropped(int from, int row);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepts(const QMimeData* data) const;
    int dropRow(const QPoint& position) const;
};
