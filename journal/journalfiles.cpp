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

// Copies the bytes of the file `from` into `to` (opened for `purpose`), then its times; a file
// made new gets the permission bits of `from` too.
bool copyInto(const QString& from, const QString& to, OpenFor purpose)
{
    const int in = openWithoutWaiting(from, OpenFor::Reading);
    if (in < 0)
        return false;
    FileStatus status;
    const int out = statusOf(in, &status) ? openWithoutWaiting(to, purpose) : -1;
    bool ok =
        out >= 0 && copyBytes(in, out) && setModificationTime(out, status.mtimeNs) && syncData(out);
    if (out >= 0 && purpose == OpenFor::CreatingPrivate)
        ok = ok && setMode(out, status.mode);
    closeDescriptor(in);
    if (out >= 0 && !closeDescriptor(out))
        ok = false;
    return ok;
}

} // namespace

bool copyKeepingTimes(const QString& from, const QString& to)
{
    if (copyInto(from, to, OpenFor::CreatingPrivate))
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
    return copyInto(from, to, OpenFor::Rewriting);
}

bool truncateKeepingTime(const QString& path, qint64 size, qint64 mtimeNs)
{
    const int fd = openWithoutWaiting(path, OpenFor::Changing);
    if (fd < 0)
        return false;
    const bool ok = truncateTo(fd, size) && setModificationTime(fd, mtimeNs) && syncData(fd);
    return closeDescriptor(fd) && ok;
}
