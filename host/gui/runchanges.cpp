// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runchanges.h"

#include "plan.h"

#include <journal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace
{

struct JournalChange {
    int seq = 0;
    QString op;
    QString path;
    QString from;
};

struct JournalRecords {
    QList<JournalChange> changes;
    QSet<int> ended; // changes whose end ("done", or "kept" for a removal) is recorded
    QSet<int> failed;
};

// The log's complete lines: a killed or mapped writer leaves zeros after the last one.
QList<QByteArray> logLines(const QString& journalFolder)
{
    QFile log(journalLogPath(journalFolder));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = log.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    return bytes.split('\n').mid(0, bytes.count('\n'));
}

JournalRecords readRecords(const QString& journalFolder)
{
    JournalRecords records;
    for (const QByteArray& line : logLines(journalFolder)) {
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        const int seq = json.value(QLatin1String("seq")).toInt();
        if (json.contains(QLatin1String("done")))
            records.ended.insert(json.value(QLatin1String("done")).toInt());
        else if (json.contains(QLatin1String("kept")))
            records.ended.insert(json.value(QLatin1String("kept")).toInt());
        else if (json.contains(QLatin1String("failed")))
            records.failed.insert(json.value(QLatin1String("failed")).toInt());
        else if (json.contains(QLatin1String("op")))
            records.changes.append({seq, json.value(QLatin1String("op")).toString(),
                                    json.value(QLatin1String("path")).toString(),
                                    json.value(QLatin1String("from")).toString()});
    }
    return records;
}

class Paths
{
public:
    explicit Paths(const QString& workingFolder) : m_folder(workingFolder) {}
    QString absolute(const QString& path) const
    {
        return QDir::cleanPath(m_folder.absoluteFilePath(path));
    }
    QString shown(const QString& absolutePath) const
    {
        const QString relative = m_folder.relativeFilePath(absolutePath);
        return relative.startsWith(QLatin1String("..")) ? absolutePath : relative;
    }

private:
    QDir m_folder;
};

// The plan's changes of one step by the absolute path they change.
QHash<QString, PlannedChange> plannedByPath(const FilePlan& plan, int step, const Paths& paths)
{
    QHash<QString, PlannedChange> planned;
    for (const FilePlan::Entry& entry : plan.entries) {
        if (!entry.isSkip && entry.change.step == step)
            planned.insert(paths.absolute(entry.change.path), entry.change);
    }
    return planned;
}

// What a step does with its files, as the plan names it: "copy", "rename", …; empty where the plan
// holds nothing of the step but folders.
QString stepAction(const FilePlan& plan, int step)
{
    for (const FilePlan::Entry& entry : plan.entries) {
        const PlanRow row = planRow(entry);
        if (row.step == step && row.action != QLatin1String("mkdir"))
            return row.action;
    }
    return QString();
}

bool isMoveSource(const QHash<QString, PlannedChange>& planned, const QString& path,
                  const Paths& paths)
{
    for (const PlannedChange& change : planned) {
        if (change.action == QLatin1String("move") && paths.absolute(change.from) == path)
            return true;
    }
    return false;
}

// A journal's change as a line of what the run did; false for one that is no change of its own
// (a removal that only cleared the way, a record of a writer's beginning).
bool shownChange(const JournalChange& change, const QHash<QString, PlannedChange>& planned,
                 const QString& action, const Paths& paths, RunChange* shown)
{
    static const QHash<QString, QString> ownWords = {
        {QStringLiteral("mkdir"), QStringLiteral("mkdir")},
        {QStringLiteral("create"), QStringLiteral("write")},
        {QStringLiteral("rename"), QStringLiteral("rename")},
        {QStringLiteral("remove"), QStringLiteral("delete")},
        {QStringLiteral("replace"), QStringLiteral("write")},
        {QStringLiteral("rewrite"), QStringLiteral("write")},
        {QStringLiteral("append"), QStringLiteral("append")},
    };
    if (!ownWords.contains(change.op))
        return false;
    const auto foreseen = planned.constFind(change.path);
    const bool known = foreseen != planned.constEnd() && change.op != QLatin1String("remove");
    // A file the plan did not foresee (it came after the plan) is the step's all the same.
    const bool arrives =
        change.op == QLatin1String("create") || change.op == QLatin1String("rename");
    shown->action = known                          ? foreseen->action
                    : arrives && !action.isEmpty() ? action
                                                   : ownWords.value(change.op);
    shown->path = paths.shown(change.path);
    shown->from = !change.from.isEmpty() ? paths.shown(change.from)
                  : known                ? foreseen->from
                                         : QString();
    shown->replaced =
        change.op == QLatin1String("replace") || change.op == QLatin1String("rewrite");
    return true;
}

} // namespace

