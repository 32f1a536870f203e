#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Takes over a descriptor opened without waiting, once it is known to lead to a regular file.
// It stays non-blocking: that changes nothing for a file on disk, and a /proc file that would
// wait for news (/proc/kmsg) fails its read instead of stalling the flow.
bool adoptRegularFile(int fd, QIODevice::OpenMode mode, QFile* file)
{
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    // Unbuffered: every write reaches the system at once, so a failed one is seen where it fails.
    if (!file->open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

int openWithoutWaiting(const QString& path, int flags)
{
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

bool openRegularFileForReading(const QString& path, QFile* file)
{
    // Asked first so that a device is never opened at all: opening some has effects of its own.
    if (!QFileInfo(path).isFile())
        return false;
    const int fd = openWithoutWaiting(path, O_RDONLY);
    return fd >= 0 && adoptRegularFile(fd, QIODevice::ReadOnly, file);
}

bool openRegularFileForWriting(const QString& path, WriteMode mode, QFile* file, bool* created)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    const int append = mode == WriteMode::Append ? O_APPEND : 0;
    // Created here, or already there: only a file this open made may be removed again on failure.
    // A dangling link also counts as there; writing through it makes its target, as before.
    int fd = openWithoutWaiting(path, O_WRONLY | O_CREAT | O_EXCL | append);
    *created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = openWithoutWaiting(path, O_WRONLY | O_CREAT | append);
    const QIODevice::OpenMode openMode =
        mode == WriteMode::Append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
    if (fd < 0 || !adoptRegularFile(fd, openMode, file))
        return false;
    // Emptied only now that it is known to be a regular file.
    return mode == WriteMode::Append || file->resize(0);
}

#else

bool openRegularFileForReading(const QString& path, QFile* file)
{
    if (!QFileInfo(path).isFile())
        return false;
    file->setFileName(path);
    return file->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool openRegularFileForWriting(const QString& path, WriteMode mode, QFile* file, bool* created)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    *created = !info.exists();
    file->setFileName(path);
    const QIODevice::OpenMode openMode = mode == WriteMode::Append
                                             ? QIODevice::WriteOnly | QIODevice::Append
                                             : QIODevice::WriteOnly | QIODevice::Truncate;
    return file->open(openMode | QIODevice::Unbuffered);
}

#endif
