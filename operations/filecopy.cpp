#include "filecopy.h"

#include "core/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace
{

const qint64 kChunk = 1 << 20;

// Copies `length` bytes at `offset` by the portable road, for file systems that do not copy in
// the kernel. Ends early only at the end of the source.
bool copyRangeByReading(int from, int to, qint64 offset, qint64 length, qint64* copied)
{
    std::vector<char> buffer(size_t(std::min(length, kChunk)));
    *copied = 0;
    while (*copied < length) {
        const ssize_t got =
            ::pread(from, buffer.data(), size_t(std::min<qint64>(length - *copied, kChunk)),
                    off_t(offset + *copied));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::pwrite(to, buffer.data() + written, size_t(got - written),
                                         off_t(offset + *copied + written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            written += put;
        }
        *copied += got;
    }
    return true;
}

// Copies `length` bytes at `offset` to the same offset, in the kernel where it can.
bool copyRange(int from, int to, qint64 offset, qint64 length)
{
    loff_t in = offset;
    loff_t out = offset;
    qint64 left = length;
    while (left > 0) {
        const ssize_t moved = ::copy_file_range(from, &in, to, &out, size_t(left), 0);
        if (moved > 0) {
            left -= moved;
            continue;
        }
        if (moved == 0) // the source ended before its size: it changed under the copy
            return false;
        if (errno == EINTR)
            continue;
        if (errno != ENOSYS && errno != EXDEV && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        qint64 copied = 0;
        return copyRangeByReading(from, to, qint64(in), left, &copied) && copied == left;
    }
    return true;
}

// A file whose size reads as 0 may still hold data (/proc): it is read to its end.
bool copyToEnd(int from, int to)
{
    for (qint64 offset = 0;; offset += kChunk) {
        qint64 copied = 0;
        if (!copyRangeByReading(from, to, offset, kChunk, &copied))
            return false;
        if (copied < kChunk)
            return true;
    }
}

// Copies the data of the source and leaves its holes as holes: only the stretches the file
// system reports as data are copied, and the size is set at the end.
bool copyContent(int from, int to, qint64 size)
{
    // File systems that share blocks between files (btrfs, xfs) copy in no time.
    if (::ioctl(to, FICLONE, from) == 0)
        return true;
    if (size == 0)
        return copyToEnd(from, to);
    for (qint64 offset = 0; offset < size;) {
        off_t data = ::lseek(from, off_t(offset), SEEK_DATA);
        off_t hole = size;
        if (data < 0) {
            if (errno == ENXIO) // nothing but a hole is left
                break;
            data = off_t(offset); // no hole reporting here: all of it is data
        } else {
            hole = ::lseek(from, data, SEEK_HOLE);
            if (hole < 0)
                hole = size;
        }
        const qint64 end = std::min<qint64>(hole, size);
        if (data >= end)
            break;
        if (!copyRange(from, to, data, end - data))
            return false;
        offset = end;
    }
    return ::ftruncate(to, off_t(size)) == 0;
}

} // namespace

bool copyFileWithoutReplacing(const QString& source, const QString& target)
{
    QFile in;
    if (!openRegularFileForReading(source, &in) || QFileInfo::exists(target))
        return false;
    struct stat status;
    if (::fstat(in.handle(), &status) != 0)
        return false;
    // Beside the target, so that the finished copy is renamed into place on the same disk.
    QTemporaryFile out(QFileInfo(target).path() + QStringLiteral("/.fileoper-copy.XXXXXX"));
    if (!out.open())
        return false;
    if (!copyContent(in.handle(), out.handle(), status.st_size))
        return false;
    ::fchmod(out.handle(), status.st_mode & 0777);
    // A move removes its source right after: the copy must be on the disk by then.
    if (::fdatasync(out.handle()) != 0)
        return false;
    // The rename never replaces an existing file.
    if (!out.rename(target))
        return false;
    out.setAutoRemove(false);
    return true;
}

#else

bool copyFileWithoutReplacing(const QString& source, const QString& target)
{
    return QFileInfo(source).isFile() && QFile::copy(source, target);
}

#endif
