// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "propertypanel.h"

#include "flowcheck.h"
#include "rangedspinbox.h"
#include "svgicon.h"
#include "variablesmodel.h"

#include <operation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// Editors that name variables offer them: plain names where the setting is a name, "$name"
// where it is a reference.
bool offersVariables(EditorKind kind)
{
    return kind == EditorKind::VarName || kind == EditorKind::VarRef ||
           kind == EditorKind::NumVarInt;
}

} // namespace

PropertyPanel::PropertyPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    m_icon = new QLabel(this);
    m_title = new QLabel(this);
    header->addWidget(m_icon);
    header->addWidget(m_title, 1);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    m_title->setFont(titleFont);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_description->setForegroundRole(QPalette::PlaceholderText);
    layout->addLayout(header);
    layout->addWidget(m_description);
    clearRows();
    layout->addStretch();
    updateHeader();
}

void PropertyPanel::setVariables(const VariablesModel* variables)
{
    if (m_variables)
        disconnect(m_variables, nullptr, this, nullptr);
    m_variables = variables;
    if (variables) {
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(variables, signal, this, &PropertyPanel::variablesChanged);
        connect(variables, &QAbstractItemModel::dataChanged, this,
                &PropertyPanel::variablesChanged);
        connect(variables, &QAbstractItemModel::modelReset, this, &PropertyPanel::variablesChanged);
    }
    variablesChanged();
}

void PropertyPanel::setWorkingFolder(const QString& folder)
{
    m_workingFolder = folder;
}

void PropertyPanel::variablesChanged()
{
    updateCompletions();
    updateMarks();
}

void PropertyPanel::setOperation(Operation* op)
{
    clearRows();
    m_op = op;
    if (op) {
        for (const PropertySpec& desc : propertySpecs(*op)) {
            Row row = makeRow(desc);
            const int line = m_rows.size();
            // A label stays level with a one-line editor and at the top of a taller one.
            m_grid->addWidget(row.label, line, 0,
                              desc.editor == EditorKind::MultiFile ? Qt::AlignTop
                                                                   : Qt::AlignVCenter);
            m_grid->addWidget(row.field, line, 1);
            m_rows.append(row);
        }
    }
    updateShownRows();
    variablesChanged();
    updateHeader();
}

Operation* PropertyPanel::operation() const
{
    return m_op;
}

int PropertyPanel::rowOf(const QString& name) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).desc.name == name)
            return i;
    }
    return -1;
}

bool PropertyPanel::isRowShown(int row) const
{
    return !m_rows.at(row).field->isHidden();
}

QStringList PropertyPanel::shownProperties() const
{
    QStringList names;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (isRowShown(i))
            names.append(m_rows.at(i).desc.name);
    }
    return names;
}

QString PropertyPanel::problem(int row) const
{
    return m_rows.at(row).editor->toolTip();
}

QStringList PropertyPanel::completions(int row) const
{
    const QStringListModel* model = m_rows.at(row).completions;
    return model ? model->stringList() : QStringList();
}

void PropertyPanel::clearRows()
{
    // A fresh form widget takes every row's widgets with the old one.
    delete m_form;
    m_rows.clear();
    m_form = new QWidget(this);
    m_grid = new QGridLayout(m_form);
    m_grid->setContentsMargins(0, 0, 0, 0);
    // Labels take at most a third of the width and wrap; the fields take the rest.
    m_grid->setColumnStretch(0, 1);
    m_grid->setColumnStretch(1, 2);
    static_cast<QVBoxLayout*>(layout())->insertWidget(2, m_form);
}

PropertyPanel::Row PropertyPanel::makeRow(const PropertySpec& desc)
{
    Row row;
    row.desc = desc;
    row.label = new QLabel(desc.label, m_form);
    row.label->setWordWrap(true);
    row.label->setToolTip(desc.name);
    switch (desc.editor) {
    case EditorKind::MultiFile:
        row.field = makeMultiFileEditor(row);
        break;
    case EditorKind::Combo:
        row.field = makeComboEditor(row);
        break;
    case EditorKind::SpinBox:
        row.field = makeSpinEditor(row);
        break;
    case EditorKind::CheckBox:
        row.field = makeCheckEditor(row);
        break;
    default:
        row.field = makeLineEditor(row);
        break;
    }
    row.label->setBuddy(row.editor);
    return row;
}

