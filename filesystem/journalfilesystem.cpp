// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalfilesystem.h"

#include "core/logging.h"
#include "core/posixfile_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include "core/replacementfile.h"

#include <cerrno>

#include <sys/stat.h>

// Writes through the writer below; its commit goes through the journal, which records what the
// write left.
class JournalFileSystem::Writer : public FileWriter
{
public:
    // `newFile`: the name the bytes are written under where the file is new, to be renamed to
    // `target` once complete; empty where the writer below writes to its path itself.
    Writer(std::unique_ptr<FileWriter> writer, JournalFileSystem& files, const QString& newFile,
           const QString& target)
        : m_writer(std::move(writer)), m_files(files), m_newFile(newFile), m_target(target)
    {
    }

    ~Writer() override
    {
        // A new file not committed goes, as the writer below removes one it made itself.
        m_writer.reset();
        if (!m_newFile.isEmpty() && !m_committed)
            QFile::remove(m_newFile);
    }

    WriteWay way() const override { return m_writer->way(); }

    bool write(const QByteArray& bytes) override
    {
        m_files.forgetSeen();
        return m_writer->write(bytes) || failed(m_writer->error());
    }

    bool commit() override
    {
        m_files.forgetSeen();
        FileError error;
        m_committed = m_newFile.isEmpty()
                          ? m_files.commitInPlace(*m_writer, &error)
                          : m_files.commitNewFile(*m_writer, m_newFile, m_target, &error);
        return m_committed || failed(error);
    }

private:
    std::unique_ptr<FileWriter> m_writer;
    JournalFileSystem& m_files;
    QString m_newFile;
    QString m_target;
    bool m_committed = false;
};

// Copies made by the batch below, each recorded as it takes its name, as a single copy is: the
// records of a batch follow its sync, so a file the journal says is ready is durable already.
class JournalFileSystem::Batch : public CopyBatch
{
public:
    Batch(JournalFileSystem& files, std::unique_ptr<CopyBatch> below)
        : m_files(files), m_below(std::move(below))
    {
    }

    bool add(const QString& source, const QString& target, FileError* error) override
    {
        // A journal that failed refuses the copy before a byte is copied, as it refuses a
        // single one; a folder in the way makes the copy fail as it would without a journal.
        if (m_files.m_journal->failed() &&
            fileStateOf(m_files.onDisk(target)).kind != FileState::Kind::Folder)
            return m_files.refuse(FileError::Operation::Copy, target, error);
        // Undo of a run killed while copies wait removes what they left in a folder the
        // journal names: a folder gets its name in the journal before its first copy begins.
        const QString folder = QFileInfo(target).path();
        if (!m_folders.contains(folder)) {
            if (!m_files.m_journal->willWriteBeside(target))
                return m_files.refuse(FileError::Operation::Copy, target, error);
            m_folders.insert(folder);
        }
        if (!m_below->add(source, target, error))
            return false;
        m_targets.append(target);
        return true;
    }

    void makeDurable() override { m_below->makeDurable(); }

    bool name(int index, Overwrite overwrite, FileError* error) override
    {
        return m_files.nameBatchCopy(*m_below, index, m_targets.at(index), overwrite, error);
    }

    void clear() override
    {
        m_below->clear();
        m_targets.clear();
    }

    int count() const override { return m_below->count(); }
    qint64 bytes() const override { return m_below->bytes(); }
    QString temporary(int index) const override { return m_below->temporary(index); }

private:
    JournalFileSystem& m_files;
    std::unique_ptr<CopyBatch> m_below;
    QStringList m_targets;
    QSet<QString> m_folders; // named in the journal already
};

namespace
{

EntryType typeOf(FileState::Kind kind)
{
    switch (kind) {
    case FileState::Kind::Missing:
        return EntryType::None;
    case FileState::Kind::File:
        return EntryType::File;
    case FileState::Kind::Folder:
        return EntryType::Folder;
    case FileState::Kind::Link:
    case FileState::Kind::Other:
        break;
    }
    return EntryType::Other;
}

using Operation = FileError::Operation;

bool sameEntry(const FileState& a, const FileState& b)
{
    return a.device == b.device && a.inode == b.inode;
}

} // namespace

JournalFileSystem::JournalFileSystem(FileSystem& files, std::unique_ptr<Journal> journal)
    : m_files(files), m_journal(std::move(journal))
{
}

QString JournalFileSystem::onDisk(const QString& path) const
{
    return pathInFolder(path, m_files.baseFolder());
}

