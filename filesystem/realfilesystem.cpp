// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "realfilesystem.h"

#include "core/localpath.h"
#include "core/parallel.h"
#include "core/posixfile_unix.h"
#include "core/regularfile.h"
#include "core/replacementfile.h"
#include "filesystem/filecopy.h"
#include "filesystem/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QVector>

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace
{

// A file smaller than two of these is read in one go: a thread would gain it nothing.
const int kBytesPerStretch = 1 << 20;

// Reads a file's `size` bytes in `parts` stretches at once, each thread into its own stretch of
// the buffer: filling fresh memory costs a page fault per page, which the threads share out.
// False when the file turns out shorter or longer than `size`.
bool readInStretches(QFile& file, int size, int parts, QByteArray* bytes)
{
    QByteArray buffer(size, Qt::Uninitialized);
    char* const data = buffer.data();
    const int fd = file.handle();
    std::atomic<bool> whole{true};
    runParts(parts, [&](int part) {
        const int begin = partBegin(size, parts, part);
        const qint64 length = partBegin(size, parts, part + 1) - begin;
        if (readAt(fd, data + begin, length, begin) != length)
            whole = false;
    });
    char more = 0;
    if (!whole || readAt(fd, &more, 1, size) != 0)
        return false;
    *bytes = std::move(buffer);
    return true;
}

// What a file gives up to its end or `limit` bytes, whichever comes first, a piece at a time: a
// file that says it is empty (/proc/self/pagemap) may go on for hundreds of gigabytes.
QByteArray readUpTo(QFile& file, qint64 limit)
{
    const qint64 piece = 1 << 16;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray more = file.read(qMin(piece, limit - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    return bytes;
}

EntryType typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Folder;
    return EntryType::Other;
}

using Operation = FileError::Operation;

bool isRealFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

// Why a path could not be opened for reading as a regular file, asked right after the open failed:
// as the system says it where it says anything (a missing entry, a folder, a refused open). Other
// kinds are refused by choice (a FIFO could block). The system is asked about `diskPath`.
FileError notReadable(Operation operation, const QString& path, const QString& diskPath)
{
    const int openError = errno;
    struct stat info;
    if (::stat(QFile::encodeName(diskPath).constData(), &info) != 0)
        return FileError::system(operation, path, errno);
    if (S_ISDIR(info.st_mode))
        return FileError::system(operation, path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return FileError::withText(operation, path, 0, QStringLiteral("not a regular file"));
    return FileError::system(operation, path, openError);
}

class RealFileWriter : public FileWriter
{
public:
    // `path` names the file in what the writer reports; the system finds it at `diskPath`.
    RealFileWriter(const QString& path, const QString& diskPath)
        : m_path(path), m_diskPath(diskPath)
    {
    }

    bool open(WriteMode mode, FileError* error)
    {
        errno = 0;
        if (m_file.open(m_diskPath, mode))
            return true;
        const int code = errno;
        // A folder or a device at the path is refused before any system call can fail on it.
        const QFileInfo info(m_diskPath);
        if (info.isDir())
            return failWith(error, FileError::system(Operation::Open, m_path, EISDIR));
        if (info.exists() && !info.isFile())
            return failWith(error, FileError::withText(Operation::Open, m_path, 0,
                                                       QStringLiteral("not a regular file")));
        return failWith(error, FileError::system(Operation::Open, m_path, code));
    }

    bool write(const QByteArray& bytes) override
    {
        errno = 0;
        return m_file.write(bytes) || failed(FileError::system(Operation::Write, m_path, errno));
    }

    bool commit() override
    {
        errno = 0;
        return m_file.commit() || failed(FileError::system(Operation::Commit, m_path, errno));
    }

    QString pendingPath() const override { return m_file.pendingPath(); }

    WriteWay way() const override
    {
        if (m_file.created())
            return WriteWay::Created;
        return m_file.replacing() ? WriteWay::Replacement : WriteWay::InPlace;
    }

private:
    QString m_path;
    QString m_diskPath;
    RegularFileWriter m_file;
};

// Where a file system refuses to be synced as a whole, its copies are synced one by one on this
// many threads at most: each waits on the disk, not on a core, and the file system commits the
// syncs that wait together in one go.
const int kSyncThreads = 16;

class RealCopyBatch : public CopyBatch
{
public:
    explicit RealCopyBatch(RealFileSystem& files) : m_files(files) {}

    bool add(const QString& source, const QString& target, FileError* error) override
    {
        auto copy = std::make_unique<PreparedCopy>();
        QString why;
        errno = 0;
        if (!copy->make(m_files.onDisk(source), m_files.onDisk(target),
                        PreparedCopy::Durability::Later, m_conditions, &why,
                        PreparedCopy::SourceCheck::DoneByCaller))
            return failWith(error, m_files.copyFailure(source, target, Overwrite::Yes, why));
        m_bytes += copy->size();
        m_copies.push_back({std::move(copy), source, target, 0});
        return true;
    }

    // One sync of each file system the copies are on: syncing each file instead would cost a
    // journal commit and a flush of the disk's cache per file. Where that sync fails (a write
    // failed, or the file system cannot), each copy is synced on its own, so that only those
    // that cannot be made durable fail.
    void makeDurable() override
    {
        QHash<quint64, int> firstOnDevice;
        for (int index = 0; index < count(); ++index)
            firstOnDevice.insert(m_copies[size_t(index)].copy->device(), index);
        QSet<quint64> failedDevices;
        for (auto it = firstOnDevice.cbegin(); it != firstOnDevice.cend(); ++it) {
            if (!m_copies[size_t(it.value())].copy->makeFileSystemDurable())
                failedDevices.insert(it.key());
        }
        if (failedDevices.isEmpty())
            return;
        QVector<int> unsure;
        for (int index = 0; index < count(); ++index) {
            if (failedDevices.contains(m_copies[size_t(index)].copy->device()))
                unsure.append(index);
        }
        runTasks(unsure.size(), qMin(unsure.size(), kSyncThreads), [&](int task, int) {
            QString why;
            Pending& pending = m_copies[size_t(unsure.at(task))];
            if (!pending.copy->makeDurable(&why))
                pending.syncError = errno;
        });
    }

    bool name(int index, Overwrite overwrite, FileError* error) override
    {
        Pending& pending = m_copies[size_t(index)];
        QString why;
        errno = pending.syncError;
        bool named = false;
        if (pending.syncError != 0)
            why = qt_error_string(pending.syncError);
        else if (overwrite == Overwrite::Yes) {
            const QString target = m_files.onDisk(pending.target);
            removeLeftoverReplacements(target);
            named = pending.copy->nameReplacing(target, &why);
        } else
            named = pending.copy->nameWithoutReplacing(m_files.onDisk(pending.target), &why);
        if (!named) {
            const int code = errno;
            pending.copy.reset();
            errno = code;
            return failWith(error,
                            m_files.copyFailure(pending.source, pending.target, overwrite, why));
        }
        return true;
    }

    void clear() override
    {
        m_copies.clear();
        m_bytes = 0;
    }

    int count() const override { return int(m_copies.size()); }
    qint64 bytes() const override { return m_bytes; }
    QString temporary(int index) const override
    {
        const Pending& pending = m_copies[size_t(index)];
        return pending.copy ? pending.copy->temporary() : QString();
    }

private:
    struct Pending {
        std::unique_ptr<PreparedCopy> copy;
        QString source;
        QString target;
        int syncError;
    };

    RealFileSystem& m_files;
    CopyConditions m_conditions;
    std::vector<Pending> m_copies;
    qint64 m_bytes = 0;
};

} // namespace

RealFileSystem::RealFileSystem(const QString& baseFolder) : m_baseFolder(baseFolder)
{
}

RealFileSystem& RealFileSystem::instance()
{
    static RealFileSystem files;
    return files;
}

EntryStatus RealFileSystem::status(const QString& path, Links links)
{
    EntryStatus result;
    if (path.isEmpty())
        return result;
    const LocalPath name(onDisk(path));
    struct stat info;
    const int found =
        links == Links::Follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (found != 0)
        return result;
    result.type = typeOf(info.st_mode);
    result.isLink = S_ISLNK(info.st_mode);
    result.size = qint64(info.st_size);
    result.modified = modificationTime(info.st_mtim);
    result.id = {quint64(info.st_dev), quint64(info.st_ino)};
    return result;
}

QString RealFileSystem::canonicalPath(const QString& path)
{
    return QFileInfo(onDisk(path)).canonicalFilePath();
}

bool RealFileSystem::makeFolderPath(const QString& path, FileError* error)
{
    errno = 0;
    if (QDir().mkpath(onDisk(path)))
        return true;
    return failWith(error, FileError::system(Operation::MakeFolder, path, errno));
}

bool RealFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                              FileError* error)
{
    QString why;
    const QFileInfo sourceInfo(onDisk(source));
    const QString targetOnDisk = onDisk(target);
    errno = 0;
    if (overwrite == Overwrite::Yes ? copyFileReplacing(sourceInfo, targetOnDisk, &why)
                                    : copyFileWithoutReplacing(sourceInfo, targetOnDisk, &why))
        return true;
    return failWith(error, copyFailure(source, target, overwrite, why));
}

// Called right after the copy failed, errno still its reason.
FileError RealFileSystem::copyFailure(const QString& source, const QString& target,
                                      Overwrite overwrite, const QString& why)
{
    int code = errno;
    if (!status(source).isFile())
        return FileError::withText(Operation::Copy, source,
                                   notReadable(Operation::Copy, source, onDisk(source)).code, why);
    // The copy asks whether something is at the target before it tries, so no system call
    // failed on a clash.
    if (overwrite == Overwrite::No) {
        const EntryStatus there = status(target, Links::NoFollow);
        if (there.exists())
            code = there.isFolder() ? EISDIR : EEXIST;
    }
    return FileError::withText(Operation::Copy, target, code, why);
}

std::unique_ptr<CopyBatch> RealFileSystem::startCopyBatch()
{
    return std::make_unique<RealCopyBatch>(*this);
}

bool RealFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                            FileError* error)
{
    // Named by the source where it is missing, else by the target.
    const auto refused = [&](int code, const QString& why) {
        const QString& path =
            code == ENOENT && !status(source, Links::NoFollow).exists() ? source : target;
        return failWith(error, FileError::withText(Operation::Rename, path, code, why));
    };
    const auto refusedBySystem = [&] {
        const int code = errno;
        return refused(code, qt_error_string(code));
    };
    const QString from = onDisk(source);
    const QString to = onDisk(target);
    if (overwrite == Overwrite::Yes) {
        // One rename replaces the target: at no moment is neither file under the new name. A
        // folder cannot be renamed over a file; the two trade places in one step instead, and
        // the replaced file, now under the folder's old name, goes.
        if (!isRealFolder(from))
            return renameReplacing(from, to) || refusedBySystem();
        if (!exchangeEntries(from, to))
            return refusedBySystem();
        QFile::remove(from);
        return true;
    }
    // Where nothing is in the way, in one system call: QFile::rename asks first whether both
    // paths exist, which triples the cost of a large batch.
    if (renameWithoutReplacing(from, to))
        return true;
    // What QFile::rename takes for free (a dangling link), and the one clash it settles: two names
    // of one entry, a change of letter case alone on a file system that ignores case.
    const int code = errno;
    if (code == EEXIST && status(target).exists() &&
        !(status(source, Links::NoFollow).id == status(target, Links::NoFollow).id))
        return refused(code, QStringLiteral("Destination file exists"));
    QFile file(from);
    if (file.rename(to))
        return true;
    // Qt's words, the number of the system's first refusal.
    return refused(code, file.errorString());
}

