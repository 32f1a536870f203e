// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"
#include "propertyschema.h"

#include <fileplanning.h>

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

class Operation;
class QWidget;

// What the window checks while a flow is edited, before anything runs: variable names and
// values as typed, settings that name variables the flow does not declare (or declares with a
// type the step cannot use), paths left empty, numbers the step cannot take, and what the plan
// shows of each step. Every function answers with the reason to show, empty when all is well.
class FlowCheck
{
    Q_DECLARE_TR_FUNCTIONS(FlowCheck)

public:
    // A new name for a variable; others are the names of the other variables.
    static QString nameProblem(const QString& name, const QStringList& others);
    // Text typed as the value of a variable of the type (empty text is no value).
    static QString valueProblem(VarType type, const QString& text);
    // A setting's text against the flow's variables.
    static QString settingProblem(const PropertySpec& desc, const QString& text,
                                  const QList<FlowVariable>& variables);
    // Every problem of the step's shown settings, each as "label: reason".
    static QStringList stepProblems(const Operation& op, const QList<FlowVariable>& variables);
    // What the plan shows of each step (by 1-based step number) that the user should look at
    // before Run: its conflicts, and many files sent onto one name.
    static QHash<int, QStringList> planProblems(const FilePlan& plan);
    // The files the flow starts from, when none of them is in `folder`: the relative paths of the
    // first file list among the steps (variables left out). Empty when any of them is there, or
    // the flow names none: the folder is then most likely the one meant.
    static QStringList missingStartFiles(const QList<const Operation*>& steps,
                                         const QString& folder);
};

// Whether the row of a setting is shown for the step's current settings ("show_when_").
bool settingShown(const Operation& op, const PropertySpec& desc);

// Marks a field whose text has a problem, with the reason as its tool tip; an empty problem
// clears the mark.
void markProblem(QWidget* field, const QString& problem);