int journalRecordCount(const QString& journalFolder)
{
    return logLines(journalFolder).size();
}

QList<RunChange> journaledChanges(const QString& journalFolder, const QList<StepTrace>& traces,
                                  const QString& workingFolder, const FilePlan& plan)
{
    const Paths paths(workingFolder);
    const JournalRecords records = readRecords(journalFolder);
    QList<RunChange> changes;
    int step = 0;
    QHash<QString, PlannedChange> planned;
    QString action;
    for (int i = 0; i < records.changes.size(); ++i) {
        const JournalChange& change = records.changes.at(i);
        while (step < traces.size() && change.seq > traces.at(step).journalRecords) {
            planned = plannedByPath(plan, ++step, paths);
            action = stepAction(plan, step);
        }
        if (!records.ended.contains(change.seq) || records.failed.contains(change.seq))
            continue;
        const JournalChange* next =
            i + 1 < records.changes.size() ? &records.changes.at(i + 1) : nullptr;
        const bool clearsTheWay =
            change.op == QLatin1String("remove") && next && next->path == change.path &&
            (next->op == QLatin1String("create") || next->op == QLatin1String("rename"));
        // A copy to another file system and the removal of its source are one move.
        if (clearsTheWay ||
            (change.op == QLatin1String("remove") && isMoveSource(planned, change.path, paths)))
            continue;
        RunChange shown;
        if (!shownChange(change, planned, action, paths, &shown))
            continue;
        shown.step = qMax(step, 1);
        const JournalChange* before = i > 0 ? &records.changes.at(i - 1) : nullptr;
        if (before && before->op == QLatin1String("remove") && before->path == change.path &&
            records.ended.contains(before->seq))
            shown.replaced = true;
        changes.append(shown);
    }
    return changes;
}

QList<RunChange> listedChanges(const QList<StepTrace>& traces, const QList<int>& stepWarnings,
                               const QString& workingFolder, const FilePlan& plan,
                               const QStringList& failedPaths)
{
    const Paths paths(workingFolder);
    QSet<QString> failed;
    for (const QString& path : failedPaths)
        failed.insert(paths.absolute(path));
    QList<RunChange> changes;
    for (int index = 0; index < traces.size(); ++index) {
        const StepTrace& trace = traces.at(index);
        const int step = index + 1;
        // A step that stopped before its loop (with a warning) leaves its list as it was.
        const bool listUnset = trace.listAfter == trace.listBefore && index < stepWarnings.size() &&
                               stepWarnings.at(index) > 0;
        const QStringList listed = listUnset ? QStringList() : trace.listAfter;
        QSet<QString> unplanned;
        for (const QString& path : listed)
            unplanned.insert(paths.absolute(path));
        for (const FilePlan::Entry& entry : plan.entries) {
            const PlanRow row = planRow(entry);
            if (row.step != step || entry.isSkip || entry.change.fails)
                continue;
            const QString absolute = paths.absolute(row.path);
            const bool made = row.action == QLatin1String("mkdir") ? QFileInfo(absolute).isDir()
                              : trace.listed                       ? unplanned.remove(absolute)
                                                                   : !failed.contains(absolute);
            if (made)
                changes.append({step, row.action, row.path, row.from, entry.change.replaces});
        }
        for (const QString& path : listed) {
            if (unplanned.remove(paths.absolute(path)))
                changes.append({step, stepAction(plan, step), path, QString(), false});
        }
    }
    return changes;
}
