#include "regularfile.h"

#include "core/posixfile_unix.h"
#include "core/replacementfile.h"

#include <QFileInfo>

namespace
{

// Takes over a descriptor opened without waiting, once it is known to lead to a regular file.
// It stays non-blocking: that changes nothing for a file on disk, and a /proc file that would
// wait for news (/proc/kmsg) fails its read instead of stalling the flow.
bool adoptRegularFile(int fd, QIODevice::OpenMode mode, QFile* file)
{
    FileStatus status;
    // Unbuffered: every write reaches the system at once, so a failed one is seen where it fails.
    if (!statusOf(fd, &status) || !status.regular ||
        !file->open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        closeDescriptor(fd);
        return false;
    }
    return true;
}

} // namespace

bool openRegularFileForReading(const QString& path, QFile* file)
{
    // Asked first so that a device is never opened at all: opening some has effects of its own.
    if (!QFileInfo(path).isFile())
        return false;
    const int fd = openWithoutWaiting(path, OpenFor::Reading);
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
    const bool append = mode == WriteMode::Append;
    // Created here, or already there: only a file this open made may be removed again on failure.
    // A dangling link also counts as there; writing through it makes its target, as before.
    OpenError error;
    int fd = openWithoutWaiting(path, OpenFor::CreatingNew, &error);
    m_created = fd >= 0;
    if (error == OpenError::Exists)
        fd = openWithoutWaiting(path, append ? OpenFor::Appending : OpenFor::Writing);
    // Opened for writing first, so a file the user may not write is refused as before.
    if (fd >= 0 && !append && !m_created)
        fd = replacementDescriptor(fd);
    const QIODevice::OpenMode openMode =
        append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
    if (fd < 0 || !adoptRegularFile(fd, openMode, &m_file))
        return false;
    m_sizeBefore = m_file.size();
    // A file written in place is emptied only now that it is known to be a regular file.
    return append || m_created || !m_tempPath.isEmpty() || m_file.resize(0);
}

// Where the new content of the open file goes: a replacement beside it, or the file itself where
// a replacement would change more than the bytes. Closes targetFd when it is not the one
// returned; -1 when neither can be had.
int RegularFileWriter::replacementDescriptor(int targetFd)
{
    FileStatus status;
    // The link's target is replaced, so the link stays a link.
    const QString target = QFileInfo(m_path).canonicalFilePath();
    if (!statusOf(targetFd, &status) || !status.regular || status.linkCount > 1 || target.isEmpty())
        return targetFd;
    removeLeftoverReplacements(target);
    OpenError error;
    const int fd = createReplacementFile(target, &m_tempPath, &error);
    if (fd < 0 && error == OpenError::NotPermitted)
        return targetFd;
    closeDescriptor(targetFd);
    if (fd >= 0) {
        copyOwnerAndMode(fd, status);
        m_path = target;
    }
    return fd;
}

// A replacement is sent to disk while it is written, so that commit() waits for little more than
// the last stretch.
const qint64 kWritebackStretch = 8 << 20;

bool RegularFileWriter::write(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return true;
    if (m_file.write(bytes) != bytes.size())
        return false;
    m_written += bytes.size();
    if (!m_tempPath.isEmpty() && m_written - m_writtenBack >= kWritebackStretch) {
        startWriteback(m_file.handle(), m_writtenBack, m_written - m_writtenBack);
        m_writtenBack = m_written;
    }
    return true;
}

bool RegularFileWriter::commit()
{
    // On disk before it takes the old file's name: after a crash the name must not lead to
    // bytes that were still in memory.
    if (!m_tempPath.isEmpty() &&
        (!syncData(m_file.handle()) || !renameReplacing(m_tempPath, m_path)))
        return false;
    m_committed = true;
    m_file.close();
    return true;
}
