// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "undo.h"

#include "filestate.h"
#include "journal.h"
#include "journalfiles.h"
#include "journalfolder.h"
#include "journallog.h"
#include "journalreasons.h"
#include "undofiles.h"

#include "core/posixfile_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QVector>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace
{

// What the journal says a change's backup is: its own record, or for a second name of the file
// the file's state before the change.
const FileState& keptState(const JournalRecord& record)
{
    return record.kept.exists() ? record.kept : record.before;
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

// By the status change time, which nobody can set back: a copy's temporary file is given its
// source's modification time before it takes its name. File systems keep times coarser than the
// clock at times; a second of slack.
bool madeSince(const FileState& state, qint64 timeMs)
{
    return state.exists() && qMax(state.mtimeNs, state.ctimeNs) / 1000000 >= timeMs - 1000;
}

class Undo
{
public:
    Undo(const QString& folder, UndoFiles::Mode mode) : files(mode), m_folder(folder) {}

    void takeBack(const JournalRecord& record)
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
            leave(record.path, JournalReasons::text(JournalReasons::unknownChange).arg(record.op));
    }

    // A change the journal cannot vouch for is left as it is.
    void leaveUntrusted(const JournalRecord& record)
    {
        if (record.op == QLatin1String("beside"))
            return;
        leave(record.path.isEmpty() ? QStringLiteral("(record %1)").arg(record.seq) : record.path,
              JournalReasons::text(JournalReasons::damagedAfter));
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
    bool setAside(const JournalRecord& record)
    {
        const QString aside = journalAsidePath(m_folder, record.seq);
        if (!files.copyAside(record.path, aside)) {
            leave(record.path, JournalReasons::text(JournalReasons::cannotSetAside));
            return false;
        }
        QJsonObject entry{
            {QStringLiteral("path"), record.path},
            {QStringLiteral("reason"), JournalReasons::text(JournalReasons::setAside).arg(aside)},
            {QStringLiteral("aside"), aside}};
        left.append(entry);
        return true;
    }

    // The run left `now` at the path: the state recorded before the change was put in place, or
    // after it was made. Nothing else proves it: a time says nothing of whose bytes are there.
    static bool leftByRun(const JournalRecord& record, const FileState& now)
    {
        return (record.done || record.ready) && now.sameAs(record.after);
    }

    static QString keptWithBackup(const QString& backup)
    {
        return JournalReasons::text(JournalReasons::keptWithBackup).arg(backup);
    }

    void takeBackFolder(const JournalRecord& record)
    {
        if (record.before.exists())
            return;
        if (files.stateOf(record.path).kind != FileState::Kind::Folder)
            return;
        if (files.removeFolder(record.path))
            restore("removed folder", record.path);
        else
            leave(record.path, JournalReasons::text(JournalReasons::foreignEntries));
    }

    void takeBackCreate(const JournalRecord& record, const FileState& now)
    {
        if (!now.exists())
            return;
        if (leftByRun(record, now)) {
            if (files.removeFile(record.path))
                restore("removed", record.path);
            else
                leave(record.path, JournalReasons::text(JournalReasons::cannotRemove));
            return;
        }
        if (record.done || record.ready) {
            leave(record.path, JournalReasons::text(JournalReasons::changedSince));
            return;
        }
        // What was there before is still there: the create never happened.
        if (record.before.exists() && now.sameAs(record.before))
            return;
        // Made where it stands, its end unrecorded.
        if (setAside(record))
            files.removeFile(record.path);
    }

    void takeBackRename(const JournalRecord& record, const FileState& now)
    {
        // A rename moves the entry or leaves it: still under its old name, it never happened
        // (killed before it, or refused for a clash).
        const FileState atOldName = files.stateOf(record.from);
        if ((!now.exists() || !record.done) && sameEntry(atOldName, record.source))
            return;
        if (!sameEntry(now, record.source)) {
            leave(record.path, JournalReasons::text(JournalReasons::changedSince), record.from);
            return;
        }
        if (atOldName.exists()) {
            leave(record.path, JournalReasons::text(JournalReasons::oldNameTaken).arg(record.from));
            return;
        }
        if (files.rename(record.path, record.from))
            restore("renamed back", record.from, record.path);
        else
            leave(record.path,
                  JournalReasons::text(JournalReasons::cannotRenameBack).arg(record.from));
    }

    void takeBackRemove(const JournalRecord& record, const FileState& now)
    {
        const QString backup = journalBackupPath(m_folder, record.seq);
        if (!files.stateOf(backup).exists())
            return; // never taken away
        if (now.exists()) {
            leave(record.path, JournalReasons::text(JournalReasons::pathTaken).arg(backup));
            return;
        }
        // Without its kept record (killed right after the move), the backup must still be the
        // file the record before names.
        if (files.moveBack(backup, record.path, keptState(record)))
            restore("put back", record.path);
        else
            leave(record.path, JournalReasons::text(JournalReasons::cannotPutBack).arg(backup));
    }

    void takeBackRewrite(const JournalRecord& record, const FileState& now)
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
        if (files.rewriteWith(backup, record.path, keptState(record))) {
            files.removeFile(backup);
            restore("rewritten", record.path);
        } else {
            leave(record.path, JournalReasons::text(JournalReasons::cannotWriteBack).arg(backup));
        }
    }

    void takeBackReplace(const JournalRecord& record, const FileState& now)
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
        if (files.replaceWith(backup, record.path, keptState(record)))
            restore("put back", record.path);
        else
            leave(record.path, JournalReasons::text(JournalReasons::cannotPutBack).arg(backup));
    }

    void takeBackAppend(const JournalRecord& record, const FileState& now)
    {
        if (!now.exists() || now.sameAs(record.before))
            return;
        if (!(record.done ? now.sameAs(record.after) : oldBytesWhole(record, now))) {
            leave(record.path, JournalReasons::text(JournalReasons::changedSince));
            return;
        }
        // Without its end recorded, the bytes after the old end may be the run's or an edit's:
        // they are set aside before the file is cut back.
        if (!record.done && !setAside(record))
            return;
        if (files.truncate(record.path, record.before.size, record.before.mtimeNs))
            restore("cut back", record.path);
        else
            leave(record.path, JournalReasons::text(JournalReasons::cannotCutBack));
    }

    // The appended file, its bytes before the run still whole at its start.
    bool oldBytesWhole(const JournalRecord& record, const FileState& now) const
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

// Whether a temporary file is still being written by a live process (another run, or this run
// if it were still going): locked by its writer, or open elsewhere. Such a file is never removed.
bool inUse(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool held = heldByAnotherProcess(fd);
    ::close(fd);
    return held;
}

// Removes temporary files that the run left in the folders it changed, made since it started.
void removeLeftovers(const QVector<JournalRecord>& records, qint64 startMs, Undo* undo)
{
    QSet<QString> folders;
    for (const JournalRecord& record : records) {
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
                !inUse(entry.filePath()) && undo->files.removeFile(entry.filePath()))
                undo->restored.append(
                    QJsonObject{{QStringLiteral("action"), QStringLiteral("removed leftover")},
                                {QStringLiteral("path"), entry.filePath()}});
        }
    }
}

