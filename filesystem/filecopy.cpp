// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filecopy.h"

#include "core/posixfile_unix.h"
#include "core/replacementfile.h"

#include <QFile>

#include <cerrno>
#include <limits>
#include <utility>

namespace
{

std::function<void(const QString& temporary)> g_beforeNaming;

thread_local const std::function<bool(qint64 bytes)>* t_copyWatch = nullptr;

// How much a watched copy moves between two questions: at disk speeds, well under half a second.
const qint64 kWatchedPiece = qint64(16) << 20;

// Tells the watch of this thread, if any, that `bytes` more were moved; false stops the copy.
bool mayGoOn(qint64 bytes)
{
    return !t_copyWatch || (*t_copyWatch)(bytes);
}

// A file that says it is empty is trusted to end within this many bytes, as much as a step reads
// of a file: /proc/self/pagemap, which reads as hundreds of gigabytes, fails instead of filling
// the disk.
const qint64 kMaxUnsizedCopy = qint64(1) << 30;

// A copy in a batch of at least this many bytes is sent towards the disk as soon as it is made.
const qint64 kEarlyWritebackBytes = qint64(1) << 20;

bool failWith(int code, QString* error)
{
    *error = qt_error_string(code);
    errno = code;
    return false;
}

bool failWithErrno(QString* error)
{
    return failWith(errno, error);
}

// The source, open for reading. Only a regular file is opened (links followed), and the open
// never waits: asked first, unless the caller just did, so that a device is never opened at all.
int openSource(const QString& path, PreparedCopy::SourceCheck check, FileStatus* status,
               QString* error)
{
    if (check == PreparedCopy::SourceCheck::AskFirst &&
        (!statusOf(path, true, status) || !status->regular)) {
        *error = QStringLiteral("cannot open the source for reading");
        return -1;
    }
    const int fd = openWithoutWaiting(path, OpenFor::Reading);
    if (fd >= 0 && statusOf(fd, status) && status->regular)
        return fd;
    *error = QStringLiteral("cannot open the source for reading");
    if (fd >= 0)
        closeDescriptor(fd);
    return -1;
}

// Reads what the source gives up to its end and writes it into the empty `out`; false, *error
// saying why, where a read or a write fails or the copy would pass `most` bytes or the process's
// file size limit.
bool copyByReading(int in, int out, qint64 most, qint64 sizeLimit, QString* error)
{
    qint64 written = 0;
    int code = 0;
    const bool read = readBlocks(in, [&](const char* bytes, qint64 size) {
        if (written + size > most || !withinFileSizeLimit(written + size, sizeLimit))
            code = EFBIG;
        else if (!writeAllAt(out, bytes, size, written))
            code = errno;
        else if (!mayGoOn(size))
            code = ECANCELED;
        written += size;
        return code == 0;
    });
    if (code != 0)
        return failWith(code, error);
    return read || failWithErrno(error);
}

// Whether a failed clone says that these two file systems make none.
bool clonesRefused(int code)
{
    return code == EOPNOTSUPP || code == EXDEV || code == EINVAL || code == ENOTTY;
}

// The source's bytes into the empty `out`, the fastest way the two files allow: a shared copy of
// the blocks, else a copy inside the kernel, else read and written here. Files under /proc say
// they are empty and are not: one that says so is read to its end. Otherwise the copy takes the
// size the source had when it was opened, which was checked against the file size limit: a file
// that grows meanwhile never makes the copy pass it.
bool copyContent(int in, int out, const FileStatus& source, quint64 outDevice,
                 CopyConditions& conditions, QString* error)
{
    const qint64 sizeLimit = conditions.fileSizeLimit();
    if (source.size == 0)
        return copyByReading(in, out, kMaxUnsizedCopy, sizeLimit, error);
    // A clone is made at once: it stands, and a stop is heard before the next file.
    if (conditions.mayClone(source.device, outDevice)) {
        if (cloneContent(in, out)) {
            mayGoOn(source.size);
            return true;
        }
        if (clonesRefused(errno))
            conditions.cloneRefused(source.device, outDevice);
    }
    const KernelCopy copied = t_copyWatch
                                  ? copyInKernel(in, out, source.size, kWatchedPiece, *t_copyWatch)
                                  : copyInKernel(in, out, source.size);
    switch (copied) {
    case KernelCopy::Done:
        return true;
    case KernelCopy::NotSupported:
        return copyByReading(in, out, std::numeric_limits<qint64>::max(), sizeLimit, error);
    case KernelCopy::Failed:
        break;
    }
    return failWithErrno(error);
}

// Where renames take no flags (some network and FUSE file systems), a second name and the
// removal of the first do the same; where neither is to be had, the target is looked for first,
// as a copy has always done there.
bool renameOntoNothing(const QString& from, const QString& to)
{
    if (renameWithoutReplacing(from, to))
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (linkEntry(from, to)) {
        removeEntry(from);
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    FileStatus there;
    if (statusOf(to, false, &there)) {
        errno = EEXIST;
        return false;
    }
    return renameReplacing(from, to);
}

// The test hook, called just before a complete copy takes its name.
void beforeNaming(const QString& temporary)
{
    if (g_beforeNaming)
        g_beforeNaming(temporary);
}

// The owner's permission bits that the source's `mode` lacks and this process has. Only those are
// asked about, and running only where anybody may run the file at all: without an execute bit
// nobody may, root included.
uint ownerBitsBeyond(const QString& source, uint mode)
{
    uint asked = 0700 & ~mode;
    if ((mode & 0111) == 0)
        asked &= ~0100u;
    return asked ? ownAccessBits(source, asked) : 0;
}

} // namespace

CopyConditions::CopyConditions() : m_fileSizeLimit(::fileSizeLimit())
{
}

bool CopyConditions::mayClone(quint64 from, quint64 to) const
{
    return !m_refusingClones.contains(qMakePair(from, to));
}

void CopyConditions::cloneRefused(quint64 from, quint64 to)
{
    m_refusingClones.insert(qMakePair(from, to));
}

PreparedCopy::~PreparedCopy()
{
    if (m_fd < 0)
        return;
    const int code = errno;
    if (!m_named)
        removeEntry(m_temporary);
    closeDescriptor(m_fd);
    errno = code;
}

bool PreparedCopy::make(const QString& source, const QString& target, Durability durability,
                        CopyConditions& conditions, QString* error, SourceCheck check)
{
    FileStatus status;
    const int in = openSource(source, check, &status, error);
    if (in < 0)
        return false;
    const bool made = fill(in, source, status, target, conditions, error);
    const int code = errno;
    closeDescriptor(in);
    errno = code;
    if (!made)
        return false;
    if (durability == Durability::Now)
        return makeDurable(error);
    // A large file's bytes start on their way to the disk while the next files are copied, so
    // that the sync that makes the batch durable has less left to wait for. A small file's would
    // cost more in the call than the sync saves: the sync writes them together.
    if (m_size >= kEarlyWritebackBytes)
        startWriteback(m_fd, 0, 0);
    return true;
}

bool PreparedCopy::makeDurable(QString* error)
{
    return syncData(m_fd) || failWithErrno(error);
}

bool PreparedCopy::makeFileSystemDurable()
{
    return syncFileSystem(m_fd);
}

bool PreparedCopy::fill(int in, const QString& source, const FileStatus& status,
                        const QString& target, CopyConditions& conditions, QString* error)
{
    // Refused before it starts where the copy would pass the size limit, as a write is.
    if (!withinFileSizeLimit(status.size, conditions.fileSizeLimit()))
        return failWithErrno(error);
    OpenError openError;
    FileStatus created;
    m_fd = createReplacementFile(target, &m_temporary, &openError, &created);
    if (m_fd < 0)
        return failWithErrno(error);
    m_device = created.device;
    if (!copyContent(in, m_fd, status, m_device, conditions, error))
        return false;
    // What a copy has always been given: the source's permission bits, set-user-ID and the
    // like left out, the owner's completed by what this process may do with the source.
    const uint mode = status.mode & 0777;
    if (!setMode(m_fd, mode | ownerBitsBeyond(source, mode)))
        return failWithErrno(error);
    // The time the source was last changed when its copy began: a file that changed while
    // it was copied then looks older than it is, never newer, and is taken again by whoever
    // compares times. Kept as exactly as the target's file system keeps times; where it
    // cannot be set at all, the copy stands without it.
    setModificationTime(m_fd, status.modified);
    m_size = status.size;
    return true;
}

bool PreparedCopy::nameWithoutReplacing(const QString& target, QString* error)
{
    beforeNaming(m_temporary);
    if (!renameOntoNothing(m_temporary, target))
        return failWithErrno(error);
    m_named = true;
    return true;
}

bool PreparedCopy::nameReplacing(const QString& target, QString* error)
{
    beforeNaming(m_temporary);
    if (!renameReplacing(m_temporary, target))
        return failWithErrno(error);
    m_named = true;
    return true;
}

CopyWatch::CopyWatch(std::function<bool(qint64 bytes)> moved)
    : m_moved(std::move(moved)), m_outer(t_copyWatch)
{
    t_copyWatch = &m_moved;
}

CopyWatch::~CopyWatch()
{
    t_copyWatch = m_outer;
}

void setCopyNamingHookForTesting(std::function<void(const QString& temporary)> hook)
{
    g_beforeNaming = std::move(hook);
}

bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target, QString* error)
{
    FileStatus there;
    if (statusOf(target, false, &there)) {
        *error = QStringLiteral("Destination file exists");
        errno = EEXIST;
        return false;
    }
    PreparedCopy copy;
    CopyConditions conditions;
    return copy.make(source.filePath(), target, PreparedCopy::Durability::Now, conditions, error) &&
           copy.nameWithoutReplacing(target, error);
}

bool copyFileReplacing(const QFileInfo& source, const QString& target, QString* error)
{
    removeLeftoverReplacements(target);
    PreparedCopy copy;
    CopyConditions conditions;
    return copy.make(source.filePath(), target, PreparedCopy::Durability::Now, conditions, error) &&
           copy.nameReplacing(target, error);
}