QWidget* PropertyPanel::makeLineEditor(Row& row)
{
    auto* edit = new QLineEdit(row.desc.property.read(m_op).toString(), m_form);
    row.editor = edit;
    if (offersVariables(row.desc.editor)) {
        row.completions = new QStringListModel(edit);
        auto* completer = new QCompleter(row.completions, edit);
        completer->setCaseSensitivity(Qt::CaseSensitive);
        edit->setCompleter(completer);
    }
    // textChanged, not textEdited: a completion the user picks is set with setText.
    const PropertySpec desc = row.desc;
    connect(edit, &QLineEdit::textChanged, this,
            [this, desc](const QString& text) { write(desc, text); });
    if (row.desc.editor != EditorKind::FilePath && row.desc.editor != EditorKind::FolderPath)
        return edit;
    addBrowseButton(row, edit);
    return row.browse->parentWidget();
}

QWidget* PropertyPanel::makeMultiFileEditor(Row& row)
{
    auto* edit = new QPlainTextEdit(m_form);
    edit->setPlainText(row.desc.property.read(m_op).toString());
    edit->setTabChangesFocus(true);
    // One path a line: a long one scrolls rather than wraps into what looks like two.
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 4 + 12);
    row.editor = edit;
    const PropertySpec desc = row.desc;
    connect(edit, &QPlainTextEdit::textChanged, this,
            [this, desc, edit]() { write(desc, edit->toPlainText()); });
    addBrowseButton(row, edit);
    return row.browse->parentWidget();
}

QWidget* PropertyPanel::makeComboEditor(Row& row)
{
    auto* combo = new QComboBox(m_form);
    // A long choice is cut in the closed box (the list shows it whole), so the panel stays narrow.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(8);
    combo->addItems(row.desc.choices);
    // A stored index outside the choices shows as no choice and stays stored as it is.
    combo->setCurrentIndex(row.desc.property.read(m_op).toInt());
    row.editor = combo;
    const PropertySpec desc = row.desc;
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this, desc](int index) {
                if (index >= 0)
                    write(desc, index);
            });
    return combo;
}

QWidget* PropertyPanel::makeSpinEditor(Row& row)
{
    auto* spin = new RangedSpinBox(m_form);
    spin->setRange(row.desc.minimum, row.desc.maximum);
    spin->setValue(row.desc.property.read(m_op).toInt());
    row.editor = spin;
    const PropertySpec desc = row.desc;
    connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this, desc](int value) { write(desc, value); });
    return spin;
}

QWidget* PropertyPanel::makeCheckEditor(Row& row)
{
    auto* check = new QCheckBox(m_form);
    check->setChecked(row.desc.property.read(m_op).toBool());
    row.editor = check;
    const PropertySpec desc = row.desc;
    connect(check, &QCheckBox::toggled, this, [this, desc](bool on) { write(desc, on); });
    return check;
}

void PropertyPanel::addBrowseButton(Row& row, QWidget* edit)
{
    auto* field = new QWidget(m_form);
    auto* layout = new QHBoxLayout(field);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(field);
    // Level with the label above all: a taller neighbour in the row must not centre it.
    layout->addWidget(edit, 1, Qt::AlignTop);
    auto* button = new QToolButton(field);
    button->setText(QStringLiteral("…"));
    button->setToolTip(row.desc.editor == EditorKind::FolderPath  ? tr("Choose a folder")
                       : row.desc.editor == EditorKind::MultiFile ? tr("Add files")
                                                                  : tr("Choose a file"));
    layout->addWidget(button, 0, Qt::AlignTop);
    row.browse = button;
    const PropertySpec desc = row.desc;
    connect(button, &QToolButton::clicked, this, [this, desc, edit]() { browse(desc, edit); });
}