// One look at the entry itself answers for both kinds of question, links aside, and is kept
// for the record of a change that follows.
EntryStatus JournalFileSystem::status(const QString& path, Links links)
{
    const FileState state = fileStateOf(onDisk(path));
    if (state.kind == FileState::Kind::Link)
        return m_files.status(path, links);
    const int kept = 4; // the few paths a step asks about before one change
    if (m_seen.size() == kept)
        m_seen.removeFirst();
    m_seen.append({path, state});
    EntryStatus result;
    result.type = typeOf(state.kind);
    result.size = state.size;
    result.modified = state.mtimeNs;
    result.id = {state.device, state.inode};
    return result;
}

// Links not followed. What status() found is only as old as the last change: every change
// forgets it, and only another process can have changed the path since, as it could right
// after a second look too. A record built on what was seen before such a change tells undo to
// leave the path alone; nothing is lost either way, as every change below refuses to replace
// what it did not put into the journal.
FileState JournalFileSystem::stateOf(const QString& path) const
{
    for (auto it = m_seen.crbegin(); it != m_seen.crend(); ++it) {
        if (it->path == path)
            return it->state;
    }
    return fileStateOf(onDisk(path));
}

QString JournalFileSystem::canonicalPath(const QString& path)
{
    return m_files.canonicalPath(path);
}

// A change is refused when the journal cannot record it, or cannot keep the file it would
// replace or delete; the second may be the user's file's own doing (a folder it may not change),
// and is told as the files' refusal. Every refusal of a journal that failed is counted: the run
// stops at the end of the step.
bool JournalFileSystem::refuse(Operation operation, const QString& path, FileError* error)
{
    if (m_journal->failed()) {
        ++m_refusals;
        return notRecorded(operation, path, error);
    }
    const QString why =
        QStringLiteral("%1 cannot be kept in the journal: %2").arg(path, m_journal->keepError());
    explainSkip(lcFiles, path, QStringLiteral("%1 refused, ").arg(operationName(operation)) + why);
    return failWith(error, FileError::withText(operation, path, m_journal->keepErrorCode(), why));
}

// Always false: the journal could not record the change at `path`, which was therefore not made.
bool JournalFileSystem::notRecorded(Operation operation, const QString& path,
                                    FileError* error) const
{
    const QString why =
        QStringLiteral("the journal in %1 cannot be written").arg(m_journal->folder());
    explainSkip(lcFiles, path, QStringLiteral("%1 refused, ").arg(operationName(operation)) + why);
    return failWith(error, FileError::journalRefused(operation, path, why));
}

// Each missing folder is recorded and made on its own, outermost first, so that undo removes
// exactly the folders the run made.
bool JournalFileSystem::makeFolderPath(const QString& path, FileError* error)
{
    forgetSeen();
    QStringList missing;
    for (QString folder = absolutePathAsKernelTakesIt(path, m_journal->workingFolder());
         !m_files.status(folder, Links::NoFollow).exists(); folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (QFileInfo(folder).isRoot())
            break;
    }
    // Every part is there: the folder itself, or something else in its place.
    if (missing.isEmpty())
        return m_files.isFolder(path) ||
               failWith(error, FileError::system(Operation::MakeFolder, path, EEXIST));
    for (const QString& folder : qAsConst(missing)) {
        if (!m_journal->willMakeFolder(folder))
            return refuse(Operation::MakeFolder, folder, error);
        if (!m_files.makeFolderPath(folder, error)) {
            m_journal->changeFailed();
            return false;
        }
        m_journal->changeMade();
    }
    return true;
}

// A file or link that a change may replace is moved into the journal first; a folder stays
// where it is, and the change then fails below as it would without a journal.
bool JournalFileSystem::clearTarget(const QString& target, const FileState& there,
                                    Overwrite overwrite, Operation operation, FileError* error)
{
    if (overwrite == Overwrite::No || !there.exists() || there.kind == FileState::Kind::Folder)
        return true;
    return m_journal->moveIntoJournal(target) || refuse(operation, target, error);
}

// A change that failed after its target went into the journal gives the target back at once.
// No record is needed, even where the journal can take none: undo takes a delete whose file is
// no longer in the journal for one that never happened. The journal made its backup private: a
// file gets back the mode it had.
void JournalFileSystem::putBack(const QString& target, const FileState& was)
{
    if (m_files.rename(m_journal->lastBackupPath(), target, Overwrite::No, nullptr) &&
        was.kind == FileState::Kind::File)
        ::chmod(QFile::encodeName(target).constData(), mode_t(was.mode));
}

