// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runchanges.h"

#include "plan.h"

#include <journallog.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace
{

// The changes the journal's log vouches for, in the order they were made: undo's own reading.
QVector<JournalRecord> trustedChanges(const QString& journalFolder)
{
    const JournalLog log = readJournalLog(journalFolder);
    QVector<JournalRecord> changes;
    for (const JournalRecord& record : log.records) {
        if (record.seq > log.untrustedUpTo)
            changes.append(record);
    }
    return changes;
}

// Whether the change's end is recorded: "done", or "kept" for a removal.
bool ended(const JournalRecord& change)
{
    return change.done || change.kept.exists();
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
bool shownChange(const JournalRecord& change, const QHash<QString, PlannedChange>& planned,
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

int StepTrace::filesLeft() const
{
    const bool partWay = counted && (figures.filesDone < figures.filesTotal ||
                                     figures.bytesDone < figures.bytesTotal);
    return partWay ? int(figures.filesTotal - figures.filesDone) : -1;
}

QList<RunChange> journaledChanges(const QString& journalFolder, const QList<StepTrace>& traces,
                                  const QString& workingFolder, const FilePlan& plan)
{
    const Paths paths(workingFolder);
    const QVector<JournalRecord> records = trustedChanges(journalFolder);
    QList<RunChange> changes;
    int step = 0;
    QHash<QString, PlannedChange> planned;
    QString action;
    for (int i = 0; i < records.size(); ++i) {
        const JournalRecord& change = records.at(i);
        while (step < traces.size() && change.seq > traces.at(step).journalRecords) {
            planned = plannedByPath(plan, ++step, paths);
            action = stepAction(plan, step);
        }
        if (!ended(change) || change.failed)
            continue;
        const JournalRecord* next = i + 1 < records.size() ? &records.at(i + 1) : nullptr;
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
        const JournalRecord* before = i > 0 ? &records.at(i - 1) : nullptr;
        if (before && before->op == QLatin1String("remove") && before->path == change.path &&
            ended(*before))
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
