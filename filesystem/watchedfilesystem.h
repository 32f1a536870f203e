// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

class StepProgress;

// A file system that counts the bytes a watched step copies, reads and writes through it into
// the step's progress, and stops a large copy part-way when the step is asked to stop. A batch of
// copies counts each file as it is made; everything else is the wrapped file system's own.
class WatchedFileSystem : public FileSystem
{
public:
    WatchedFileSystem(FileSystem& files, StepProgress& progress);

    QString baseFolder() const override;
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
    void noteSkipped(const QString& action, const QString& path, const QString& from,
                     const QString& reason) override;

private:
    FileSystem& m_files;
    StepProgress& m_progress;
};
