// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

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
    // that can be undone. A file written in place is not touched before commit().
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
    return true;
}

bool RegularFileWriter::inPlace() const
{
    return m_mode == WriteMode::Replace && !m_created && m_tempPath.isEmpty();
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
    // Refused before it starts where it would end past the size limit: the system would end the
    // host by SIGXFSZ unless the host ignores it.
    const qint64 start = m_mode == WriteMode::Append ? m_file.size() : m_written;
    if (!withinFileSizeLimit(start + bytes.size()))
        return false;
    if (inPlace()) {
        m_held.push_back(bytes);
        m_written += bytes.size();
        return true;
    }
    if (m_file.write(bytes) != bytes.size())
        return false;
    m_written += bytes.size();
    if (!m_tempPath.isEmpty() && m_written - m_writtenBack >= kWritebackStretch) {
        startWriteback(m_file.handle(), m_writtenBack, m_written - m_writtenBack);
        m_writtenBack = m_written;
    }
    return true;
}

// The old bytes are written over only once the new ones are sure to fit: room for all of them is
// reserved first or, where the file system cannot reserve room, the part past the old end is
// written first. A full disk or a quota then fails before the old content is touched.
bool RegularFileWriter::writeInPlace()
{
    const int fd = m_file.handle();
    const qint64 size = m_written;
    const Reserved reserved = reserveRoom(fd, size);
    if (reserved == Reserved::No)
        return false;
    qint64 end = size;
    if (reserved == Reserved::NotSupported && size > m_sizeBefore) {
        if (!writeHeld(m_sizeBefore, size)) {
            truncateTo(fd, m_sizeBefore);
            return false;
        }
        end = m_sizeBefore;
    }
    const bool written = writeHeld(0, end) && truncateTo(fd, size);
    m_held.clear();
    return written;
}

// Writes the held bytes that belong between begin and end in the file.
bool RegularFileWriter::writeHeld(qint64 begin, qint64 end)
{
    qint64 at = 0;
    for (const QByteArray& bytes : m_held) {
        const qint64 from = qMax(at, begin);
        const qint64 to = qMin(at + bytes.size(), end);
        if (from < to && (!m_file.seek(from) ||
                          m_file.write(bytes.constData() + (from - at), to - from) != to - from))
            return false;
        at += bytes.size();
    }
    return true;
}

bool RegularFileWriter::commit()
{
    if (inPlace() && !writeInPlace())
        return false;
    // On disk before it takes the old file's name: after a crash the name must not lead to
    // bytes that were still in memory.
    if (!m_tempPath.isEmpty() &&
        (!syncData(m_file.handle()) || !renameReplacing(m_tempPath, m_path)))
        return false;
    m_committed = true;
    m_file.close();
    return true;
}
