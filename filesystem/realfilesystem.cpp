#include "realfilesystem.h"

#include "core/parallel.h"
#include "core/posixfile_unix.h"
#include "core/regularfile.h"
#include "operations/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <sys/stat.h>

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

EntryType typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Folder;
    return EntryType::Other;
}

// Always false, with the system's reason in *error when asked.
bool failedWithErrno(QString* error)
{
    if (error)
        *error = qt_error_string(errno);
    return false;
}

bool isRealFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

class RealFileWriter : public FileWriter
{
public:
    bool open(const QString& path, WriteMode mode) { return m_file.open(path, mode); }
    bool write(const QByteArray& bytes) override { return m_file.write(bytes); }
    bool commit() override { return m_file.commit(); }
    QString pendingPath() const override { return m_file.pendingPath(); }

private:
    RegularFileWriter m_file;
};

} // namespace

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
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    const int found =
        links == Links::Follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (found != 0)
        return result;
    result.type = typeOf(info.st_mode);
    result.isLink = S_ISLNK(info.st_mode);
    result.size = qint64(info.st_size);
    result.id = {quint64(info.st_dev), quint64(info.st_ino)};
    return result;
}

QString RealFileSystem::canonicalPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool RealFileSystem::makeFolderPath(const QString& path)
{
    return QDir().mkpath(path);
}

bool RealFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                              QString* error)
{
    QString why;
    const QFileInfo sourceInfo(source);
    if (overwrite == Overwrite::Yes ? copyFileReplacing(sourceInfo, target, &why)
                                    : copyFileWithoutReplacing(sourceInfo, target, &why))
        return true;
    if (error)
        *error = why;
    return false;
}

bool RealFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                            QString* error)
{
    if (overwrite == Overwrite::Yes) {
        // One rename replaces the target: at no moment is neither file under the new name. A
        // folder cannot be renamed over a file; the two trade places in one step instead, and
        // the replaced file, now under the folder's old name, goes.
        if (!isRealFolder(source))
            return renameReplacing(source, target) || failedWithErrno(error);
        if (!exchangeEntries(source, target))
            return failedWithErrno(error);
        QFile::remove(source);
        return true;
    }
    // Where nothing is in the way, in one system call: QFile::rename asks first whether both
    // paths exist, which triples the cost of a large batch.
    if (renameWithoutReplacing(source, target))
        return true;
    // What QFile::rename takes for free (a dangling link), and the one clash it settles: two names
    // of one entry, a change of letter case alone on a file system that ignores case.
    if (errno == EEXIST && status(target).exists() &&
        !(status(source, Links::NoFollow).id == status(target, Links::NoFollow).id)) {
        if (error)
            *error = QStringLiteral("Destination file exists");
        return false;
    }
    QFile file(source);
    if (file.rename(target))
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool RealFileSystem::remove(const QString& path, QString* error)
{
    QFile file(path);
    if (file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

std::unique_ptr<FileWriter> RealFileSystem::openForWriting(const QString& path, WriteMode mode)
{
    auto writer = std::make_unique<RealFileWriter>();
    if (!writer->open(path, mode))
        return nullptr;
    return writer;
}

// Only regular files are read (links followed): opening a FIFO waits for a writer, and a socket
// or device may block or never end.
bool RealFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes)
{
    QFile file;
    if (!openRegularFileForReading(path, &file) || file.size() > maxSize)
        return false;
    // A large file is read in stretches at once; one that changed meanwhile is read again in one
    // go. A file whose size reads as 0 (as under /proc) is read in chunks up to its real end.
    const int size = int(file.size());
    const int parts = partsFor(size, kBytesPerStretch);
    if (parts > 1 && readInStretches(file, size, parts, bytes))
        return true;
    *bytes = file.readAll();
    // A read that broke off would pass for the whole file; one that grew past the limit would fail
    // in the allocation of what is made of it.
    return file.error() == QFileDevice::NoError && bytes->size() <= maxSize;
}

bool RealFileSystem::readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes)
{
    QFile file;
    if (!openRegularFileForReading(path, &file) || (offset > 0 && !file.seek(offset)))
        return false;
    *bytes = file.read(length);
    return file.error() == QFileDevice::NoError;
}
