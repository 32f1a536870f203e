// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalfolder.h"

#include "journalreasons.h"

#include "core/posixfile_unix.h"

#include <QDir>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace
{

// Enough of a folder's entries to tell the user which folder it is.
const int namesShown = 3;

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
        text =
            JournalReasons::text(JournalReasons::andMore).arg(text).arg(names.size() - namesShown);
    return text;
}

// The refusal of an existing entry at `folder`, from its status taken without following a link.
QString refusalOf(const QString& folder, const FileStatus& status)
{
    if (status.symLink)
        return JournalReasons::text(JournalReasons::folderIsLink).arg(folder);
    if (!status.folder)
        return JournalReasons::text(JournalReasons::folderNotFolder).arg(folder);
    if (status.owner != ::geteuid())
        return JournalReasons::text(JournalReasons::folderOfOtherUser)
            .arg(folder)
            .arg(status.owner);
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (names.isEmpty())
        return QString();
    return JournalReasons::text(JournalReasons::folderNotEmpty).arg(folder, entriesText(names));
}

bool makePrivateFolder(const QString& path, QString* error)
{
    if (makeFolder(path, 0700) && setMode(path, 0700))
        return true;
    *error =
        JournalReasons::text(JournalReasons::cannotMakeFolderBecause).arg(path, systemError(errno));
    return false;
}

} // namespace

QString journalFolderRefusal(const QString& folder)
{
    FileStatus status;
    if (!statusOf(folder, false, &status))
        return errno == ENOENT ? QString()
                               : JournalReasons::text(JournalReasons::cannotLookAtFolder)
                                     .arg(folder, systemError(errno));
    return refusalOf(folder, status);
}

bool makeJournalFolder(const QString& folder, QString* error)
{
    const QString parent = QDir::cleanPath(folder + QStringLiteral("/.."));
    if (!QDir().mkpath(parent)) {
        *error = JournalReasons::text(JournalReasons::cannotMakeFolder).arg(folder);
        return false;
    }
    if (!makeFolder(folder, 0700)) {
        if (errno != EEXIST) {
            *error = JournalReasons::text(JournalReasons::cannotMakeFolderBecause)
                         .arg(folder, systemError(errno));
            return false;
        }
        // Taken only where it is empty, through a handle that cannot be a link swapped in since.
        const int fd = openWithoutWaiting(folder, OpenFor::Folder);
        FileStatus status;
        if (fd < 0 || !statusOf(fd, &status)) {
            const QString refusal = journalFolderRefusal(folder);
            *error = refusal.isEmpty() ? JournalReasons::text(JournalReasons::cannotOpenFolder)
                                             .arg(folder, systemError(errno))
                                       : refusal;
            if (fd >= 0)
                closeDescriptor(fd);
            return false;
        }
        *error = refusalOf(folder, status);
        const bool claimed = error->isEmpty() && setMode(fd, 0700);
        closeDescriptor(fd);
        if (!claimed) {
            if (error->isEmpty())
                *error = JournalReasons::text(JournalReasons::cannotMakePrivate)
                             .arg(folder, systemError(errno));
            return false;
        }
    } else if (!setMode(folder, 0700)) {
        *error =
            JournalReasons::text(JournalReasons::cannotMakePrivate).arg(folder, systemError(errno));
        return false;
    }
    return makePrivateFolder(folder + QStringLiteral("/backup"), error);
}

bool makePrivate(const QString& path)
{
    FileStatus status;
    if (!statusOf(path, false, &status))
        return false;
    if (status.symLink)
        return true;
    return setMode(path, status.folder ? 0700 : 0600);
}

LockResult lockWithoutWaiting(int fd, LockKind kind)
{
    const bool taken =
        kind == LockKind::Exclusive ? lockExclusively(fd, false) : lockShared(fd, false);
    if (taken)
        return LockResult::Taken;
    return errno == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Failed;
}

bool heldByAnotherProcess(int fd)
{
    // Where leases are not to be had, the lock decides.
    return lockWithoutWaiting(fd, LockKind::Exclusive) != LockResult::Taken || openElsewhere(fd);
}
