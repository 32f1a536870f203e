// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "propertyschema.h"

#include <QPointer>
#include <QWidget>

class Operation;
class QGridLayout;
class QLabel;
class QStringListModel;
class VariablesModel;

// Edits one step's settings. The rows come from the step's meta-object alone: one per property,
// its "prop_" label, an editor chosen by "editor_", and rows with a "show_when_" condition shown
// only while it holds. Every edit goes through the property's setter (QMetaProperty::write).
class PropertyPanel : public QWidget
{
    Q_OBJECT

public:
    // The description as the panel shows it: one of many lines cut to its first and last.
    static QString shownDescription(const QString& description);
    explicit PropertyPanel(QWidget* parent = nullptr);

    // Where variable-name and reference editors find the declared variables they offer.
    void setVariables(const VariablesModel* variables);
    // Where relative paths resolve: browsing starts there and a file chosen under it is written
    // as a path relative to it.
    void setWorkingFolder(const QString& folder);
    // The step to edit (not owned; null for none). Rebuilds every row.
    void setOperation(Operation* op);
    Operation* operation() const;

    int rowCount() const { return m_rows.size(); }
    const PropertySpec& desc(int row) const { return m_rows.at(row).desc; }
    QLabel* label(int row) const { return m_rows.at(row).label; }
    // The widget holding the value: a QLineEdit, QPlainTextEdit, QComboBox, QSpinBox or QCheckBox.
    QWidget* editor(int row) const { return m_rows.at(row).editor; }
    // The button next to a path editor; null for other rows.
    QWidget* browseButton(int row) const { return m_rows.at(row).browse; }
    int rowOf(const QString& name) const;
    bool isRowShown(int row) const;
    // The names of the rows shown now, in property order.
    QStringList shownProperties() const;
    // Why a row's text will not work as it stands (an undeclared variable, one of the wrong
    // type); empty when it will.
    QString problem(int row) const;
    // A chosen path as a setting holds it: relative to the folder when it lies under it.
    static QString pathUnder(const QString& folder, const QString& path);
    // The variable names a row's editor offers to complete.
    QStringList completions(int row) const;

signals:
    // A setting was written; name is the property's.
    void settingChanged(const QString& name);

private:
    struct Row {
        PropertySpec desc;
        QLabel* label = nullptr;
        QWidget* field = nullptr; // what the layout holds: the editor, or it with its button
        QWidget* editor = nullptr;
        QWidget* browse = nullptr;
        QStringListModel* completions = nullptr;
    };

    void clearRows();
    Row makeRow(const PropertySpec& desc);
    QWidget* makeLineEditor(Row& row);
    QWidget* makeMultiFileEditor(Row& row);
    QWidget* makeComboEditor(Row& row);
    QWidget* makeSpinEditor(Row& row);
    QWidget* makeCheckEditor(Row& row);
    void addBrowseButton(Row& row, QWidget* edit);
    void browse(const PropertySpec& desc, QWidget* edit);
    QString pathForSetting(const QString& path) const;
    void write(const PropertySpec& desc, const QVariant& value);
    void variablesChanged();
    void updateShownRows();
    void updateCompletions();
    void updateMarks();
    void updateHeader();

    QPointer<Operation> m_op;
    QPointer<const VariablesModel> m_variables;
    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_description = nullptr;
    QWidget* m_form = nullptr;
    QGridLayout* m_grid = nullptr;
    QList<Row> m_rows;
    QString m_workingFolder;
};
