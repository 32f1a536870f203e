#include "journalfilesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Commits the file's new bytes, then records what the write left.
class JournaledWriter : public FileWriter
{
public:
    JournaledWriter(std::unique_ptr<FileWriter> writer, Journal& journal)
        : m_writer(std::move(writer)), m_journal(journal)
    {
    }

    bool write(const QByteArray& bytes) override { return m_writer->write(bytes); }

    bool commit() override
    {
        if (!m_writer->commit())
            return false;
        m_journal.changeMade();
        return true;
    }

private:
    std::unique_ptr<FileWriter> m_writer;
    Journal& m_journal;
};

// The writer below empties a file and writes it where it stands, rather than replacing it, where a
// new file would change more than the bytes: other hard links, a folder that takes no new file.
bool writtenInPlace(const QString& file)
{
    struct stat status;
    if (::stat(QFile::encodeName(file).constData(), &status) != 0 || status.st_nlink > 1)
        return true;
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    return ::access(folder.constData(), W_OK | X_OK) != 0;
}

} // namespace

JournalFileSystem::JournalFileSystem(FileSystem& files, std::unique_ptr<Journal> journal)
    : m_files(files), m_journal(std::move(journal))
{
}

EntryStatus JournalFileSystem::status(const QString& path, Links links)
{
    return m_files.status(path, links);
}

QString JournalFileSystem::canonicalPath(const QString& path)
{
    return m_files.canonicalPath(path);
}

bool JournalFileSystem::refuse(QString* error)
{
    if (error)
        *error = QStringLiteral("the journal in %1 cannot be written").arg(m_journal->folder());
    return false;
}

// Each missing folder is recorded and made on its own, outermost first, so that undo removes
// exactly the folders the run made.
bool JournalFileSystem::makeFolderPath(const QString& path)
{
    QStringList missing;
    for (QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
         !m_files.status(folder, Links::NoFollow).exists(); folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (QFileInfo(folder).isRoot())
            break;
    }
    if (missing.isEmpty())
        return m_files.isFolder(path);
    for (const QString& folder : qAsConst(missing)) {
        if (!m_journal->willMakeFolder(folder) || !m_files.makeFolderPath(folder))
            return false;
        m_journal->changeMade();
    }
    return true;
}

// A file or link that a change may replace is moved into the journal first; a folder stays
// where it is, and the change then fails below as it would without a journal.
bool JournalFileSystem::clearTarget(const QString& target, Overwrite overwrite, QString* error)
{
    if (overwrite == Overwrite::No)
        return true;
    const EntryStatus there = m_files.status(target, Links::NoFollow);
    if (!there.exists() || there.isFolder())
        return true;
    return m_journal->moveIntoJournal(target) || refuse(error);
}

// A change that failed after its target went into the journal gives the target back at once.
void JournalFileSystem::putBack(const QString& target)
{
    const QString backup = m_journal->lastBackupPath();
    if (!m_journal->willRename(backup, target))
        return;
    if (m_files.rename(backup, target, Overwrite::No, nullptr))
        m_journal->changeMade();
}

bool JournalFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                                 QString* error)
{
    // A copy refused for a clash changes nothing: no record, which undo might take for a file
    // the run made.
    if (overwrite == Overwrite::No && m_files.status(target, Links::NoFollow).exists())
        return m_files.copyFile(source, target, overwrite, error);
    const bool cleared = m_files.status(target, Links::NoFollow).exists();
    if (!clearTarget(target, overwrite, error))
        return false;
    if (!m_journal->willCreate(target))
        return refuse(error);
    if (!m_files.copyFile(source, target, Overwrite::No, error)) {
        if (cleared && !m_files.status(target, Links::NoFollow).exists())
            putBack(target);
        return false;
    }
    m_journal->changeMade();
    return true;
}

bool JournalFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                               QString* error)
{
    const EntryStatus to = m_files.status(target, Links::NoFollow);
    if (to.exists()) {
        // Two names of one entry (or a change of letter case alone), a clash that is refused,
        // a folder in the way: nothing is replaced, nothing to record.
        const EntryStatus from = m_files.status(source, Links::NoFollow);
        if (!from.exists() || from.id == to.id || overwrite == Overwrite::No || to.isFolder())
            return m_files.rename(source, target, overwrite, error);
        if (!m_journal->moveIntoJournal(target))
            return refuse(error);
    }
    if (!m_journal->willRename(source, target))
        return refuse(error);
    if (!m_files.rename(source, target, Overwrite::No, error)) {
        if (to.exists() && !m_files.status(target, Links::NoFollow).exists())
            putBack(target);
        return false;
    }
    m_journal->changeMade();
    return true;
}

// A delete is a move into the journal: a rename where it is on the same file system.
bool JournalFileSystem::remove(const QString& path, QString* error)
{
    const EntryStatus there = m_files.status(path, Links::NoFollow);
    if (!there.exists() || there.isFolder())
        return m_files.remove(path, error);
    return m_journal->moveIntoJournal(path) || refuse(error);
}

std::unique_ptr<FileWriter> JournalFileSystem::openForWriting(const QString& path, WriteMode mode)
{
    // Links are followed, as the writer below follows them: the file written is the target's.
    QString file = path;
    const QFileInfo info(path);
    if (info.isSymLink())
        file = m_files.exists(path) ? m_files.canonicalPath(path) : info.symLinkTarget();
    const EntryStatus there = m_files.status(file);
    if (there.exists() && !there.isFile())
        return m_files.openForWriting(path, mode);
    if (!there.exists() || mode == WriteMode::Append || writtenInPlace(file)) {
        const bool recorded = !there.exists()             ? m_journal->willCreate(file)
                              : mode == WriteMode::Append ? m_journal->willAppend(file)
                                                          : m_journal->willRewriteInPlace(file);
        if (!recorded)
            return nullptr;
        return journaled(m_files.openForWriting(path, mode));
    }
    // The writer makes the new file beside the old one, which it leaves alone until commit: it
    // is opened first, then the old file is kept in the journal as a second name of its data.
    std::unique_ptr<FileWriter> writer = m_files.openForWriting(path, mode);
    if (!writer || !m_journal->willReplace(file))
        return nullptr;
    return journaled(std::move(writer));
}

std::unique_ptr<FileWriter> JournalFileSystem::journaled(std::unique_ptr<FileWriter> writer)
{
    if (!writer)
        return nullptr;
    return std::make_unique<JournaledWriter>(std::move(writer), *m_journal);
}

bool JournalFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes)
{
    return m_files.readAll(path, maxSize, bytes);
}

bool JournalFileSystem::readPart(const QString& path, qint64 offset, qint64 length,
                                 QByteArray* bytes)
{
    return m_files.readPart(path, offset, length, bytes);
}
