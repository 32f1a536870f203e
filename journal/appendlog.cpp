// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "appendlog.h"

#include "core/posixfile_unix.h"
#include "journalfolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Small at first, as cutting a large reserve off at close costs more than a short run's records;
// doubling up to the step, then a step at a time.
constexpr qint64 firstReserve = 64 * 1024;
constexpr qint64 reserveStep = 8 * 1024 * 1024;

} // namespace

std::unique_ptr<AppendLog> AppendLog::create(const QString& path, const QByteArray& first)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray begun = name + ".new";
    const int fd =
        ::open(begun.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    // Private whatever the umask, locked until it closes (undo refuses a log still locked), and
    // under its name only once it holds its first record, never to replace another.
    const bool ready = ::fchmod(fd, 0600) == 0 &&
                       lockWithoutWaiting(fd, LockKind::Exclusive) == LockResult::Taken &&
                       writeAllAt(fd, first.constData(), first.size(), 0) &&
                       ::link(begun.constData(), name.constData()) == 0;
    const int error = errno;
    ::unlink(begun.constData());
    if (!ready) {
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::unique_ptr<AppendLog> log(new AppendLog(fd));
    log->m_used = first.size();
    log->m_unsynced = true;
    return log;
}

AppendLog::~AppendLog()
{
    unmap();
    ::close(m_fd);
}

void AppendLog::unmap()
{
    if (!m_map)
        return;
    ::munmap(m_map, size_t(m_reserved));
    m_map = nullptr;
    // The reserved room past the records goes.
    if (::ftruncate(m_fd, off_t(m_used)) == 0)
        m_reserved = m_used;
}

// Grows the file and maps it again, whole. The room is allocated, not left a hole: a page of a
// hole that finds the disk full when it is written kills the process (SIGBUS), where a full disk
// here only turns the log to plain writes, which fail with an error.
bool AppendLog::reserve(qint64 size)
{
    qint64 wanted = qMax(m_reserved, firstReserve);
    while (wanted <= size)
        wanted += qMin(wanted, reserveStep);
    if (m_map && ::munmap(m_map, size_t(m_reserved)) != 0)
        return false;
    m_map = nullptr;
    if (::fallocate(m_fd, 0, 0, off_t(wanted)) != 0)
        return false;
    m_reserved = wanted;
    void* map = ::mmap(nullptr, size_t(wanted), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (map == MAP_FAILED)
        return false;
    m_map = static_cast<char*>(map);
    return true;
}

bool AppendLog::append(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return true;
    m_unsynced = true;
    const qint64 end = m_used + bytes.size();
    if (end > m_reserved || !m_map) {
        if (m_reserved >= 0 && !reserve(end)) {
            // Mapping failed: plain writes from here on, the file cut to what holds records.
            if (::ftruncate(m_fd, off_t(m_used)) != 0)
                return false;
            m_reserved = -1;
        }
    }
    if (!m_map) {
        if (!writeAllAt(m_fd, bytes.constData(), bytes.size(), m_used))
            return false;
    } else {
        std::memcpy(m_map + m_used, bytes.constData(), size_t(bytes.size()));
    }
    m_used = end;
    return true;
}

// Pages written through the mapping are the file's own: one sync covers them. The room past the
// records stays until the log closes.
void AppendLog::sync()
{
    if (m_unsynced)
        ::fdatasync(m_fd);
    m_unsynced = false;
}
