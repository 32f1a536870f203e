#include "regularfile.h"

#include "core/replacementfile.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool isRegularFile(int fd, struct stat* status)
{
    return ::fstat(fd, status) == 0 && S_ISREG(status->st_mode);
}

// Takes over a descriptor opened without waiting, once it is known to lead to a regular file.
// It stays non-blocking: that changes nothing for a file on disk, and a /proc file that would
// wait for news (/proc/kmsg) fails its read instead of stalling the flow.
bool adoptRegularFile(int fd, QIODevice::OpenMode mode, QFile* file)
{
    struct stat status;
    if (!isRegularFile(fd, &status)) {
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

// A replacement takes the old file's owner and group where the process may give them away, and
// at least its group where the process belongs to it.
bool copyOwner(int fd, const struct stat& old)
{
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, uid_t(-1), old.st_gid) == 0;
}

bool folderTakesNoNewFile(int error)
{
    return error == EACCES || error == EPERM;
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

RegularFileWriter::~RegularFileWriter()
{
    if (m_committed || !m_file.isOpen())
        return;
    // A write that failed part way (a full disk, a size limit) leaves nothing half done behind
    // that can be undone. A file emptied in place has already given up its old content.
    if (!m_tempPath.isEmpty()) {
        m_file.close();
        QFile::remove(m_tempPath);
    } else if (m_created) {
        m_file.close();
        QFile::remove(m_path);
    } else if (m_mode == WriteMode::Append) {
        m_file.resize(m_sizeBefore);
    }
}

bool RegularFileWriter::open(const QString& path, WriteMode mode)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    m_path = path;
    m_mode = mode;
    const int append = mode == WriteMode::Append ? O_APPEND : 0;
    // Created here, or already there: only a file this open made may be removed again on failure.
    // A dangling link also counts as there; writing through it makes its target, as before.
    int fd = openWithoutWaiting(path, O_WRONLY | O_CREAT | O_EXCL | append);
    m_created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = openWithoutWaiting(path, O_WRONLY | O_CREAT | append);
    // Opened for writing first, so a file the user may not write is refused as before.
    if (fd >= 0 && mode == WriteMode::Replace && !m_created)
        fd = replacementDescriptor(fd);
    const QIODevice::OpenMode openMode =
        mode == WriteMode::Append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
    if (fd < 0 || !adoptRegularFile(fd, openMode, &m_file))
        return false;
    m_sizeBefore = m_file.size();
    return true;
}

// Where the new content of the open file goes: a replacement beside it, or the file itself,
// emptied only now that it is known to be a regular file. Closes targetFd when it is not the one
// returned; -1 when neither can be had.
int RegularFileWriter::replacementDescriptor(int targetFd)
{
    struct stat status;
    if (!isRegularFile(targetFd, &status)) {
        ::close(targetFd);
        return -1;
    }
    // The link's target is replaced, so the link stays a link.
    const QString target = QFileInfo(m_path).canonicalFilePath();
    if (status.st_nlink == 1 && !target.isEmpty()) {
        removeLeftoverReplacements(target);
        const int fd = createReplacementFile(target, &m_tempPath);
        if (fd >= 0) {
            ::close(targetFd);
            // The mode after the owner: a change of owner clears the set-user-ID bit.
            copyOwner(fd, status);
            ::fchmod(fd, status.st_mode & 07777);
            m_path = target;
            return fd;
        }
        if (!folderTakesNoNewFile(errno)) {
            ::close(targetFd);
            return -1;
        }
    }
    if (::ftruncate(targetFd, 0) != 0) {
        ::close(targetFd);
        return -1;
    }
    return targetFd;
}

bool RegularFileWriter::write(const QByteArray& bytes)
{
    return bytes.isEmpty() || m_file.write(bytes) == bytes.size();
}

bool RegularFileWriter::commit()
{
    // On disk before it takes the old file's name: after a crash the name must not lead to
    // bytes that were still in memory.
    if (!m_tempPath.isEmpty() &&
        (::fdatasync(m_file.handle()) != 0 || !replaceWith(m_tempPath, m_path)))
        return false;
    m_committed = true;
    m_file.close();
    return true;
}
