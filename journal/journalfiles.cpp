#include "journalfiles.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool copyBytes(int in, int out)
{
    if (::ioctl(out, FICLONE, in) == 0)
        return true;
    qint64 written = 0;
    return readBlocks(in, [out, &written](const char* bytes, qint64 size) {
        if (!writeAllAt(out, bytes, size, written))
            return false;
        written += size;
        return true;
    });
}

bool setModificationTime(int fd, const struct timespec& mtime)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::futimens(fd, times) == 0;
}

// Copies the bytes of the open file `in` into `out` (opened with `flags`), then its times.
bool copyInto(const QString& from, const QString& to, int flags, mode_t mode)
{
    const int in = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat status;
    const int out =
        ::fstat(in, &status) == 0
            ? ::open(native(to).constData(), flags | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode)
            : -1;
    bool ok = out >= 0 && copyBytes(in, out) && setModificationTime(out, status.st_mtim) &&
              ::fdatasync(out) == 0;
    // A new copy is private whatever the umask; whoever puts it back gives it its mode.
    if (out >= 0 && (flags & O_EXCL))
        ok = ok && ::fchmod(out, mode) == 0;
    ::close(in);
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    return ok;
}

} // namespace

bool readBlocks(int fd, const std::function<bool(const char* bytes, qint64 size)>& take)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!take(buffer, got))
            return false;
    }
}

bool copyKeepingTimes(const QString& from, const QString& to)
{
    if (copyInto(from, to, O_CREAT | O_EXCL, 0600))
        return true;
    ::unlink(native(to).constData());
    return false;
}

// A symbolic link made again at `to`, pointing where the one at `from` points.
bool copyLink(const QString& from, const QString& to)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(native(from).constData(), target, sizeof target - 1);
    if (length < 0)
        return false;
    target[length] = '\0';
    return ::symlink(target, native(to).constData()) == 0;
}

bool moveOrCopyAway(const QString& from, const QString& to)
{
    if (::rename(native(from).constData(), native(to).constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    struct stat status;
    if (::lstat(native(from).constData(), &status) != 0)
        return false;
    const bool copied = S_ISLNK(status.st_mode)   ? copyLink(from, to)
                        : S_ISREG(status.st_mode) ? copyKeepingTimes(from, to)
                                                  : false;
    return copied && ::unlink(native(from).constData()) == 0;
}

bool linkOrCopy(const QString& from, const QString& to)
{
    if (::link(native(from).constData(), native(to).constData()) == 0)
        return true;
    return errno == EXDEV && copyKeepingTimes(from, to);
}

bool rewriteInPlace(const QString& from, const QString& to)
{
    return copyInto(from, to, O_TRUNC, 0);
}

bool truncateKeepingTime(const QString& path, qint64 size, qint64 mtimeNs)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const struct timespec mtime = {time_t(mtimeNs / 1000000000), long(mtimeNs % 1000000000)};
    const bool ok =
        ::ftruncate(fd, off_t(size)) == 0 && setModificationTime(fd, mtime) && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool writeAllAt(int fd, const char* data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}
