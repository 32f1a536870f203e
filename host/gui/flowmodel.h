// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QAbstractListModel>
#include <QHash>

class Operation;
class PluginHost;
class VariablesModel;

// The steps of the flow being edited, in run order. Each row is a step the model owns, a clone of
// its type's prototype; it shows its number, name and description(), and a warning sign with the
// reasons in its tool tip while a setting will not work as meant or the plan shows trouble in it.
class FlowModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { TypeIdRole = Qt::UserRole + 1 };
    // What a drag carries: a step type from the palette, a step's row within the flow.
    static const QString stepTypeMime;
    static const QString stepRowMime;

    explicit FlowModel(const PluginHost& host, QObject* parent = nullptr);
    ~FlowModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;

    // The variables settings are checked against.
    void setVariables(const VariablesModel* variables);
    // Why the step at row will not run as meant, one "label: reason" each.
    QStringList problems(int row) const;
    // What the latest plan shows of each step (by 1-based number), beside the settings' problems.
    void setPlanProblems(const QHash<int, QStringList>& problems);
    QStringList planProblems(int row) const { return m_planProblems.value(row + 1); }
    // The step's description as its row shows it, on one line: a file list of a few names
    // joined by commas, one of more told by its count and first names ("5,000 files: a.txt,
    // b.txt, …").
    QString shownDescription(int row) const;
    static QString elidedFileList(const QString& files);

    Operation* step(int row) const;
    int rowOf(const Operation* step) const;
    // Inserts a clone of the type's prototype at row (appends for -1); returns its row, or -1
    // for a type no plug-in provides.
    int addStep(const QString& type, int row = -1);
    void removeStep(int row);
    // Moves the step at from so that it ends up at row to.
    bool moveStep(int from, int to);
    // A setting or a variable changed: every row is shown and checked again.
    void stepsChanged();

    // The steps as a flow keeps them (type, every setting, carriedState).
    QList<FlowStep> flowSteps() const;
    // Replaces every step; the flow was checked against the plug-ins when it was read.
    void setFlowSteps(const QList<FlowStep>& steps);

private:
    const PluginHost& m_host;
    const VariablesModel* m_variables = nullptr;
    QList<Operation*> m_steps;
    QHash<int, QStringList> m_planProblems;
};
