// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "watchedfilesystem.h"

#include "filesystem/filecopy.h"
#include "filesystem/stepprogress.h"

namespace
{

class CountingWriter : public FileWriter
{
public:
    CountingWriter(std::unique_ptr<FileWriter> writer, StepProgress& progress, const QString& path)
        : m_writer(std::move(writer)), m_progress(progress), m_path(path)
    {
    }

    bool write(const QByteArray& bytes) override
    {
        if (!m_writer->write(bytes))
            return tellFailure();
        m_progress.moved(bytes.size());
        return true;
    }

    bool commit() override { return m_writer->commit() || tellFailure(); }
    QString pendingPath() const override { return m_writer->pendingPath(); }
    WriteWay way() const override { return m_writer->way(); }

private:
    bool tellFailure()
    {
        m_progress.writeFailed(m_path, m_writer->error());
        return failed(m_writer->error());
    }

    std::unique_ptr<FileWriter> m_writer;
    StepProgress& m_progress;
    const QString m_path;
};

// Copies waiting in a batch: each counts as made once it is complete under its hidden name, so
// the figures move per file; a stop is heard by the step before its next file.
class CountingCopyBatch : public CopyBatch
{
public:
    CountingCopyBatch(std::unique_ptr<CopyBatch> batch, StepProgress& progress)
        : m_batch(std::move(batch)), m_progress(progress)
    {
    }

    bool add(const QString& source, const QString& target, FileError* error) override
    {
        const qint64 before = m_batch->bytes();
        if (!m_batch->add(source, target, error))
            return false;
        m_progress.moved(m_batch->bytes() - before);
        return true;
    }

    void makeDurable() override { m_batch->makeDurable(); }
    bool name(int index, Overwrite overwrite, FileError* error) override
    {
        return m_batch->name(index, overwrite, error);
    }
    void clear() override { m_batch->clear(); }
    int count() const override { return m_batch->count(); }
    qint64 bytes() const override { return m_batch->bytes(); }
    QString temporary(int index) const override { return m_batch->temporary(index); }

private:
    std::unique_ptr<CopyBatch> m_batch;
    StepProgress& m_progress;
};

} // namespace

WatchedFileSystem::WatchedFileSystem(FileSystem& files, StepProgress& progress)
    : m_files(files), m_progress(progress)
{
}

QString WatchedFileSystem::baseFolder() const
{
    return m_files.baseFolder();
}

EntryStatus WatchedFileSystem::status(const QString& path, Links links)
{
    return m_files.status(path, links);
}

QString WatchedFileSystem::canonicalPath(const QString& path)
{
    return m_files.canonicalPath(path);
}

bool WatchedFileSystem::makeFolderPath(const QString& path, FileError* error)
{
    return m_files.makeFolderPath(path, error);
}

bool WatchedFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                                 FileError* error)
{
    const CopyWatch watch([this](qint64 bytes) {
        m_progress.moved(bytes);
        return !m_progress.stopRequested();
    });
    return m_files.copyFile(source, target, overwrite, error);
}

std::unique_ptr<CopyBatch> WatchedFileSystem::startCopyBatch()
{
    std::unique_ptr<CopyBatch> batch = m_files.startCopyBatch();
    if (!batch)
        return nullptr;
    return std::make_unique<CountingCopyBatch>(std::move(batch), m_progress);
}

bool WatchedFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                               FileError* error)
{
    return m_files.rename(source, target, overwrite, error);
}

bool WatchedFileSystem::remove(const QString& path, FileError* error)
{
    return m_files.remove(path, error);
}

std::unique_ptr<FileWriter> WatchedFileSystem::openForWriting(const QString& path, WriteMode mode,
                                                              FileError* error)
{
    FileError refusal;
    std::unique_ptr<FileWriter> writer = m_files.openForWriting(path, mode, &refusal);
    if (!writer) {
        m_progress.writeFailed(path, refusal);
        failWith(error, refusal);
        return nullptr;
    }
    return std::make_unique<CountingWriter>(std::move(writer), m_progress, path);
}

bool WatchedFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes,
                                FileError* error)
{
    if (!m_files.readAll(path, maxSize, bytes, error))
        return false;
    m_progress.moved(bytes->size());
    return true;
}

bool WatchedFileSystem::readPart(const QString& path, qint64 offset, qint64 length,
                                 QByteArray* bytes, FileError* error)
{
    return m_files.readPart(path, offset, length, bytes, error);
}

void WatchedFileSystem::noteSkipped(const QString& action, const QString& path, const QString& from,
                                    const QString& reason)
{
    m_files.noteSkipped(action, path, from, reason);
}
