// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "variablespanel.h"

#include "flowcheck.h"
#include "variablesmodel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace
{

// The type column is chosen from the type words, never typed.
class TypeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override
    {
        auto* combo = new QComboBox(parent);
        for (const QString& word : VariablesModel::typeWords()) {
            VarType type;
            varTypeFromWord(word, &type);
            combo->addItem(VariablesModel::typeLabel(type), word);
        }
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(combo->findData(index.data(Qt::EditRole)));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentData());
    }
};

// Names and values are checked as they are typed: the field turns red and says why.
class CheckedTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        const auto* model = qobject_cast<const VariablesModel*>(index.model());
        if (!line || !model)
            return editor;
        const QPersistentModelIndex cell(index);
        connect(line, &QLineEdit::textChanged, line, [line, model, cell](const QString& text) {
            markProblem(line, cell.isValid() ? model->editProblem(cell, text) : QString());
        });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && m_refusedCell.isValid() && index == m_refusedCell) {
            m_refusedCell = QPersistentModelIndex();
            line->setText(m_refusedText);
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    // A refused text is not thrown away: the cell opens again with it, marked, to be corrected
    // (Escape leaves the value as it was).
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        const auto* variables = qobject_cast<const VariablesModel*>(model);
        auto* view = qobject_cast<QAbstractItemView*>(parent());
        if (line && variables && view && !variables->editProblem(index, line->text()).isEmpty()) {
            m_refusedCell = index;
            m_refusedText = line->text();
            const QPersistentModelIndex cell(index);
            // Queued: the view is still closing this editor.
            QMetaObject::invokeMethod(
                view,
                [this, view, cell]() {
                    if (!cell.isValid() ||
                        view->editTriggers() == QAbstractItemView::NoEditTriggers) {
                        m_refusedCell = QPersistentModelIndex();
                        return;
                    }
                    view->setCurrentIndex(cell);
                    view->edit(cell);
                },
                Qt::QueuedConnection);
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    mutable QPersistentModelIndex m_refusedCell;
    mutable QString m_refusedText;
};

} // namespace

VariablesPanel::VariablesPanel(VariablesModel* model, QWidget* parent)
    : QWidget(parent), m_model(model), m_view(new QTableView(this))
{
    m_view->setModel(model);
    m_view->setItemDelegateForColumn(VariablesModel::TypeColumn, new TypeDelegate(m_view));
    for (int column : {VariablesModel::NameColumn, VariablesModel::ValueColumn})
        m_view->setItemDelegateForColumn(column, new CheckedTextDelegate(m_view));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setToolTip(tr("A string takes its text as typed; other values are JSON, for "
                          "example [\"a.txt\", \"b.txt\"] for a list or [[\"1\", \"2\"]] for a "
                          "data table"));
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);

    auto* add = new QPushButton(tr("Add"), this);
    auto* remove = new QPushButton(tr("Remove"), this);
    connect(add, &QPushButton::clicked, this, &VariablesPanel::addVariable);
    connect(remove, &QPushButton::clicked, this, &VariablesPanel::removeSelected);
    m_buttons = {add, remove};
    m_editTriggers = m_view->editTriggers();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    // Why the last edit was refused, until the next edit is taken.
    m_refusal = new QLabel(this);
    m_refusal->setWordWrap(true);
    m_refusal->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_refusal->hide();
    connect(model, &VariablesModel::editRefused, this, [this](const QString& reason) {
        m_refusal->setText(tr("Not taken: %1").arg(reason));
        m_refusal->show();
    });
    connect(model, &QAbstractItemModel::dataChanged, m_refusal, &QWidget::hide);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    layout->addWidget(m_refusal);
    layout->addLayout(buttons);
}

void VariablesPanel::setEditable(bool editable)
{
    m_view->setEditTriggers(editable ? m_editTriggers : QAbstractItemView::NoEditTriggers);
    for (QWidget* button : qAsConst(m_buttons))
        button->setEnabled(editable);
}

void VariablesPanel::addVariable()
{
    const int row = m_model->addVariable();
    const QModelIndex name = m_model->index(row, VariablesModel::NameColumn);
    m_view->setCurrentIndex(name);
    m_view->edit(name);
}

void VariablesPanel::removeSelected()
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        m_model->removeVariable(current.row());
}