// The copy is made complete under a hidden name beside the target, its state recorded, and then
// renamed to the target: after a kill, the target holds that very entry (the run's) or not.
bool JournalFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                                 FileError* error)
{
    const FileState there = stateOf(target);
    forgetSeen();
    // A copy refused for a clash changes nothing: no record, which undo might take for a file
    // the run made. A folder in the way makes the copy fail as it would without a journal.
    if ((overwrite == Overwrite::No && there.exists()) || there.kind == FileState::Kind::Folder)
        return m_files.copyFile(source, target, overwrite, error);
    if (!clearTarget(target, there, overwrite, Operation::Copy, error))
        return false;
    const FileState missing;
    if (!m_journal->willCreate(target, &missing))
        return refuse(Operation::Copy, target, error);
    const QString newFile = unusedReplacementPath(onDisk(target));
    const bool copied = m_files.copyFile(source, newFile, Overwrite::No, error);
    // A copy that failed or was stopped made nothing at the target: undo has nothing to take back
    // there, and the file put back below is the user's own.
    if (!copied)
        m_journal->changeFailed();
    if (!copied || !putInPlace(newFile, target, Operation::Copy, error)) {
        if (there.exists() && !m_files.status(target, Links::NoFollow).exists())
            putBack(target, there);
        return false;
    }
    m_journal->changeMade();
    return true;
}

std::unique_ptr<CopyBatch> JournalFileSystem::startCopyBatch()
{
    std::unique_ptr<CopyBatch> below = m_files.startCopyBatch();
    if (!below)
        return nullptr;
    return std::make_unique<Batch>(*this, std::move(below));
}

// As copyFile() above, with the complete copy made by the batch: the target as it is now is
// cleared and recorded, the copy's state recorded, and the copy named.
bool JournalFileSystem::nameBatchCopy(CopyBatch& below, int index, const QString& target,
                                      Overwrite overwrite, FileError* error)
{
    forgetSeen();
    const FileState there = fileStateOf(onDisk(target));
    if ((overwrite == Overwrite::No && there.exists()) || there.kind == FileState::Kind::Folder)
        return below.name(index, overwrite, error);
    if (!clearTarget(target, there, overwrite, Operation::Copy, error))
        return false;
    const FileState missing;
    if (!m_journal->willCreate(target, &missing))
        return refuse(Operation::Copy, target, error);
    if (!m_journal->willPutInPlace(below.temporary(index)))
        return refuse(Operation::Copy, target, error);
    if (!below.name(index, Overwrite::No, error)) {
        m_journal->changeFailed();
        if (there.exists() && !m_files.status(target, Links::NoFollow).exists())
            putBack(target, there);
        return false;
    }
    m_journal->changeMade();
    return true;
}

// The complete new file `newFile` becomes `target`, which must be free, once the state it leaves
// there is recorded. On failure the new file goes.
bool JournalFileSystem::putInPlace(const QString& newFile, const QString& target,
                                   Operation operation, FileError* error)
{
    if (!m_journal->willPutInPlace(newFile)) {
        m_files.remove(newFile, nullptr);
        return refuse(operation, target, error);
    }
    if (m_files.rename(newFile, target, Overwrite::No, error))
        return true;
    m_journal->changeFailed();
    m_files.remove(newFile, nullptr);
    return false;
}

bool JournalFileSystem::commitNewFile(FileWriter& writer, const QString& newFile,
                                      const QString& target, FileError* error)
{
    if (!writer.commit())
        return failWith(error, writer.error());
    if (!putInPlace(newFile, target, Operation::Commit, error))
        return false;
    m_journal->changeMade();
    return true;
}

// A replacement's state is recorded before the writer renames it over the file; bytes written
// into the file itself can only be recorded once they are there.
bool JournalFileSystem::commitInPlace(FileWriter& writer, FileError* error)
{
    const QString pending = writer.pendingPath();
    if (!pending.isEmpty() && !m_journal->willPutInPlace(pending))
        return refuse(Operation::Commit, pending, error);
    if (!writer.commit())
        return failWith(error, writer.error());
    m_journal->changeMade();
    return true;
}

bool JournalFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                               FileError* error)
{
    // One name in two spellings (itself, or another letter case where case is ignored) may
    // rename an entry onto itself: that takes the look at the target below.
    if (overwrite == Overwrite::No &&
        QDir::cleanPath(source).compare(QDir::cleanPath(target), Qt::CaseInsensitive) != 0)
        return renameWithoutReplacing(source, target, error);
    const FileState to = stateOf(target);
    const FileState from = stateOf(source);
    forgetSeen();
    if (to.exists()) {
        // Two names of one entry (or a change of letter case alone), a clash that is refused,
        // a folder in the way: nothing is replaced, nothing to record.
        if (!from.exists() || sameEntry(from, to) || overwrite == Overwrite::No ||
            to.kind == FileState::Kind::Folder)
            return m_files.rename(source, target, overwrite, error);
        if (!m_journal->moveIntoJournal(target))
            return refuse(Operation::Rename, target, error);
    }
    if (!m_journal->willRename(source, target, &from))
        return refuse(Operation::Rename, target, error);
    if (!m_files.rename(source, target, Overwrite::No, error)) {
        m_journal->changeFailed();
        if (to.exists() && !m_files.status(target, Links::NoFollow).exists())
            putBack(target, to);
        return false;
    }
    m_journal->changeMade();
    return true;
}

