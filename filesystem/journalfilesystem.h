// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <journal.h>

#include <QVector>

#include <memory>

// The files on disk, each change recorded in a journal before it is made, and whatever a change
// destroys kept there, so that the run can be taken back. Questions and reads go straight to the
// files below.
class JournalFileSystem : public FileSystem
{
public:
    JournalFileSystem(FileSystem& files, std::unique_ptr<Journal> journal);

    Journal& journal() { return *m_journal; }
    // How many changes were refused because the journal had failed (see Journal::failed).
    int refusals() const { return m_refusals; }

    QString baseFolder() const override { return m_files.baseFolder(); }
    EntryStatus status(const QString& path, Links links = Links::Follow) override;
    QString canonicalPath(const QString& path) override;
    bool makeFolderPath(const QString& path, FileError* error) override;
    bool copyFile(const QString& source, const QString& target, Overwrite overwrite,
                  FileError* error) override;
    bool rename(const QString& source, const QString& target, Overwrite overwrite,
                FileError* error) override;
    bool remove(const QString& path, FileError* error) override;
    std::unique_ptr<FileWriter> openForWriting(const QString& path, WriteMode mode,
                                               FileError* error) override;
    bool readAll(const QString& path, qint64 maxSize, QByteArray* bytes, FileError* error) override;
    bool readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes,
                  FileError* error) override;
    std::unique_ptr<CopyBatch> startCopyBatch() override;

private:
    struct Seen {
        QString path;
        FileState state;
    };

    // Where the system finds `path`, for what is asked of it here rather than of the files below.
    QString onDisk(const QString& path) const;
    FileState stateOf(const QString& path) const;
    void forgetSeen() { m_seen.clear(); }
    bool clearTarget(const QString& target, const FileState& there, Overwrite overwrite,
                     FileError::Operation operation, FileError* error);
    void putBack(const QString& target, const FileState& was);
    bool renameWithoutReplacing(const QString& source, const QString& target, FileError* error);
    bool refuse(FileError::Operation operation, const QString& path, FileError* error);
    bool notRecorded(FileError::Operation operation, const QString& path, FileError* error) const;
    std::unique_ptr<FileWriter> refused(const QString& path, FileError* error);
    bool putInPlace(const QString& newFile, const QString& target, FileError::Operation operation,
                    FileError* error);
    std::unique_ptr<FileWriter> journaled(std::unique_ptr<FileWriter> writer,
                                          const QString& newFile = QString(),
                                          const QString& target = QString());

    class Writer;
    class Batch;
    bool nameBatchCopy(CopyBatch& below, int index, const QString& target, Overwrite overwrite,
                       FileError* error);
    bool commitNewFile(FileWriter& writer, const QString& newFile, const QString& target,
                       FileError* error);
    bool commitInPlace(FileWriter& writer, FileError* error);

    FileSystem& m_files;
    std::unique_ptr<Journal> m_journal;
    // What status() found at the paths asked about since the last change, links not followed:
    // a record takes a path's state from here rather than looking a second time.
    QVector<Seen> m_seen;
    int m_refusals = 0;
};
