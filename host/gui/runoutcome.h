// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "plan.h"
#include "planscheduler.h"

#include <QCoreApplication>
#include <QString>

// What a run came to, told without leaving anything out: the warnings, the files the steps left
// alone and the files that were there before and were replaced. The plan made just before the
// run, of the same files, says which files those are; the run itself says how far it got.
class RunOutcome
{
    Q_DECLARE_TR_FUNCTIONS(RunOutcome)

public:
    // `planned` is the plan the run started from (not planned: nothing is known of its files);
    // `host` gives the reasons' display texts.
    RunOutcome(const RunResult& result, const PlanOutcome& planned, bool journaled,
               const PluginHost& host);

    // The status bar's line: "Finished, 0 warning(s), 6 file(s) left alone", and how many
    // existing files were replaced, with Undo named when it can bring them back.
    QString statusText() const;
    // The changes of the steps that ran, one line each ("Step 1 copy out/a.txt ← a.txt"), failing
    // ones marked as such.
    QStringList changeLines() const;
    // Whether something calls for the user's attention in the Last run tab.
    bool deservesAttention() const;

private:
    // The plan's entries of the steps that ran.
    QList<FilePlan::Entry> entriesRun() const;

    const PluginHost& m_host;
    int m_warnings;
    bool m_stopped;
    int m_stepsRun;
    bool m_journaled;
    bool m_planned;
    FilePlan m_plan;
};
