#include "undo.h"

#include "filestate.h"
#include "journal.h"
#include "undofiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QVector>

namespace
{

struct Record {
    int seq = 0;
    QString op;
    QString path;
    QString from;
    qint64 timeMs = 0;
    FileState before;
    FileState source;   // a rename's entry, as it was at its old name
    FileState after;    // recorded just before the change was put in place, or after it
    bool ready = false; // `after` recorded before the step that puts it in place
    bool done = false;
    bool failed = false; // the change failed, changing nothing
};

// Which record a line about a change's end names, and how: -1 where it names none.
int endedSeq(const QJsonObject& json, const char** how)
{
    for (const char* key : {"done", "ready", "failed"}) {
        if (json.contains(QLatin1String(key))) {
            *how = key;
            return json.value(QLatin1String(key)).toInt();
        }
    }
    return -1;
}

// The records in the order they were written; a line cut short by a kill at the end is ignored.
QVector<Record> readRecords(const QByteArray& log, qint64* startMs)
{
    QVector<Record> records;
    QHash<int, int> indexOfSeq;
    for (const QByteArray& line : log.split('\n')) {
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        if (json.isEmpty())
            continue;
        const char* how = nullptr;
        const int ended = endedSeq(json, &how);
        if (ended >= 0) {
            const int index = indexOfSeq.value(ended, -1);
            if (index < 0)
                continue;
            Record& record = records[index];
            const QString end = QLatin1String(how);
            if (end == QLatin1String("failed")) {
                record.failed = true;
                continue;
            }
            (end == QLatin1String("done") ? record.done : record.ready) = true;
            // The end of a change whose state was recorded as it was put in place says no more.
            if (json.contains(QLatin1String("after")))
                record.after = FileState::fromJson(json.value(QLatin1String("after")).toObject());
            continue;
        }
        Record record;
        record.seq = json.value(QLatin1String("seq")).toInt();
        record.op = json.value(QLatin1String("op")).toString();
        record.path = json.value(QLatin1String("path")).toString();
        record.from = json.value(QLatin1String("from")).toString();
        record.timeMs = qint64(json.value(QLatin1String("time")).toDouble());
        record.before = FileState::fromJson(json.value(QLatin1String("before")).toObject());
        record.source = FileState::fromJson(json.value(QLatin1String("source")).toObject());
        if (record.op == QLatin1String("start")) {
            *startMs = record.timeMs;
            continue;
        }
        indexOfSeq.insert(record.seq, records.size());
        records.append(record);
    }
    return records;
}

// A folder's time and size change with the entries in it, each judged on its own: the folder is
// known by its identity alone.
bool sameEntry(const FileState& now, const FileState& recorded)
{
    if (recorded.kind != FileState::Kind::Folder)
        return now.sameAs(recorded);
    return now.kind == recorded.kind && now.device == recorded.device &&
           now.inode == recorded.inode;
}

bool sameIdentity(const FileState& a, const FileState& b)
{
    return a.exists() && b.exists() && a.device == b.device && a.inode == b.inode;
}

bool madeSince(const FileState& state, qint64 timeMs)
{
    // File systems keep times coarser than the clock at times; a second of slack.
    return state.exists() && state.mtimeNs / 1000000 >= timeMs - 1000;
}

class Undo
{
public:
    Undo(const QString& folder, UndoFiles::Mode mode) : files(mode), m_folder(folder) {}

    void takeBack(const Record& record)
    {
        if (record.failed)
            return;
        const bool compareBytes = (record.done || record.ready) && !record.after.hash.isEmpty();
        const FileState now =
            files.stateOf(record.path, compareBytes ? WithHash::Yes : WithHash::No);
        if (record.op == QLatin1String("mkdir"))
            takeBackFolder(record);
        else if (record.op == QLatin1String("create"))
            takeBackCreate(record, now);
        else if (record.op == QLatin1String("rename"))
            takeBackRename(record, now);
        else if (record.op == QLatin1String("remove"))
            takeBackRemove(record, now);
        else if (record.op == QLatin1String("rewrite"))
            takeBackRewrite(record, now);
        else if (record.op == QLatin1String("replace"))
            takeBackReplace(record, now);
        else if (record.op == QLatin1String("append"))
            takeBackAppend(record, now);
        else if (record.op == QLatin1String("beside"))
            return; // only where leftovers may be
        else
            leave(record.path,
                  QStringLiteral("unknown change \"%1\" in the journal").arg(record.op));
    }

    UndoFiles files;
    QJsonArray restored;
    QJsonArray left;

private:
    void restore(const char* action, const QString& path, const QString& from = QString())
    {
        QJsonObject entry{{QStringLiteral("action"), QLatin1String(action)},
                          {QStringLiteral("path"), path}};
        if (!from.isEmpty())
            entry.insert(QStringLiteral("from"), from);
        restored.append(entry);
    }

