#include "journal.h"

#include "journalfiles.h"
#include "jsonline.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// Paths are kept absolute, links not resolved, so that undo can run from any folder and puts
// back the very names the run changed.
QString absolute(const QString& path, const QString& workingFolder)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path
                                                      : workingFolder + QLatin1Char('/') + path);
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

QString journalBackupPath(const QString& folder, int seq)
{
    return folder + QStringLiteral("/backup/") + QString::number(seq);
}

QString journalAsidePath(const QString& folder, int seq)
{
    return folder + QStringLiteral("/aside/") + QString::number(seq);
}

Journal::Journal(const QString& folder, std::unique_ptr<AppendLog> log)
    : m_folder(folder), m_workingFolder(QDir::currentPath()), m_log(std::move(log))
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

std::unique_ptr<Journal> Journal::create(const QString& folder, QString* error)
{
    const QString root = ::absolute(folder, QDir::currentPath());
    if (!QDir().mkpath(root + QStringLiteral("/backup"))) {
        *error = QStringLiteral("cannot make the journal folder %1").arg(root);
        return nullptr;
    }
    std::unique_ptr<AppendLog> log = AppendLog::create(journalLogPath(root));
    if (!log) {
        *error =
            errno == EEXIST
                ? QStringLiteral("%1 holds a journal already; give each run a folder of its own")
                      .arg(root)
                : QStringLiteral("cannot write the journal in %1: %2")
                      .arg(root, QString::fromLocal8Bit(strerror(errno)));
        return nullptr;
    }
    std::unique_ptr<Journal> journal(new Journal(root, std::move(log)));
    journal->append(JsonLine().add("op", QStringLiteral("start")).add("time", now()), QString(),
                    WithHash::No);
    return journal;
}

QString Journal::backupPath(int seq) const
{
    return journalBackupPath(m_folder, seq);
}

bool Journal::append(JsonLine record, const QString& statePath, WithHash withHash,
                     const FileState* before)
{
    // A journal that lost a record no longer holds all the run did: it records nothing more, so
    // that every change after it is refused.
    if (m_failed)
        return false;
    record.add("seq", ++m_seq);
    if (!statePath.isEmpty())
        record.addJson("before", (before ? *before : fileStateOf(statePath)).toJson());
    m_lastPath = statePath;
    m_lastHash = withHash;
    m_lastState.clear();
    m_stateRecorded = false;
    return appendLine(record.object());
}

bool Journal::appendLine(const QByteArray& line)
{
    if (m_log->append(line + '\n'))
        return true;
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
    const QByteArray folder = QFile::encodeName(m_folder);
    if (error == ENOSPC || error == EDQUOT || !QFileInfo(m_folder).isDir() ||
        ::access(folder.constData(), W_OK | X_OK) != 0)
        m_failed = true;
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
    const QByteArray sourceState = (source ? *source : fileStateOf(from)).toJson();
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
    return keptInJournal(copyKeepingTimes(target, backupPath(m_seq)));
}

bool Journal::willReplace(const QString& path)
{
    const QString target = absolute(path);
    if (!append(changeAt("replace", target), target, WithHash::Yes))
        return false;
    return keptInJournal(linkOrCopy(target, backupPath(m_seq)));
}

bool Journal::willWriteBeside(const QString& path)
{
    return append(JsonLine().add("op", QLatin1String("beside")).add("path", absolute(path)),
                  QString(), WithHash::No);
}

bool Journal::moveIntoJournal(const QString& path)
{
    const QString target = absolute(path);
    if (!append(JsonLine().add("op", QStringLiteral("remove")).add("path", target), QString(),
                WithHash::No))
        return false;
    const QString backup = backupPath(m_seq);
    m_lastBackup = backup;
    if (!keptInJournal(moveOrCopyAway(target, backup)))
        return false;
    // Nothing is at the path now; no state to record after.
    m_lastPath.clear();
    killHereForTests(m_seq);
    return true;
}

bool Journal::willPutInPlace(const QString& pending)
{
    if (m_failed)
        return false;
    m_lastState = fileStateOf(pending, WithHash::Yes).toJson();
    m_stateRecorded = true;
    return appendLine(JsonLine().add("ready", m_seq).addJson("after", m_lastState).object());
}

// The record of the change's end goes out at once: with the log mapped, it costs a copy.
void Journal::changeMade()
{
    killHereForTests(m_seq);
    if (m_lastPath.isEmpty() || m_failed)
        return;
    // A renamed entry is the one that was at the old name, a file put in place the one recorded
    // just before: no need to look again.
    JsonLine done;
    done.add("done", m_seq);
    if (!m_stateRecorded)
        done.addJson("after", m_lastState.isEmpty() ? fileStateOf(m_lastPath, m_lastHash).toJson()
                                                    : m_lastState);
    appendLine(done.object());
    m_lastPath.clear();
}

void Journal::changeFailed()
{
    if (m_failed)
        return;
    appendLine(JsonLine().add("failed", m_seq).object());
    m_lastPath.clear();
}

void Journal::sync()
{
    m_log->sync();
}
