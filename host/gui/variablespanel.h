// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QAbstractItemView>
#include <QWidget>

class QLabel;
class QTableView;
class VariablesModel;

// The flow's declared variables in a table (name, type, value), with buttons to add and remove.
class VariablesPanel : public QWidget
{
    Q_OBJECT

public:
    explicit VariablesPanel(VariablesModel* model, QWidget* parent = nullptr);

    QTableView* view() const { return m_view; }
    // The reason the last edit was refused; hidden once an edit is taken.
    QLabel* refusal() const { return m_refusal; }
    // Whether the variables may be changed; they may always be looked at and selected.
    void setEditable(bool editable);

private:
    void addVariable();
    void removeSelected();

    VariablesModel* m_model;
    QTableView* m_view;
    QLabel* m_refusal;
    QList<QWidget*> m_buttons;
    QAbstractItemView::EditTriggers m_editTriggers;
};