    void leave(const QString& path, const QString& reason, const QString& from = QString())
    {
        QJsonObject entry{{QStringLiteral("path"), path}, {QStringLiteral("reason"), reason}};
        if (!from.isEmpty())
            entry.insert(QStringLiteral("from"), from);
        left.append(entry);
    }

    // The bytes at the path may be the run's or an edit's made since: they are copied into the
    // journal, and the path is then free to be restored.
    bool setAside(const Record& record)
    {
        const QString aside = journalAsidePath(m_folder, record.seq);
        if (!files.copyAside(record.path, aside)) {
            leave(record.path, QStringLiteral("its end is not in the journal, and it cannot be "
                                              "set aside; kept"));
            return false;
        }
        QJsonObject entry{{QStringLiteral("path"), record.path},
                          {QStringLiteral("reason"),
                           QStringLiteral("its end is not in the journal, so what is there may "
                                          "be an edit made since; set aside in %1")
                               .arg(aside)},
                          {QStringLiteral("aside"), aside}};
        left.append(entry);
        return true;
    }

    // The run left `now` at the path: the state recorded before the change was put in place, or
    // after it was made. Nothing else proves it: a time says nothing of whose bytes are there.
    static bool leftByRun(const Record& record, const FileState& now)
    {
        return (record.done || record.ready) && now.sameAs(record.after);
    }

    static QString keptWithBackup(const QString& backup)
    {
        return QStringLiteral("changed since the run; kept, the old file stays in %1").arg(backup);
    }

    void takeBackFolder(const Record& record)
    {
        if (record.before.exists())
            return;
        if (files.stateOf(record.path).kind != FileState::Kind::Folder)
            return;
        if (files.removeFolder(record.path))
            restore("removed folder", record.path);
        else
            leave(record.path, QStringLiteral("the folder holds entries the run did not make"));
    }

    void takeBackCreate(const Record& record, const FileState& now)
    {
        if (!now.exists())
            return;
        if (leftByRun(record, now)) {
            if (files.removeFile(record.path))
                restore("removed", record.path);
            else
                leave(record.path, QStringLiteral("cannot be removed"));
            return;
        }
        if (record.done || record.ready) {
            leave(record.path, QStringLiteral("changed since the run; kept"));
            return;
        }
        // What was there before is still there: the create never happened.
        if (record.before.exists() && now.sameAs(record.before))
            return;
        // Made where it stands, its end unrecorded.
        if (setAside(record))
            files.removeFile(record.path);
    }

    void takeBackRename(const Record& record, const FileState& now)
    {
        // A rename moves the entry or leaves it: still under its old name, it never happened
        // (killed before it, or refused for a clash).
        const FileState atOldName = files.stateOf(record.from);
        if ((!now.exists() || !record.done) && sameEntry(atOldName, record.source))
            return;
        if (!sameEntry(now, record.source)) {
            leave(record.path, QStringLiteral("changed since the run; kept"), record.from);
            return;
        }
        if (atOldName.exists()) {
            leave(record.path, QStringLiteral("its old name %1 is taken again").arg(record.from));
            return;
        }
        if (files.rename(record.path, record.from))
            restore("renamed back", record.from, record.path);
        else
            leave(record.path, QStringLiteral("cannot be renamed back to %1").arg(record.from));
    }

    void takeBackRemove(const Record& record, const FileState& now)
    {
        const QString backup = journalBackupPath(m_folder, record.seq);
        if (!files.stateOf(backup).exists())
            return; // never taken away
        if (now.exists()) {
            leave(record.path,
                  QStringLiteral("the path is taken again; the old file stays in %1").arg(backup));
            return;
        }
        if (files.moveBack(backup, record.path))
            restore("put back", record.path);
        else
            leave(record.path, QStringLiteral("cannot be put back from %1").arg(backup));
    }

    void takeBackRewrite(const Record& record, const FileState& now)
    {
        const QString backup = journalBackupPath(m_folder, record.seq);
        if (!files.stateOf(backup).exists() || now.sameAs(record.before))
            return;
        // Replaced or removed since, or changed since the end the journal holds.
        if (!sameIdentity(now, record.before) || (record.done && !now.sameAs(record.after))) {
            leave(record.path, keptWithBackup(backup));
            return;
        }
        // Written where it stands, its end unrecorded: what is there is set aside first.
        if (!record.done && !setAside(record))
            return;
        if (files.rewriteWith(backup, record.path)) {
            files.removeFile(backup);
            restore("rewritten", record.path);
        } else {
            leave(record.path, QStringLiteral("cannot be written back from %1").arg(backup));
        }
    }

