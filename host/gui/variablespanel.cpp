#include "variablespanel.h"

#include "variablesmodel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
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
        combo->addItems(VariablesModel::typeWords());
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

} // namespace

VariablesPanel::VariablesPanel(VariablesModel* model, QWidget* parent)
    : QWidget(parent), m_model(model), m_view(new QTableView(this))
{
    m_view->setModel(model);
    m_view->setItemDelegateForColumn(VariablesModel::TypeColumn, new TypeDelegate(m_view));
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

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
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