QString undoneMarkerPath(const QString& folder)
{
    return folder + QStringLiteral("/undone");
}

// The log, open and locked for as long as undo reads it and acts on it: shared for a dry run,
// alone for an undo. A run holds it locked while it goes.
class OpenLog
{
public:
    OpenLog(const QString& folder, UndoMode mode)
    {
        m_fd = ::open(QFile::encodeName(journalLogPath(folder)).constData(),
                      O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (m_fd < 0) {
            m_openError = errno;
            return;
        }
        m_lock = lockWithoutWaiting(m_fd, mode == UndoMode::DryRun ? LockKind::Shared
                                                                   : LockKind::Exclusive);
        if (m_lock == LockResult::Taken)
            m_readable = readBlocks(m_fd, [this](const char* bytes, qint64 size) {
                m_bytes.append(bytes, int(size));
                return true;
            });
    }
    ~OpenLog()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenLog(const OpenLog&) = delete;
    OpenLog& operator=(const OpenLog&) = delete;

    bool missing() const { return m_fd < 0 && m_openError == ENOENT; }
    bool opened() const { return m_fd >= 0; }
    int openError() const { return m_openError; }
    bool runGoing() const { return m_lock == LockResult::HeldElsewhere; }
    bool read() const { return m_fd >= 0 && m_lock == LockResult::Taken && m_readable; }
    const QByteArray& bytes() const { return m_bytes; }

private:
    int m_fd = -1;
    int m_openError = 0;
    LockResult m_lock = LockResult::Failed;
    bool m_readable = false;
    QByteArray m_bytes;
};

bool holdsBackups(const QString& folder)
{
    return !QDir(folder + QStringLiteral("/backup"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}

QJsonObject refused(QJsonObject report, const QString& message)
{
    report.insert(QStringLiteral("status"), QStringLiteral("refused"));
    report.insert(QStringLiteral("message"), message);
    return report;
}

// Why the journal cannot be undone at all, before its records are read; empty where it can.
QString refusalBeforeReading(const QString& folder, const OpenLog& log)
{
    const FileState marker = fileStateOf(undoneMarkerPath(folder));
    if (marker.exists() && marker.kind != FileState::Kind::File)
        return JournalReasons::text(JournalReasons::notAMark).arg(undoneMarkerPath(folder));
    if (log.runGoing())
        return JournalReasons::text(JournalReasons::runGoing);
    if (!log.missing() && !log.read())
        return JournalReasons::text(JournalReasons::cannotRead)
            .arg(folder,
                 QString::fromLocal8Bit(std::strerror(log.opened() ? EIO : log.openError())));
    return QString();
}

QString rangeText(const JournalDamage& damage)
{
    if (damage.to == std::numeric_limits<int>::max())
        return damage.from <= 1 ? JournalReasons::text(JournalReasons::allRecords)
                                : JournalReasons::text(JournalReasons::recordsOn).arg(damage.from);
    return damage.from == damage.to
               ? JournalReasons::text(JournalReasons::oneRecord).arg(damage.from)
               : JournalReasons::text(JournalReasons::recordRange).arg(damage.from).arg(damage.to);
}

void reportDamage(const JournalLog& log, const QString& folder, Undo* undo, QJsonObject* report)
{
    QJsonArray damaged;
    for (const JournalDamage& damage : log.damage) {
        damaged.append(QJsonObject{{QStringLiteral("records"), rangeText(damage)},
                                   {QStringLiteral("reason"), damage.reason}});
        undo->left.append(
            QJsonObject{{QStringLiteral("path"), journalLogPath(folder)},
                        {QStringLiteral("reason"), JournalReasons::text(JournalReasons::damagedLog)
                                                       .arg(rangeText(damage), damage.reason)}});
    }
    if (!damaged.isEmpty())
        report->insert(QStringLiteral("damaged"), damaged);
}

// Every file still in backup/ once undo is done: each holds bytes the run took from the user, and
// where undo could not put it back, the user finds it here.
void reportKept(const JournalLog& log, const QString& folder, const Undo& undo, QJsonObject* report)
{
    QHash<int, QString> pathOfBackup;
    for (const JournalRecord& record : log.records) {
        if (holdsBackup(record))
            pathOfBackup.insert(record.seq, record.path);
    }
    const QDir backups(folder + QStringLiteral("/backup"));
    QJsonArray kept;
    for (const QString& name : backups.entryList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString backup = backups.filePath(name);
        if (!undo.files.stateOf(backup).exists())
            continue;
        QJsonObject entry{{QStringLiteral("backup"), backup}};
        bool number = false;
        const QString path = pathOfBackup.value(name.toInt(&number));
        if (number && !path.isEmpty())
            entry.insert(QStringLiteral("path"), path);
        kept.append(entry);
    }
    if (!kept.isEmpty())
        report->insert(QStringLiteral("kept"), kept);
}

QString statusOf(const Undo& undo)
{
    return undo.left.isEmpty() ? QStringLiteral("undone") : QStringLiteral("partly undone");
}

// Written once, new, never through a link: an entry already there is left as it is. Private like
// the rest of the journal, whatever the umask took off.
void markUndone(const QString& folder, const QJsonObject& report)
{
    const int fd = openWithoutWaiting(undoneMarkerPath(folder), OpenFor::CreatingPrivate);
    if (fd < 0)
        return;
    setMode(fd, 0600);
    const QByteArray text = QJsonDocument(report).toJson();
    writeAllAt(fd, text.constData(), text.size(), 0);
    ::fsync(fd);
    ::close(fd);
}

} // namespace

JournalState journalState(const QString& folder)
{
    if (fileStateOf(undoneMarkerPath(folder)).kind == FileState::Kind::File)
        return JournalState::Undone;
    const OpenLog file(folder, UndoMode::DryRun);
    if (file.runGoing())
        return JournalState::Running;
    if (file.missing() && !holdsBackups(folder))
        return JournalState::None;
    const JournalLog log = readJournal(file.bytes(), folder);
    const bool nothingToDo = file.read() && log.refusal.isEmpty() && log.damage.isEmpty() &&
                             log.records.isEmpty() && !holdsBackups(folder);
    return nothingToDo ? JournalState::NoChanges : JournalState::Undoable;
}

QJsonObject undoJournal(const QString& folderPath, UndoMode mode)
{
    const QString folder = QFileInfo(folderPath).absoluteFilePath();
    QJsonObject report{{QStringLiteral("journal"), folder}};
    if (fileStateOf(undoneMarkerPath(folder)).kind == FileState::Kind::File) {
        report.insert(QStringLiteral("status"), QStringLiteral("already undone"));
        return report;
    }
    const OpenLog file(folder, mode);
    // A folder of backups without its log is a journal whose records are lost, not no journal.
    if (file.missing() && !holdsBackups(folder)) {
        report.insert(QStringLiteral("status"), QStringLiteral("no journal"));
        return report;
    }
    const QString refusal = refusalBeforeReading(folder, file);
    if (!refusal.isEmpty())
        return refused(report, refusal);
    const JournalLog log = readJournal(file.bytes(), folder);
    if (!log.refusal.isEmpty())
        return refused(report, log.refusal);
    Undo undo(folder, mode == UndoMode::DryRun ? UndoFiles::Mode::DryRun : UndoFiles::Mode::Apply);
    QVector<JournalRecord> trusted;
    for (const JournalRecord& record : log.records) {
        if (record.seq > log.untrustedUpTo)
            trusted.append(record);
    }
    // First, so that a folder the run made is empty again when its turn comes.
    removeLeftovers(trusted, log.startMs, &undo);
    for (auto it = log.records.crbegin(); it != log.records.crend(); ++it) {
        if (it->seq > log.untrustedUpTo)
            undo.takeBack(*it);
        else
            undo.leaveUntrusted(*it);
    }
    reportDamage(log, folder, &undo, &report);
    report.insert(QStringLiteral("status"), statusOf(undo));
    report.insert(QStringLiteral("restored"), undo.restored);
    report.insert(QStringLiteral("left"), undo.left);
    reportKept(log, folder, undo, &report);
    if (mode == UndoMode::Apply)
        markUndone(folder, report);
    return report;
}