// Nothing is replaced, so the target need not be looked at first: the rename itself refuses a
// clash, and undo knows a rename that never happened by its entry still under the old name.
bool JournalFileSystem::renameWithoutReplacing(const QString& source, const QString& target,
                                               FileError* error)
{
    const FileState from = stateOf(source);
    forgetSeen();
    // Nothing to move, nothing to record: the rename fails as it would without a journal.
    if (!from.exists())
        return m_files.rename(source, target, Overwrite::No, error);
    if (!m_journal->willRename(source, target, &from))
        return refuse(Operation::Rename, target, error);
    if (!m_files.rename(source, target, Overwrite::No, error)) {
        m_journal->changeFailed();
        return false;
    }
    m_journal->changeMade();
    return true;
}

// A delete is a move into the journal: a rename where it is on the same file system.
bool JournalFileSystem::remove(const QString& path, FileError* error)
{
    forgetSeen();
    const EntryStatus there = m_files.status(path, Links::NoFollow);
    if (!there.exists() || there.isFolder())
        return m_files.remove(path, error);
    return m_journal->moveIntoJournal(path) || refuse(Operation::Remove, path, error);
}

std::unique_ptr<FileWriter> JournalFileSystem::openForWriting(const QString& path, WriteMode mode,
                                                              FileError* error)
{
    forgetSeen();
    // Links are followed, as the writer below follows them: the file written is the target's.
    QString file = path;
    const QFileInfo info(onDisk(path));
    if (info.isSymLink())
        file = m_files.exists(path) ? m_files.canonicalPath(path) : info.symLinkTarget();
    const EntryStatus there = m_files.status(file);
    if (there.exists() && !there.isFile())
        return m_files.openForWriting(path, mode, error);
    // A new file is written under a hidden name beside it and renamed to its name once
    // complete, as a copy is.
    if (!there.exists()) {
        if (!m_journal->willCreate(file))
            return refused(file, error);
        const QString newFile = unusedReplacementPath(onDisk(file));
        return journaled(m_files.openForWriting(newFile, mode, error), newFile, file);
    }
    if (mode == WriteMode::Append) {
        if (!m_journal->willAppend(file))
            return refused(file, error);
        return journaled(m_files.openForWriting(path, mode, error));
    }
    // The writer settles how it writes when it opens, and touches none of the old bytes before
    // commit: it begins a new file beside the old one (undo of a run killed right then finds it
    // by the record before), or holds the bytes it will write into the old file itself. The
    // journal keeps the old file as the writer says it will write: as a second name of its data
    // (made after the open, which would otherwise find two names and write in place), or as a
    // copy of its bytes.
    if (!m_journal->willWriteBeside(file))
        return refused(file, error);
    std::unique_ptr<FileWriter> writer = m_files.openForWriting(path, mode, error);
    if (!writer)
        return nullptr;
    switch (writer->way()) {
    case WriteWay::Replacement:
        if (!m_journal->willReplace(file))
            return refused(file, error);
        break;
    case WriteWay::InPlace:
        if (!m_journal->willRewriteInPlace(file))
            return refused(file, error);
        break;
    case WriteWay::Created:
        // The file went between the look and the open; the writer removes the one it made.
        failWith(error, FileError::withText(Operation::Open, path, ENOENT,
                                            QStringLiteral("it went while it was opened")));
        return nullptr;
    }
    return journaled(std::move(writer));
}

std::unique_ptr<FileWriter> JournalFileSystem::refused(const QString& path, FileError* error)
{
    refuse(Operation::Open, path, error);
    return nullptr;
}

std::unique_ptr<FileWriter> JournalFileSystem::journaled(std::unique_ptr<FileWriter> writer,
                                                         const QString& newFile,
                                                         const QString& target)
{
    if (!writer)
        return nullptr;
    return std::make_unique<Writer>(std::move(writer), *this, newFile, target);
}

bool JournalFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes,
                                FileError* error)
{
    return m_files.readAll(path, maxSize, bytes, error);
}

bool JournalFileSystem::readPart(const QString& path, qint64 offset, qint64 length,
                                 QByteArray* bytes, FileError* error)
{
    return m_files.readPart(path, offset, length, bytes, error);
}
