// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journal.h"

#include "journalfiles.h"
#include "journalfolder.h"
#include "journallogging.h"
#include "journalreasons.h"
#include "jsonline.h"

#include "core/posixfile_unix.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace
{

// Paths are kept absolute, links not resolved but where a ".." follows one, so that undo can run
// from any folder and puts back the very entries the run changed.
QString absolute(const QString& path, const QString& workingFolder)
{
    return absolutePathAsKernelTakesIt(path, workingFolder);
}

quint32 modeOf(const QString& path)
{
    FileStatus status;
    return statusOf(path, false, &status) ? status.mode : 0;
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// A change that may destroy data at `path`, with the time it began: undo tells by it whether
// what is there now was made by the run, where a kill left no record after the change.
JsonLine changeAt(const char* op, const QString& path)
{
    return JsonLine().add("op", QLatin1String(op)).add("path", path).add("time", now());
}

#ifdef FILEOPER_TEST_HOOKS
// Tests stop a run at a chosen change, right after it is made and before its end is recorded:
// the worst moment for a kill, met without waiting for it.
void killHereForTests(int seq)
{
    static const int killAfter = qEnvironmentVariableIntValue("FILEOPER_TEST_KILL_AFTER_CHANGE");
    if (seq == killAfter)
        ::raise(SIGKILL);
}
#else
void killHereForTests(int)
{
}
#endif

} // namespace

QString journalLogPath(const QString& folder)
{
    return folder + QStringLiteral("/journal.log");
}

// FNV-1a, 64 bits: a record's end must name the very line of its change, and is written for every
// change, so the digest is one pass of a multiply per byte. It guards against a line changed by
// accident or by hand, not against a forger, who could recompute any digest kept beside it.
QByteArray journalRecordDigest(const QByteArray& line)
{
    quint64 hash = Q_UINT64_C(14695981039346656037);
    for (const char byte : line) {
        hash ^= quint8(byte);
        hash *= Q_UINT64_C(1099511628211);
    }
    return QByteArray::number(hash, 16).rightJustified(16, '0');
}

QString journalBackupPath(const QString& folder, int seq)
{
    return folder + QStringLiteral("/backup/") + QString::number(seq);
}

QString journalAsidePath(const QString& folder, int seq)
{
    return folder + QStringLiteral("/aside/") + QString::number(seq);
}

Journal::Journal(const QString& folder, const QString& workingFolder,
                 std::unique_ptr<AppendLog> log)
    : m_folder(folder), m_workingFolder(workingFolder), m_log(std::move(log))
{
}

Journal::~Journal()
{
    sync();
}

QString Journal::absolute(const QString& path) const
{
    return ::absolute(path, m_workingFolder);
}

std::unique_ptr<Journal> Journal::create(const QString& folder, QString* error,
                                         const QString& workingFolder)
{
    const QString from = absoluteFolder(workingFolder);
    const QString root = ::absolute(folder, from);
    if (!makeJournalFolder(root, error))
        return nullptr;
    const QByteArray start = JsonLine()
                                 .add("op", QStringLiteral("start"))
                                 .add("time", now())
                                 .add("version", qint64(journalFormatVersion))
                                 .add("seq", 1)
                                 .object() +
                             '\n';
    std::unique_ptr<AppendLog> log = AppendLog::create(journalLogPath(root), start);
    if (!log) {
        *error = JournalReasons::text(JournalReasons::cannotWriteJournal)
                     .arg(root, QString::fromLocal8Bit(strerror(errno)));
        return nullptr;
    }
    std::unique_ptr<Journal> journal(new Journal(root, from, std::move(log)));
    journal->m_seq = 1;
    return journal;
}

QString Journal::backupPath(int seq) const
{
    return journalBackupPath(m_folder, seq);
}

QByteArray Journal::numbered(JsonLine record)
{
    return record.add("seq", ++m_seq).object() + '\n';
}

bool Journal::append(JsonLine record, const QString& statePath, WithHash withHash,
                     const FileState* before)
{
    // A journal that lost a record no longer holds all the run did: it records nothing more, so
    // that every change after it is refused.
    if (m_failed)
        return false;
    record.add("seq", ++m_seq);
    m_changeSeq = m_seq;
    if (!statePath.isEmpty())
        record.addJson("before", (before ? *before : fileStateOf(statePath)).toJson());
    m_lastPath = statePath;
    m_lastHash = withHash;
    m_lastState.clear();
    m_stateRecorded = false;
    const QByteArray object = record.object();
    m_changeDigest = journalRecordDigest(object);
    return appendLine(object + '\n');
}

// Each line goes out at once, with one write: a kill loses at most the line being written.
bool Journal::appendLine(const QByteArray& line)
{
    if (m_log->append(line))
        return true;
    m_failure = QString::fromLocal8Bit(strerror(errno));
    qCDebug(lcJournal).noquote() << QStringLiteral("%1: the log cannot be written, %2")
                                        .arg(journalLogPath(m_folder), m_failure);
    m_failed = true;
    return false;
}

// A file that could not be moved or copied into the journal for want of room, or because the
// journal's folder is gone, is the journal's failure; one that could not be moved from a folder
// the user may not change is only that change's.
bool Journal::keptInJournal(bool kept)
{
    if (kept)
        return true;
    const int error = errno;
    m_keepError = QString::fromLocal8Bit(strerror(error));
    m_keepErrorCode = error;
    const QByteArray folder = QFile::encodeName(m_folder);
    if (error == ENOSPC || error == EDQUOT || error == EFBIG || !QFileInfo(m_folder).isDir() ||
        ::access(folder.constData(), W_OK | X_OK) != 0) {
        m_failed = true;
        m_failure = m_keepError;
    }
    return false;
}

bool Journal::willMakeFolder(const QString& path)
{
    const QString target = absolute(path);
    return append(JsonLine().add("op", QStringLiteral("mkdir")).add("path", target), target,
                  WithHash::No);
}

bool Journal::willCreate(const QString& path, const FileState* before)
{
    const QString target = absolute(path);
    return append(changeAt("create", target), target, WithHash::Yes, before);
}

bool Journal::willRename(const QString& from, const QString& to, const FileState* source)
{
    // The entry keeps its identity through a rename, so its state before is the one to expect
    // at the new name afterwards. Nothing is at the new name before (a target in the way goes
    // into the journal first), so only the entry itself is looked at.
    const QByteArray sourceState = (source ? *source : fileStateOf(absolute(from))).toJson();
    const QString target = absolute(to);
    if (!append(JsonLine()
                    .add("op", QStringLiteral("rename"))
                    .add("path", target)
                    .add("from", absolute(from))
                    .addJson("source", sourceState),
                QString(), WithHash::No))
        return false;
    m_lastPath = target;
    m_lastState = sourceState;
    // The record's own "source" is the state the rename leaves: its end needs no second copy.
    m_stateRecorded = true;
    return true;
}

bool Journal::willAppend(const QString& path)
{
    const QString target = absolute(path);
    // The old bytes' hash tells undo, without the record of the end, that they are still whole.
    const FileState before = fileStateOf(target, WithHash::Yes);
    return append(changeAt("append", target), target, WithHash::Yes, &before);
}

bool Journal::willRewriteInPlace(const QString& path)
{
    const QString target = absolute(path);
    if (!append(changeAt("rewrite", target), target, WithHash::Yes))
        return false;
    if (!keptInJournal(copyKeepingTimes(target, backupPath(m_changeSeq))))
        return false;
    recordKept(m_changeSeq, m_changeDigest, target, modeOf(target));
    return true;
}

bool Journal::willReplace(const QString& path)
{
    const QString target = absolute(path);
    if (!append(changeAt("replace", target), target, WithHash::Yes))
        return false;
    const FileState before = fileStateOf(target);
    if (!keptInJournal(linkOrCopy(target, backupPath(m_changeSeq))))
        return false;
    // A second name of the file is the file itself, which its record before vouches for; a copy
    // (the journal on another file system) is a file of its own and needs a record of its own.
    if (fileStateOf(backupPath(m_changeSeq)).inode == before.inode)
        m_linkedBackups.append({m_changeSeq, m_changeDigest, target, before.mode});
    else
        recordKept(m_changeSeq, m_changeDigest, target, before.mode);
    return true;
}

bool Journal::willWriteBeside(const QString& path)
{
    return append(JsonLine().add("op", QLatin1String("beside")).add("path", absolute(path)),
                  QString(), WithHash::No);
}

bool Journal::moveIntoJournal(const QString& path)
{
    const QString target = absolute(path);
    // What is moved, in the record before the move: a kill between the move and the kept record
    // leaves a backup undo can still tell for this very file (a rename keeps its identity).
    const FileState before = fileStateOf(target);
    if (!append(JsonLine().add("op", QStringLiteral("remove")).add("path", target), target,
                WithHash::No, &before))
        return false;
    m_lastBackup = backupPath(m_changeSeq);
    if (!keptInJournal(moveOrCopyAway(target, m_lastBackup)))
        return false;
    // Nothing is at the path now; no state to record after.
    m_lastPath.clear();
    // A test's kill comes before the kept record: the moment its record before must cover.
    killHereForTests(m_changeSeq);
    // Its own mode, to be given back: a copy to another file system would not keep it.
    recordKept(m_changeSeq, m_changeDigest, target, before.mode);
    return true;
}

bool Journal::willPutInPlace(const QString& pending)
{
    if (m_failed)
        return false;
    m_lastState = fileStateOf(pending, WithHash::Yes).toJson();
    m_stateRecorded = true;
    return appendLine(numbered(JsonLine()
                                   .add("ready", m_changeSeq)
                                   .add("of", QLatin1String(m_changeDigest))
                                   .add("path", m_lastPath)
                                   .addJson("after", m_lastState)));
}

// Undo puts a backup back only where it is still what the run moved in. Hashing it here would
// read every byte of every file a run deletes (a 1 GiB delete is otherwise one rename), so the
// record is of its identity instead: device, inode, size and modification time, and the status
// change time taken after it was made private, which nobody can set back, so the file cannot be
// swapped or edited without the record telling. Written at once: the change is made, and a kill
// must not part it from its record.
void Journal::recordKept(int seq, const QByteArray& digest, const QString& path, quint32 mode)
{
    const QString backup = backupPath(seq);
    makePrivate(backup);
    FileState kept = fileStateOf(backup);
    kept.mode = mode;
    appendLine(numbered(JsonLine()
                            .add("kept", seq)
                            .add("of", QLatin1String(digest))
                            .add("path", path)
                            .addJson("state", kept.toJson())
                            .addAsText("ctime", kept.ctimeNs)));
}

// A backup still linked to the user's file (its replacement was never renamed over it) stays as
// it is: its mode is the user's file's too.
void Journal::makeLinkedBackupsPrivate()
{
    QVector<LinkedBackup> stillLinked;
    for (const LinkedBackup& linked : qAsConst(m_linkedBackups)) {
        FileStatus status;
        if (!statusOf(backupPath(linked.seq), false, &status) || !status.regular)
            continue;
        if (status.linkCount == 1)
            recordKept(linked.seq, linked.digest, linked.path, linked.mode);
        else
            stillLinked.append(linked);
    }
    m_linkedBackups = stillLinked;
}

// The record of the change's end goes out at once: with the log mapped, it costs a copy.
void Journal::changeMade()
{
    killHereForTests(m_changeSeq);
    if (m_lastPath.isEmpty() || m_failed)
        return;
    // A renamed entry is the one that was at the old name, a file put in place the one recorded
    // just before: no need to look again.
    JsonLine done;
    done.add("done", m_changeSeq).add("of", QLatin1String(m_changeDigest)).add("path", m_lastPath);
    if (!m_stateRecorded)
        done.addJson("after", m_lastState.isEmpty() ? fileStateOf(m_lastPath, m_lastHash).toJson()
                                                    : m_lastState);
    appendLine(numbered(done));
    m_lastPath.clear();
}

void Journal::changeFailed()
{
    if (m_failed)
        return;
    appendLine(numbered(JsonLine()
                            .add("failed", m_changeSeq)
                            .add("of", QLatin1String(m_changeDigest))
                            .add("path", m_lastPath)));
    m_lastPath.clear();
}

void Journal::sync()
{
    makeLinkedBackupsPrivate();
    m_log->sync();
}
