// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "posixfile_unix.h"

#include "core/localpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

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
    case OpenFor::Changing:
        return O_WRONLY;
    case OpenFor::Rewriting:
        return O_WRONLY | O_TRUNC;
    case OpenFor::Folder:
        return O_RDONLY | O_DIRECTORY | O_NOFOLLOW;
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
    status->folder = S_ISDIR(from.st_mode);
    status->symLink = S_ISLNK(from.st_mode);
    status->size = qint64(from.st_size);
    status->mtimeNs = qint64(from.st_mtim.tv_sec) * 1000000000 + from.st_mtim.tv_nsec;
    status->ctimeNs = qint64(from.st_ctim.tv_sec) * 1000000000 + from.st_ctim.tv_nsec;
    status->device = quint64(from.st_dev);
    status->inode = quint64(from.st_ino);
    status->linkCount = quint64(from.st_nlink);
    status->mode = uint(from.st_mode & 07777);
    status->owner = uint(from.st_uid);
    status->group = uint(from.st_gid);
    status->modified = modificationTime(from.st_mtim);
}

} // namespace

namespace
{

// An absolute path without "..", as QDir::cleanPath would leave it: no "//", no "." part, no "/"
// at the end. Most paths a run names are, and are then taken as they are.
bool isClean(const QString& path)
{
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return false;
    return !path.contains(QLatin1String("//")) && !path.contains(QLatin1String("/./")) &&
           !path.endsWith(QLatin1String("/."));
}

} // namespace

QString processCurrentFolder()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return QString();
    return QFile::decodeName(buffer);
}

QString absoluteFolder(const QString& folder)
{
    if (folder.isEmpty())
        return processCurrentFolder();
    const QString absolute = QDir::isAbsolutePath(folder)
                                 ? folder
                                 : absolutePathAsKernelTakesIt(folder, processCurrentFolder());
    // Links resolved, as the system resolves a current folder: a ".." behind it then climbs from
    // where it leads, whether the kernel or Qt's cleaning of a path takes it.
    const QString resolved = QFileInfo(absolute).canonicalFilePath();
    return resolved.isEmpty() ? absolute : resolved;
}

namespace
{

// As QDir::isAbsolutePath, which builds a QFileInfo to say so: a path beginning with a slash, or
// one that names a resource (":/images").
bool isAbsolutePath(const QString& path)
{
    const QChar first = path.at(0);
    if (first == QLatin1Char('/'))
        return true;
    return first == QLatin1Char(':') && QDir::isAbsolutePath(path);
}

} // namespace

QString pathInFolder(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.isEmpty() || isAbsolutePath(path))
        return path;
    return folder + QLatin1Char('/') + path;
}

QString absolutePathAsKernelTakesIt(const QString& path, const QString& workingFolder)
{
    const QString absolute =
        QDir::isAbsolutePath(path) ? path : workingFolder + QLatin1Char('/') + path;
    if (!absolute.contains(QLatin1String("..")))
        return isClean(absolute) ? absolute : QDir::cleanPath(absolute);
    const QStringList parts = absolute.split(QLatin1Char('/'));
    const int lastUp = parts.lastIndexOf(QStringLiteral(".."));
    if (lastUp < 0)
        return QDir::cleanPath(absolute);
    // realpath(3) resolves each link before the ".." that follows it, as the kernel does.
    const QString climbed =
        QFileInfo(parts.mid(0, lastUp + 1).join(QLatin1Char('/'))).canonicalFilePath();
    if (climbed.isEmpty())
        return QDir::cleanPath(absolute);
    return QDir::cleanPath(climbed + QLatin1Char('/') +
                           parts.mid(lastUp + 1).join(QLatin1Char('/')));
}