    void takeBackReplace(const Record& record, const FileState& now)
    {
        const QString backup = journalBackupPath(m_folder, record.seq);
        if (!files.stateOf(backup).exists())
            return; // nothing kept, so nothing was replaced
        if (now.sameAs(record.before)) {
            files.removeFile(backup); // the old file is still in place
            return;
        }
        if (!leftByRun(record, now)) {
            // The old file itself, edited where it stands: the replacement never came, and the
            // journal's second name of it holds nothing the path does not.
            if (sameIdentity(now, record.before) &&
                sameIdentity(files.stateOf(backup), record.before)) {
                files.removeFile(backup);
                return;
            }
            leave(record.path, keptWithBackup(backup));
            return;
        }
        if (files.replaceWith(backup, record.path))
            restore("put back", record.path);
        else
            leave(record.path, QStringLiteral("cannot be put back from %1").arg(backup));
    }

    void takeBackAppend(const Record& record, const FileState& now)
    {
        if (!now.exists() || now.sameAs(record.before))
            return;
        if (!(record.done ? now.sameAs(record.after) : oldBytesWhole(record, now))) {
            leave(record.path, QStringLiteral("changed since the run; kept"));
            return;
        }
        // Without its end recorded, the bytes after the old end may be the run's or an edit's:
        // they are set aside before the file is cut back.
        if (!record.done && !setAside(record))
            return;
        if (files.truncate(record.path, record.before.size, record.before.mtimeNs))
            restore("cut back", record.path);
        else
            leave(record.path, QStringLiteral("cannot be cut back"));
    }

    // The appended file, its bytes before the run still whole at its start.
    bool oldBytesWhole(const Record& record, const FileState& now) const
    {
        return sameIdentity(now, record.before) && now.size >= record.before.size &&
               !record.before.hash.isEmpty() &&
               files.hashOfStart(record.path, record.before.size) == record.before.hash;
    }

    QString m_folder;
};

// A file a killed run was still writing under a temporary name: ours (".NAME.fileoper-XXXXXX")
// or Qt's copy's ("qt_temp.XXXXXX").
bool isTemporaryName(const QString& name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\..+\\.fileoper-|qt_temp\\.)[A-Za-z0-9]{6}$"));
    return pattern.match(name).hasMatch();
}

// Removes temporary files that the run left in the folders it changed, made since it started.
void removeLeftovers(const QVector<Record>& records, qint64 startMs, Undo* undo)
{
    QSet<QString> folders;
    for (const Record& record : records) {
        folders.insert(QFileInfo(record.path).path());
        if (!record.from.isEmpty())
            folders.insert(QFileInfo(record.from).path());
    }
    for (const QString& folder : qAsConst(folders)) {
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo& entry : entries) {
            if (!entry.isSymLink() && isTemporaryName(entry.fileName()) &&
                madeSince(undo->files.stateOf(entry.filePath()), startMs) &&
                undo->files.removeFile(entry.filePath()))
                undo->restored.append(
                    QJsonObject{{QStringLiteral("action"), QStringLiteral("removed leftover")},
                                {QStringLiteral("path"), entry.filePath()}});
        }
    }
}

QString statusOf(const Undo& undo)
{
    return undo.left.isEmpty() ? QStringLiteral("undone") : QStringLiteral("partly undone");
}

QString undoneMarkerPath(const QString& folder)
{
    return folder + QStringLiteral("/undone");
}

} // namespace

JournalState journalState(const QString& folder)
{
    if (QFileInfo::exists(undoneMarkerPath(folder)))
        return JournalState::Undone;
    QFile log(journalLogPath(folder));
    if (!log.open(QIODevice::ReadOnly))
        return JournalState::None;
    qint64 startMs = 0;
    return readRecords(log.readAll(), &startMs).isEmpty() ? JournalState::NoChanges
                                                          : JournalState::Undoable;
}

QJsonObject undoJournal(const QString& folderPath, UndoMode mode)
{
    const QString folder = QFileInfo(folderPath).absoluteFilePath();
    QJsonObject report{{QStringLiteral("journal"), folder}};
    const QString marker = undoneMarkerPath(folder);
    if (QFileInfo::exists(marker)) {
        report.insert(QStringLiteral("status"), QStringLiteral("already undone"));
        return report;
    }
    QFile log(journalLogPath(folder));
    if (!log.open(QIODevice::ReadOnly)) {
        report.insert(QStringLiteral("status"), QStringLiteral("no journal"));
        return report;
    }
    qint64 startMs = 0;
    const QVector<Record> records = readRecords(log.readAll(), &startMs);
    Undo undo(folder, mode == UndoMode::DryRun ? UndoFiles::Mode::DryRun : UndoFiles::Mode::Apply);
    // First, so that a folder the run made is empty again when its turn comes.
    removeLeftovers(records, startMs, &undo);
    for (auto it = records.crbegin(); it != records.crend(); ++it)
        undo.takeBack(*it);
    report.insert(QStringLiteral("status"), statusOf(undo));
    report.insert(QStringLiteral("restored"), undo.restored);
    report.insert(QStringLiteral("left"), undo.left);
    if (mode == UndoMode::DryRun)
        return report;
    QFile done(marker);
    if (done.open(QIODevice::WriteOnly))
        done.write(QJsonDocument(report).toJson());
    return report;
}
