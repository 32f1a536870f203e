// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalfolder.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Enough of a folder's entries to tell the user which folder it is.
const int namesShown = 3;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString entriesText(const QStringList& names)
{
    QStringList shown = names.mid(0, namesShown);
    for (QString& name : shown)
        name = QLatin1Char('"') + name + QLatin1Char('"');
    QString text = shown.join(QStringLiteral(", "));
    if (names.size() > namesShown)
        text += QStringLiteral(" and %1 more").arg(names.size() - namesShown);
    return text;
}

// The refusal of an existing entry at `folder`, from its status taken without following a link.
QString refusalOf(const QString& folder, const struct stat& status)
{
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("the journal folder %1 is a symbolic link; give the run a new or "
                              "empty folder")
            .arg(folder);
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("the journal folder %1 is not a folder; give the run a new or "
                              "empty folder")
            .arg(folder);
    if (status.st_uid != ::geteuid())
        return QStringLiteral("the journal folder %1 belongs to another user (uid %2); give the "
                              "run a new or empty folder of your own")
            .arg(folder)
            .arg(status.st_uid);
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (names.isEmpty())
        return QString();
    return QStringLiteral("the journal folder %1 is not empty: it holds %2; give the run a new "
                          "or empty folder")
        .arg(folder, entriesText(names));
}

bool makePrivateFolder(const QString& path, QString* error)
{
    if (::mkdir(native(path).constData(), 0700) == 0 &&
        ::chmod(native(path).constData(), 0700) == 0)
        return true;
    *error = QStringLiteral("cannot make the journal folder %1: %2").arg(path, systemError(errno));
    return false;
}

} // namespace

QString journalFolderRefusal(const QString& folder)
{
    struct stat status;
    if (::lstat(native(folder).constData(), &status) != 0)
        return errno == ENOENT ? QString()
                               : QStringLiteral("cannot look at the journal folder %1: %2")
                                     .arg(folder, systemError(errno));
    return refusalOf(folder, status);
}

bool makeJournalFolder(const QString& folder, QString* error)
{
    const QString parent = QDir::cleanPath(folder + QStringLiteral("/.."));
    if (!QDir().mkpath(parent)) {
        *error = QStringLiteral("cannot make the journal folder %1").arg(folder);
        return false;
    }
    if (::mkdir(native(folder).constData(), 0700) != 0) {
        if (errno != EEXIST) {
            *error = QStringLiteral("cannot make the journal folder %1: %2")
                         .arg(folder, systemError(errno));
            return false;
        }
        // Taken only where it is empty, through a handle that cannot be a link swapped in since.
        const int fd =
            ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat status;
        if (fd < 0 || ::fstat(fd, &status) != 0) {
            const QString refusal = journalFolderRefusal(folder);
            *error = refusal.isEmpty() ? QStringLiteral("cannot open the journal folder %1: %2")
                                             .arg(folder, systemError(errno))
                                       : refusal;
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        *error = refusalOf(folder, status);
        const bool claimed = error->isEmpty() && ::fchmod(fd, 0700) == 0;
        ::close(fd);
        if (!claimed) {
            if (error->isEmpty())
                *error = QStringLiteral("cannot make the journal folder %1 private: %2")
                             .arg(folder, systemError(errno));
            return false;
        }
    } else if (::chmod(native(folder).constData(), 0700) != 0) {
        *error = QStringLiteral("cannot make the journal folder %1 private: %2")
                     .arg(folder, systemError(errno));
        return false;
    }
    return makePrivateFolder(folder + QStringLiteral("/backup"), error);
}

bool makePrivate(const QString& path)
{
    struct stat status;
    if (::lstat(native(path).constData(), &status) != 0)
        return false;
    if (S_ISLNK(status.st_mode))
        return true;
    return ::chmod(native(path).constData(), S_ISDIR(status.st_mode) ? 0700 : 0600) == 0;
}

LockResult lockWithoutWaiting(int fd, LockKind kind)
{
    const int operation = (kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return LockResult::Taken;
    return errno == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Failed;
}

bool heldByAnotherProcess(int fd)
{
    if (lockWithoutWaiting(fd, LockKind::Exclusive) != LockResult::Taken)
        return true;
    // Where leases are not to be had (another file system, no right to one) the lock decides.
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0)
        return errno == EAGAIN || errno == EBUSY;
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return false;
}
