// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalfiles.h"

#include "core/posixfile_unix.h"

#include <cerrno>

namespace
{

bool copyBytes(int in, int out)
{
    if (cloneContent(in, out))
        return true;
    qint64 written = 0;
    return readBlocks(in, [out, &written](const char* bytes, qint64 size) {
        if (!writeAllAt(out, bytes, size, written))
            return false;
        written += size;
        return true;
    });
}

// The file at `path`, opened for changing, never through a link: the path must name the very
// file opened (undo changes only files it checked, not whatever a link planted since leads to).
int openNotThroughLink(const QString& path)
{
    const int fd = openWithoutWaiting(path, OpenFor::Changing);
    if (fd < 0)
        return -1;
    FileStatus opened, named;
    if (statusOf(fd, &opened) && statusOf(path, false, &named) && !named.symLink &&
        isSameFile(opened, named))
        return fd;
    closeDescriptor(fd);
    errno = ELOOP;
    return -1;
}

// Copies the bytes of the file `from` into `to` (a new private file, 0600 whatever the umask, or
// with `rewrite` the existing file emptied first), then its times.
bool copyInto(const QString& from, const QString& to, bool rewrite)
{
    const int in = openWithoutWaiting(from, OpenFor::Reading);
    if (in < 0)
        return false;
    FileStatus status;
    const int out = !statusOf(in, &status) ? -1
                    : rewrite              ? openNotThroughLink(to)
                                           : openWithoutWaiting(to, OpenFor::CreatingPrivate);
    bool ok = out >= 0 && (!rewrite || truncateTo(out, 0)) && copyBytes(in, out) &&
              setModificationTime(out, status.mtimeNs) && syncData(out);
    // Whoever puts a copy back gives it its mode.
    if (out >= 0 && !rewrite)
        ok = ok && setMode(out, 0600);
    closeDescriptor(in);
    if (out >= 0 && !closeDescriptor(out))
        ok = false;
    return ok;
}

} // namespace

bool copyKeepingTimes(const QString& from, const QString& to)
{
    if (copyInto(from, to, false))
        return true;
    removeEntry(to);
    return false;
}

bool moveOrCopyAway(const QString& from, const QString& to)
{
    if (renameReplacing(from, to))
        return true;
    if (errno != EXDEV)
        return false;
    FileStatus status;
    if (!statusOf(from, false, &status))
        return false;
    const bool copied = status.symLink   ? copySymbolicLink(from, to)
                        : status.regular ? copyKeepingTimes(from, to)
                                         : false;
    return copied && removeEntry(from);
}

bool linkOrCopy(const QString& from, const QString& to)
{
    if (linkEntry(from, to))
        return true;
    return errno == EXDEV && copyKeepingTimes(from, to);
}

bool rewriteInPlace(const QString& from, const QString& to)
{
    return copyInto(from, to, true);
}

bool truncateKeepingTime(const QString& path, qint64 size, qint64 mtimeNs)
{
    const int fd = openNotThroughLink(path);
    if (fd < 0)
        return false;
    const bool ok = truncateTo(fd, size) && setModificationTime(fd, mtimeNs) && syncData(fd);
    return closeDescriptor(fd) && ok;
}