int openWithoutWaiting(const QString& path, OpenFor purpose, OpenError* error)
{
    const mode_t mode = purpose == OpenFor::CreatingPrivate ? 0600 : 0666;
    int fd;
    do {
        fd = ::open(LocalPath(path).constData(), flagsFor(purpose) | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (error)
        *error = fd >= 0 ? OpenError::None : openErrorOf(errno);
    return fd;
}

bool closeDescriptor(int fd)
{
    return ::close(fd) == 0;
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
    const LocalPath name(path);
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

namespace
{

// The access time left as it is, the modification time `modified` (nanoseconds since the epoch).
// Floor division, so that times before the epoch keep a nanosecond part in 0..999,999,999.
void fillTimes(qint64 modified, struct timespec times[2])
{
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    qint64 seconds = modified / kNanosecondsPerSecond;
    qint64 nanoseconds = modified % kNanosecondsPerSecond;
    if (nanoseconds < 0) {
        --seconds;
        nanoseconds += kNanosecondsPerSecond;
    }
    times[1].tv_sec = time_t(seconds);
    times[1].tv_nsec = long(nanoseconds);
}

} // namespace

bool setModificationTime(const QString& path, qint64 modified)
{
    struct timespec times[2];
    fillTimes(modified, times);
    return ::utimensat(AT_FDCWD, LocalPath(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

uint ownAccessBits(const QString& path, uint asked)
{
    const LocalPath name(path);
    const auto may = [&](uint bit, int what) {
        return (asked & bit) && ::access(name.constData(), what) == 0 ? bit : 0;
    };
    return may(S_IRUSR, R_OK) | may(S_IWUSR, W_OK) | may(S_IXUSR, X_OK);
}

bool copyOwnerAndMode(int fd, const FileStatus& model)
{
    // Owner and group where the process may give them away, else the group where it belongs to
    // it. The mode after the owner: a change of owner clears the set-user-ID bit.
    const bool owned = ::fchown(fd, uid_t(model.owner), gid_t(model.group)) == 0 ||
                       ::fchown(fd, uid_t(-1), gid_t(model.group)) == 0;
    return ::fchmod(fd, mode_t(model.mode)) == 0 && owned;
}

bool setMode(int fd, uint mode)
{
    return ::fchmod(fd, mode_t(mode)) == 0;
}

bool setMode(const QString& path, uint mode)
{
    return ::chmod(LocalPath(path).constData(), mode_t(mode)) == 0;
}

bool makeFolder(const QString& path, uint mode)
{
    return ::mkdir(LocalPath(path).constData(), mode_t(mode)) == 0;
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

bool cloneContent(int in, int out)
{
    return ::ioctl(out, FICLONE, in) == 0;
}

KernelCopy copyInKernel(int in, int out, qint64 most)
{
    // One call moves at most this much (the kernel's own limit, 2 GiB less a page).
    const qint64 kMostPerCall = 0x7ffff000;
    return copyInKernel(in, out, most, kMostPerCall, nullptr);
}

KernelCopy copyInKernel(int in, int out, qint64 most, qint64 piece,
                        const std::function<bool(qint64)>& moved)
{
    // Where `most` is the file's known size, the copy ends without a last call to find its end.
    qint64 left = most;
    while (left > 0) {
        const ssize_t sent = ::sendfile(out, in, nullptr, size_t(qMin(piece, left)));
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0)
            return left == most && (errno == EINVAL || errno == ENOSYS) ? KernelCopy::NotSupported
                                                                        : KernelCopy::Failed;
        if (sent == 0)
            break;
        left -= sent;
        if (moved && !moved(sent)) {
            errno = ECANCELED;
            return KernelCopy::Failed;
        }
    }
    return KernelCopy::Done;
}

bool truncateTo(int fd, qint64 size)
{
    int result;
    do {
        result = ::ftruncate(fd, off_t(size));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool setModificationTime(int fd, qint64 mtimeNs)
{
    struct timespec times[2];
    fillTimes(mtimeNs, times);
    return ::futimens(fd, times) == 0;
}

bool syncData(int fd)
{
    return ::fdatasync(fd) == 0;
}

bool syncFileSystem(int fd)
{
    return ::syncfs(fd) == 0;
}

qint64 fileSizeLimit()
{
    rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > rlim_t(std::numeric_limits<qint64>::max()))
        return -1;
    return qint64(limit.rlim_cur);
}

bool withinFileSizeLimit(qint64 size, qint64 limit)
{
    if (limit < 0 || size <= limit)
        return true;
    errno = EFBIG;
    return false;
}

bool withinFileSizeLimit(qint64 size)
{
    return withinFileSizeLimit(size, fileSizeLimit());
}

Reserved reserveRoom(int fd, qint64 size)
{
    if (size <= 0)
        return Reserved::Yes;
    int result;
    do {
        result = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size));
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return Reserved::Yes;
    return errno == EOPNOTSUPP || errno == ENOSYS ? Reserved::NotSupported : Reserved::No;
}

void startWriteback(int fd, qint64 offset, qint64 length)
{
    ::sync_file_range(fd, off64_t(offset), off64_t(length), SYNC_FILE_RANGE_WRITE);
}

namespace
{

bool lockFile(int fd, int operation, bool wait)
{
    int result;
    do {
        result = ::flock(fd, wait ? operation : operation | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

bool lockExclusively(int fd, bool wait)
{
    return lockFile(fd, LOCK_EX, wait);
}

bool lockShared(int fd, bool wait)
{
    return lockFile(fd, LOCK_SH, wait);
}

bool openElsewhere(int fd)
{
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0)
        return errno == EAGAIN || errno == EBUSY;
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    return false;
}

bool renameReplacing(const QString& from, const QString& to)
{
    return ::rename(LocalPath(from).constData(), LocalPath(to).constData()) == 0;
}

bool renameWithoutReplacing(const QString& from, const QString& to)
{
    return ::renameat2(AT_FDCWD, LocalPath(from).constData(), AT_FDCWD, LocalPath(to).constData(),
                       RENAME_NOREPLACE) == 0;
}

bool exchangeEntries(const QString& a, const QString& b)
{
    return ::renameat2(AT_FDCWD, LocalPath(a).constData(), AT_FDCWD, LocalPath(b).constData(),
                       RENAME_EXCHANGE) == 0;
}

bool removeEntry(const QString& path)
{
    return ::unlink(LocalPath(path).constData()) == 0;
}

bool linkEntry(const QString& from, const QString& to)
{
    return ::link(LocalPath(from).constData(), LocalPath(to).constData()) == 0;
}

bool copySymbolicLink(const QString& from, const QString& to)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(LocalPath(from).constData(), target, sizeof target - 1);
    if (length < 0)
        return false;
    target[length] = '\0';
    return ::symlink(target, LocalPath(to).constData()) == 0;
}
