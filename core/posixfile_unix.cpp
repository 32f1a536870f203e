#include "posixfile_unix.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

int flagsFor(OpenFor purpose)
{
    switch (purpose) {
    case OpenFor::Reading:
        return O_RDONLY;
    case OpenFor::CreatingNew:
        return O_WRONLY | O_CREAT | O_EXCL;
    case OpenFor::Writing:
        return O_WRONLY | O_CREAT;
    case OpenFor::Appending:
        return O_WRONLY | O_CREAT | O_APPEND;
    case OpenFor::CreatingPrivate:
        return O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    case OpenFor::Inspecting:
        return O_RDONLY | O_NOFOLLOW;
    }
    return O_RDONLY;
}

OpenError openErrorOf(int error)
{
    switch (error) {
    case EEXIST:
        return OpenError::Exists;
    case EACCES:
    case EPERM:
        return OpenError::NotPermitted;
    default:
        return OpenError::Other;
    }
}

void fill(const struct stat& from, FileStatus* status)
{
    status->regular = S_ISREG(from.st_mode);
    status->symLink = S_ISLNK(from.st_mode);
    status->device = quint64(from.st_dev);
    status->inode = quint64(from.st_ino);
    status->linkCount = quint64(from.st_nlink);
    status->mode = uint(from.st_mode & 07777);
    status->owner = uint(from.st_uid);
    status->group = uint(from.st_gid);
    status->modified = modificationTime(from.st_mtim);
}

} // namespace

int openWithoutWaiting(const QString& path, OpenFor purpose, OpenError* error)
{
    const mode_t mode = purpose == OpenFor::CreatingPrivate ? 0600 : 0666;
    int fd;
    do {
        fd = ::open(encoded(path).constData(), flagsFor(purpose) | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (error)
        *error = fd >= 0 ? OpenError::None : openErrorOf(errno);
    return fd;
}

void closeDescriptor(int fd)
{
    ::close(fd);
}

bool statusOf(int fd, FileStatus* status)
{
    struct stat found;
    if (::fstat(fd, &found) != 0)
        return false;
    fill(found, status);
    return true;
}

bool statusOf(const QString& path, bool followLinks, FileStatus* status)
{
    struct stat found;
    const QByteArray name = encoded(path);
    if ((followLinks ? ::stat(name.constData(), &found) : ::lstat(name.constData(), &found)) != 0)
        return false;
    fill(found, status);
    return true;
}

bool isSameFile(const FileStatus& a, const FileStatus& b)
{
    return a.device == b.device && a.inode == b.inode;
}

const qint64 kNanosecondsPerSecond = 1000000000;

qint64 modificationTime(const struct timespec& time)
{
    return qint64(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

bool setModificationTime(const QString& path, qint64 modified)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // the access time stays
    // Floor division, so that times before the epoch keep a nanosecond part in 0..999,999,999.
    qint64 seconds = modified / kNanosecondsPerSecond;
    qint64 nanoseconds = modified % kNanosecondsPerSecond;
    if (nanoseconds < 0) {
        --seconds;
        nanoseconds += kNanosecondsPerSecond;
    }
    times[1].tv_sec = time_t(seconds);
    times[1].tv_nsec = long(nanoseconds);
    return ::utimensat(AT_FDCWD, encoded(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool copyOwnerAndMode(int fd, const FileStatus& model)
{
    // Owner and group where the process may give them away, else the group where it belongs to
    // it. The mode after the owner: a change of owner clears the set-user-ID bit.
    const bool owned = ::fchown(fd, uid_t(model.owner), gid_t(model.group)) == 0 ||
                       ::fchown(fd, uid_t(-1), gid_t(model.group)) == 0;
    return ::fchmod(fd, mode_t(model.mode)) == 0 && owned;
}

qint64 readAt(int fd, char* data, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size_t(size - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool syncData(int fd)
{
    return ::fdatasync(fd) == 0;
}

void startWriteback(int fd, qint64 offset, qint64 length)
{
    ::sync_file_range(fd, off64_t(offset), off64_t(length), SYNC_FILE_RANGE_WRITE);
}

bool lockExclusively(int fd, bool wait)
{
    return ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0;
}

bool renameReplacing(const QString& from, const QString& to)
{
    return ::rename(encoded(from).constData(), encoded(to).constData()) == 0;
}

bool renameWithoutReplacing(const QString& from, const QString& to)
{
    return ::renameat2(AT_FDCWD, encoded(from).constData(), AT_FDCWD, encoded(to).constData(),
                       RENAME_NOREPLACE) == 0;
}

bool exchangeEntries(const QString& a, const QString& b)
{
    return ::renameat2(AT_FDCWD, encoded(a).constData(), AT_FDCWD, encoded(b).constData(),
                       RENAME_EXCHANGE) == 0;
}
