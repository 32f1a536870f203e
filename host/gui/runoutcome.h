// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "plan.h"
#include "planscheduler.h"
#include "runchanges.h"

#include <QCoreApplication>
#include <QString>

// What a run came to, told without leaving anything out: the warnings, where a Stop left it, the
// files the steps left alone and the files that were there before and were replaced. What the
// run changed is its own record (its journal, or the steps' result lists); the plan made just
// before it only says how many files each step was to deal with.
class RunOutcome
{
    Q_DECLARE_TR_FUNCTIONS(RunOutcome)

public:
    // `stepCount`: the flow's steps; `planned`: the plan the run started from (not planned:
    // nothing is known of the files the steps were to deal with); `changes`: what the run did;
    // `traces`: what the run's thread saw of each step; `journaled`: Undo can take the run back.
    RunOutcome(const RunResult& result, int stepCount, const PlanOutcome& planned,
               const QList<RunChange>& changes, const QList<StepTrace>& traces, bool journaled);

    // The status bar's line: "Finished, 0 warning(s), 6 file(s) left alone", and how many
    // existing files were replaced, with Undo named when it can bring them back.
    QString statusText() const;
    // The changes the run made, one line each ("Step 1 copy out/a.txt ← a.txt").
    QStringList changeLines() const;
    // Whether something calls for the user's attention in the Last run tab.
    bool deservesAttention() const;
    // The files a step stopped part-way left, by its last figures; -1 where the run was not
    // stopped inside a step.
    int filesLeftByStop() const { return m_leftByStop; }

private:
    QString stoppedText() const;
    int leftAlone() const;
    int replaced() const;

    int m_warnings;
    bool m_stopped;
    int m_stepsRun;
    int m_stepCount;
    int m_leftByStop = -1;
    bool m_journaled;
    bool m_planned;
    FilePlan m_plan;
    QList<RunChange> m_changes;
};
