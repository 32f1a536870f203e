// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runoutcome.h"

#include "planwords.h"
#include "shownreason.h"

RunOutcome::RunOutcome(const RunResult& result, const PlanOutcome& planned, bool journaled,
                       const PluginHost& host)
    : m_host(host), m_warnings(result.log.size()), m_stopped(result.stopped),
      m_stepsRun(result.steps.size()), m_journaled(journaled), m_planned(planned.planned),
      m_plan(planned.plan)
{
}

QList<FilePlan::Entry> RunOutcome::entriesRun() const
{
    QList<FilePlan::Entry> entries;
    for (const FilePlan::Entry& entry : m_plan.entries) {
        if (planRow(entry).step <= m_stepsRun)
            entries.append(entry);
    }
    return entries;
}

QString RunOutcome::statusText() const
{
    QString status =
        m_stopped ? tr("Stopped after step %1, %n warning(s)", nullptr, m_warnings).arg(m_stepsRun)
                  : tr("Finished, %n warning(s)", nullptr, m_warnings);
    if (!m_planned)
        return status;
    FilePlan run;
    run.entries = entriesRun();
    const PlanCounts counts = planCounts(run);
    if (counts.skipped > 0)
        status = tr("%1, %2").arg(status, tr("%n file(s) left alone", nullptr, counts.skipped));
    if (counts.replaces > 0) {
        const QString replaced = m_journaled
                                     ? tr("%n existing file(s) replaced; Undo last run brings "
                                          "them back",
                                          nullptr, counts.replaces)
                                     : tr("%n existing file(s) replaced", nullptr, counts.replaces);
        status = tr("%1, %2").arg(status, replaced);
    }
    return status;
}

QStringList RunOutcome::changeLines() const
{
    QStringList lines;
    for (const FilePlan::Entry& entry : entriesRun()) {
        if (entry.isSkip)
            continue;
        const PlannedChange& change = entry.change;
        QString line =
            tr("Step %1 %2 %3").arg(change.step).arg(PlanWords::action(change.action), change.path);
        if (!change.from.isEmpty())
            line = tr("%1 ← %2").arg(line, change.from);
        if (change.fails)
            line = tr("%1 (failed: %2)").arg(line, shownReason(m_host, change.conflict));
        else if (change.replaces)
            line = tr("%1 (replaced an existing file)").arg(line);
        lines.append(line);
    }
    return lines;
}

bool RunOutcome::deservesAttention() const
{
    if (m_warnings > 0 || m_stopped)
        return true;
    FilePlan run;
    run.entries = entriesRun();
    const PlanCounts counts = planCounts(run);
    return counts.skipped > 0 || counts.replaces > 0;
}
