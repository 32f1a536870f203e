// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "plan.h"

#include "pluginhost.h"
#include "report.h"
#include "shownreason.h"
#include "stepinterfaces.h"

#include <QCoreApplication>
#include <QVector>

#include <algorithm>

namespace
{

class Plan
{
    Q_DECLARE_TR_FUNCTIONS(Plan)
};

int stepOf(const FilePlan::Entry& entry)
{
    return entry.isSkip ? entry.skip.step : entry.change.step;
}

QVariantMap changeValue(const PlannedChange& change)
{
    QVariantMap value;
    value.insert(QStringLiteral("step"), change.step);
    value.insert(QStringLiteral("action"), change.action);
    value.insert(QStringLiteral("path"), change.path);
    if (!change.from.isEmpty())
        value.insert(QStringLiteral("from"), change.from);
    if (change.replaces)
        value.insert(QStringLiteral("replaces"), true);
    if (change.fails)
        value.insert(QStringLiteral("fails"), true);
    if (!change.conflict.isEmpty())
        value.insert(QStringLiteral("conflict"), change.conflict);
    return value;
}

QVariantMap skipValue(const PlannedSkip& skip)
{
    QVariantMap value;
    value.insert(QStringLiteral("step"), skip.step);
    value.insert(QStringLiteral("path"), skip.path);
    if (!skip.from.isEmpty())
        value.insert(QStringLiteral("from"), skip.from);
    value.insert(QStringLiteral("reason"), skip.reason);
    return value;
}

// Columns on a terminal: East Asian wide characters take two.
int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        if (!c.isLowSurrogate())
            width += wide ? 2 : 1;
    }
    return width;
}

QString padded(const QString& text, int width)
{
    return text + QString(qMax(0, width - displayWidth(text)), QLatin1Char(' '));
}

} // namespace

PlanResult planFlow(const Flow& flow, const PluginHost& host, RunOptions options)
{
    const QVector<IFilePlanning*> planners =
        stepInterfaces<IFilePlanning>(flow, host, Plan::tr("cannot plan file changes"));
    QVector<IFilePlanning*> started;
    options.beforeStep = [&](VariableScope& scope, int index) {
        IFilePlanning* planner = planners.at(index);
        planner->planStep(&scope, index + 1);
        if (!started.contains(planner))
            started.append(planner);
    };
    PlanResult result;
    options.afterSteps = [&](VariableScope& scope) {
        for (IFilePlanning* planner : qAsConst(started))
            result.plan.entries += planner->finishPlan(&scope).entries;
    };
    result.run = runFlow(flow, host, options);
    // Each plug-in lists its own steps in order; together they go in step order.
    std::stable_sort(
        result.plan.entries.begin(), result.plan.entries.end(),
        [](const FilePlan::Entry& a, const FilePlan::Entry& b) { return stepOf(a) < stepOf(b); });
    return result;
}

std::string planReportText(const PlanResult& result, const QStringList* variableFilter)
{
    QVariantList changes;
    QVariantList skipped;
    for (const FilePlan::Entry& entry : result.plan.entries) {
        if (entry.isSkip)
            skipped.append(skipValue(entry.skip));
        else
            changes.append(changeValue(entry.change));
    }
    QVariantMap report = reportValue(result.run, variableFilter);
    report.insert(QStringLiteral("changes"), changes);
    report.insert(QStringLiteral("skipped"), skipped);
    return reportText(report);
}

PlanRow planRow(const FilePlan::Entry& entry)
{
    if (entry.isSkip)
        return {entry.skip.step, entry.skip.action, entry.skip.path, entry.skip.from};
    return {entry.change.step, entry.change.action, entry.change.path, entry.change.from};
}

QString planStateText(const FilePlan::Entry& entry, const PluginHost* host)
{
    const auto shown = [host](const QString& reason) {
        return host ? shownReason(*host, reason) : reason;
    };
    if (entry.isSkip)
        return Plan::tr("skipped: ") + shown(entry.skip.reason);
    if (entry.change.fails)
        return Plan::tr("fails: ") + shown(entry.change.conflict);
    if (!entry.change.conflict.isEmpty())
        return Plan::tr("conflict: ") + shown(entry.change.conflict);
    if (entry.change.replaces)
        return Plan::tr("replaces an existing file");
    return Plan::tr("ok");
}

bool replacesQuietly(const FilePlan::Entry& entry)
{
    return !entry.isSkip && entry.change.replaces && !entry.change.fails &&
           entry.change.conflict.isEmpty();
}

PlanCounts planCounts(const FilePlan& plan)
{
    PlanCounts counts;
    for (const FilePlan::Entry& entry : plan.entries) {
        if (entry.isSkip)
            ++counts.skipped;
        else if (!entry.change.fails)
            ++counts.changes;
        if (replacesQuietly(entry))
            ++counts.replaces;
        if (!entry.isSkip && !entry.change.conflict.isEmpty())
            ++counts.conflicts;
    }
    return counts;
}

QString planTableText(const FilePlan& plan, const PluginHost* host)
{
    QList<QStringList> rows{{Plan::tr("step"), Plan::tr("action"), Plan::tr("path"),
                             Plan::tr("from"), Plan::tr("state")}};
    for (const FilePlan::Entry& entry : plan.entries) {
        const PlanRow row = planRow(entry);
        rows.append({QString::number(row.step), row.action, row.path, row.from,
                     planStateText(entry, host)});
    }
    QVector<int> widths(4, 0);
    for (const QStringList& row : qAsConst(rows)) {
        for (int column = 0; column < widths.size(); ++column)
            widths[column] = qMax(widths[column], displayWidth(row.at(column)));
    }
    QString text;
    for (const QStringList& row : qAsConst(rows)) {
        QString line;
        for (int column = 0; column < widths.size(); ++column)
            line += padded(row.at(column), widths[column]) + QStringLiteral("  ");
        text += line + row.last() + QLatin1Char('\n');
    }
    const PlanCounts counts = planCounts(plan);
    text += Plan::tr("%1 changes, %2 with a conflict, %3 skipped\n")
                .arg(counts.changes)
                .arg(counts.conflicts)
                .arg(counts.skipped);
    return text;
}

std::string planOutputText(const PlanResult& result, bool json, const QStringList* variableFilter,
                           const PluginHost* host)
{
    if (json)
        return planReportText(result, variableFilter);
    QString table = planTableText(result.plan, host);
    if (result.run.stopped)
        table += Plan::tr("stopped before the end of the flow\n");
    return table.toStdString();
}
