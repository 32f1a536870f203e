// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runoutcome.h"

#include "planwords.h"

RunOutcome::RunOutcome(const RunResult& result, int stepCount, const PlanOutcome& planned,
                       const QList<RunChange>& changes, const QList<StepTrace>& traces,
                       bool journaled)
    : m_warnings(result.log.size()), m_stopped(result.stopped), m_stepsRun(result.steps.size()),
      m_stepCount(stepCount), m_journaled(journaled), m_planned(planned.planned),
      m_plan(planned.plan), m_changes(changes)
{
    if (m_stopped && !traces.isEmpty() && traces.size() == m_stepsRun)
        m_leftByStop = traces.last().filesLeft();
}

QString RunOutcome::stoppedText() const
{
    if (m_leftByStop < 0)
        return tr("Stopped after step %1 of %2, %n warning(s)", nullptr, m_warnings)
            .arg(m_stepsRun)
            .arg(m_stepCount);
    return tr("Step %1 of %2 stopped part-way with %3 file(s) left, %n warning(s)", nullptr,
              m_warnings)
        .arg(m_stepsRun)
        .arg(m_stepCount)
        .arg(m_leftByStop);
}

// Of the files each step that ran was to deal with, those it did nothing with.
int RunOutcome::leftAlone() const
{
    if (!m_planned)
        return 0;
    QVector<int> left(m_stepsRun + 1, 0);
    for (const FilePlan::Entry& entry : m_plan.entries) {
        const PlanRow row = planRow(entry);
        if (row.step <= m_stepsRun && row.action != QLatin1String("mkdir"))
            ++left[row.step];
    }
    for (const RunChange& change : m_changes) {
        if (change.step <= m_stepsRun && change.action != QLatin1String("mkdir"))
            --left[change.step];
    }
    int total = 0;
    for (int step = 1; step <= m_stepsRun; ++step)
        total += qMax(0, left.at(step));
    // A stopped step's own warning counts its files left; they are not counted twice.
    return m_leftByStop > 0 ? qMax(0, total - m_leftByStop) : total;
}

int RunOutcome::replaced() const
{
    int count = 0;
    for (const RunChange& change : m_changes)
        count += change.replaced ? 1 : 0;
    return count;
}

QString RunOutcome::statusText() const
{
    QString status = m_stopped ? stoppedText() : tr("Finished, %n warning(s)", nullptr, m_warnings);
    const int skipped = leftAlone();
    if (skipped > 0)
        status = tr("%1, %2").arg(status, tr("%n file(s) left alone", nullptr, skipped));
    const int replaces = replaced();
    if (replaces > 0) {
        const QString replacedText =
            m_journaled ? tr("%n existing file(s) replaced; Undo last run brings them back",
                             nullptr, replaces)
                        : tr("%n existing file(s) replaced", nullptr, replaces);
        status = tr("%1, %2").arg(status, replacedText);
    }
    return status;
}

QStringList RunOutcome::changeLines() const
{
    QStringList lines;
    for (const RunChange& change : m_changes) {
        QString line =
            tr("Step %1 %2 %3").arg(change.step).arg(PlanWords::action(change.action), change.path);
        if (!change.from.isEmpty())
            line = tr("%1 ← %2").arg(line, change.from);
        if (change.replaced)
            line = tr("%1 (replaced an existing file)").arg(line);
        lines.append(line);
    }
    return lines;
}

bool RunOutcome::deservesAttention() const
{
    return m_warnings > 0 || m_stopped || leftAlone() > 0 || replaced() > 0;
}