void PropertyPanel::browse(const PropertySpec& desc, QWidget* edit)
{
    const QDir folder(m_workingFolder);
    if (auto* lines = qobject_cast<QPlainTextEdit*>(edit)) {
        const QStringList files = QFileDialog::getOpenFileNames(this, desc.label, folder.path());
        for (const QString& file : files)
            lines->appendPlainText(pathForSetting(file));
        return;
    }
    auto* line = static_cast<QLineEdit*>(edit);
    const QString current = folder.absoluteFilePath(line->text());
    const QString start = QFileInfo(current).absolutePath();
    QString chosen;
    if (desc.editor == EditorKind::FolderPath) {
        chosen = QFileDialog::getExistingDirectory(this, desc.label, current);
    } else {
        // The same editor names files to read and files to write: accept a new name too.
        QFileDialog dialog(this, desc.label, start);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.selectedFiles().value(0);
    }
    if (!chosen.isEmpty())
        line->setText(pathForSetting(chosen));
}

QString PropertyPanel::pathForSetting(const QString& path) const
{
    return pathUnder(m_workingFolder, path);
}

QString PropertyPanel::pathUnder(const QString& folder, const QString& path)
{
    // A flow that names its files relative to its working folder carries to another machine.
    if (folder.isEmpty())
        return path;
    const QString relative = QDir(folder).relativeFilePath(path);
    const bool outside =
        relative == QLatin1String("..") || relative.startsWith(QLatin1String("../"));
    return outside ? path : relative;
}

void PropertyPanel::write(const PropertySpec& desc, const QVariant& value)
{
    if (!m_op)
        return;
    desc.property.write(m_op, value);
    if (desc.property.userType() == QMetaType::Int)
        updateShownRows();
    updateMarks();
    updateHeader();
    emit settingChanged(desc.name);
}

void PropertyPanel::updateShownRows()
{
    for (const Row& row : qAsConst(m_rows)) {
        const bool shown = settingShown(*m_op, row.desc);
        row.label->setVisible(shown);
        row.field->setVisible(shown);
    }
}

void PropertyPanel::updateCompletions()
{
    for (const Row& row : qAsConst(m_rows)) {
        if (!row.completions)
            continue;
        QStringList names =
            m_variables ? m_variables->names(row.desc.variableTypes) : QStringList();
        if (row.desc.editor != EditorKind::VarName) {
            for (QString& name : names)
                name.prepend(QLatin1Char('$'));
        }
        row.completions->setStringList(names);
    }
}

void PropertyPanel::updateMarks()
{
    const QList<FlowVariable> variables =
        m_variables ? m_variables->variables() : QList<FlowVariable>();
    for (const Row& row : qAsConst(m_rows)) {
        if (row.desc.property.userType() != QMetaType::QString)
            continue;
        markProblem(row.editor, FlowCheck::settingProblem(
                                    row.desc, row.desc.property.read(m_op).toString(), variables));
    }
}

namespace
{

const int shownDescriptionLines = 4;

} // namespace

void PropertyPanel::updateHeader()
{
    if (!m_op) {
        m_icon->clear();
        m_title->setText(tr("No step selected"));
        m_description->clear();
        return;
    }
    m_icon->setPixmap(svgIcon(m_op->icon()).pixmap(32, 32));
    m_title->setText(m_op->typeName());
    m_description->setText(shownDescription(m_op->description()));
}

QString PropertyPanel::shownDescription(const QString& description)
{
    // A step's description holds its file lists whole; thousands of lines would push its settings
    // out of sight. The first and the last line tell how it starts and where it goes.
    const QStringList lines = description.split(QLatin1Char('\n'));
    if (lines.size() <= shownDescriptionLines)
        return description;
    return tr("%1\n… %n more line(s) …\n%2", nullptr, lines.size() - 2)
        .arg(lines.first(), lines.last());
}
