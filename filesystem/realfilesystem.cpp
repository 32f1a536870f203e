#include "realfilesystem.h"

#include "core/regularfile.h"
#include "operations/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

#ifdef Q_OS_LINUX
#include <cstdio>
#include <fcntl.h>
#endif

namespace
{

EntryType typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Folder;
    return EntryType::Other;
}

// Renames only where nothing is in the way, in one system call: asking first whether both paths
// exist, as QFile::rename does, triples the cost of a large batch. *clash tells a refusal because
// the target is there from a system that cannot rename this way.
bool renameWithoutReplacing(const QString& source, const QString& target, bool* clash)
{
    *clash = false;
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, QFile::encodeName(source).constData(), AT_FDCWD,
                    QFile::encodeName(target).constData(), RENAME_NOREPLACE) == 0)
        return true;
    *clash = errno == EEXIST;
#else
    Q_UNUSED(source)
    Q_UNUSED(target)
#endif
    return false;
}

class RealFileWriter : public FileWriter
{
public:
    bool open(const QString& path, WriteMode mode)
    {
        if (!openRegularFileForWriting(path, mode, &m_file, &m_created))
            return false;
        m_path = path;
        m_append = mode == WriteMode::Append;
        m_sizeBefore = m_file.size();
        return true;
    }

    ~RealFileWriter() override
    {
        if (m_committed || !m_file.isOpen())
            return;
        // A write that failed part way (a full disk, a size limit) leaves nothing half done
        // behind that can be undone. A replaced file has already given up its old content.
        if (m_created) {
            m_file.close();
            QFile::remove(m_path);
        } else if (m_append) {
            m_file.resize(m_sizeBefore);
        }
    }

    bool write(const QByteArray& bytes) override
    {
        return bytes.isEmpty() || m_file.write(bytes) == bytes.size();
    }

    bool commit() override
    {
        m_committed = true;
        return true;
    }

private:
    QFile m_file; // opened on a descriptor, so it knows no name
    QString m_path;
    bool m_created = false;
    bool m_append = false;
    bool m_committed = false;
    qint64 m_sizeBefore = 0;
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

bool RealFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite)
{
    if (overwrite == Overwrite::Yes)
        QFile::remove(target);
    return copyFileWithoutReplacing(QFileInfo(source), target);
}

bool RealFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite)
{
    if (overwrite == Overwrite::Yes) {
        QFile::remove(target);
        return QFile::rename(source, target);
    }
    bool clash = false;
    if (renameWithoutReplacing(source, target, &clash))
        return true;
    // A clash is final, unless the two names are one entry: a change of letter case alone on a
    // file system that ignores case, which QFile::rename does without removing anything.
    if (clash && !(status(source, Links::NoFollow).id == status(target, Links::NoFollow).id))
        return false;
    return QFile::rename(source, target);
}

bool RealFileSystem::remove(const QString& path)
{
    return QFile::remove(path);
}

std::unique_ptr<FileWriter> RealFileSystem::openForWriting(const QString& path, WriteMode mode)
{
    auto writer = std::make_unique<RealFileWriter>();
    if (!writer->open(path, mode))
        return nullptr;
    return writer;
}

bool RealFileSystem::readAll(const QString& path, QByteArray* bytes)
{
    QFile file;
    if (!openRegularFileForReading(path, &file))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool RealFileSystem::readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes)
{
    QFile file;
    if (!openRegularFileForReading(path, &file) || (offset > 0 && !file.seek(offset)))
        return false;
    *bytes = file.read(length);
    return file.error() == QFileDevice::NoError;
}