bool RealFileSystem::remove(const QString& path, FileError* error)
{
    QFile file(onDisk(path));
    errno = 0;
    if (file.remove())
        return true;
    return failWith(error, FileError::withText(Operation::Remove, path, errno, file.errorString()));
}

std::unique_ptr<FileWriter> RealFileSystem::openForWriting(const QString& path, WriteMode mode,
                                                           FileError* error)
{
    auto writer = std::make_unique<RealFileWriter>(path, onDisk(path));
    if (!writer->open(mode, error))
        return nullptr;
    return writer;
}

// Only regular files are read (links followed): opening a FIFO waits for a writer, and a socket
// or device may block or never end.
bool RealFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes,
                             FileError* error)
{
    QFile file;
    const QString diskPath = onDisk(path);
    if (!openRegularFileForReading(diskPath, &file))
        return failWith(error, notReadable(Operation::Read, path, diskPath));
    if (file.size() > maxSize)
        return failWith(error, FileError::system(Operation::Read, path, EFBIG));
    // A large file is read in stretches at once; one that changed meanwhile is read again in one
    // go. A file whose size reads as 0 (as under /proc) is read in chunks up to its real end.
    const int size = int(file.size());
    const int parts = partsFor(size, kBytesPerStretch);
    if (parts > 1 && readInStretches(file, size, parts, bytes))
        return true;
    errno = 0;
    *bytes = size == 0 ? readUpTo(file, maxSize + 1) : file.readAll();
    // A read that broke off would pass for the whole file; one that grew past the limit would fail
    // in the allocation of what is made of it.
    if (file.error() != QFileDevice::NoError)
        return failWith(error, FileError::system(Operation::Read, path, errno));
    return bytes->size() <= maxSize ||
           failWith(error, FileError::system(Operation::Read, path, EFBIG));
}

bool RealFileSystem::readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes,
                              FileError* error)
{
    QFile file;
    const QString diskPath = onDisk(path);
    if (!openRegularFileForReading(diskPath, &file))
        return failWith(error, notReadable(Operation::Read, path, diskPath));
    errno = 0;
    if (offset > 0 && !file.seek(offset))
        return failWith(error, FileError::system(Operation::Read, path, errno));
    *bytes = file.read(length);
    return file.error() == QFileDevice::NoError ||
           failWith(error, FileError::system(Operation::Read, path, errno));
}
