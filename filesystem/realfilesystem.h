// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

// The files on disk, as a run changes them.
class RealFileSystem : public FileSystem
{
public:
    // The one every run shares; it holds no state.
    static RealFileSystem& instance();

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

    // Why a copy of `source` to `target` failed, asked right after it did (errno still holding
    // the system's reason, `why` the copy's own words).
    FileError copyFailure(const QString& source, const QString& target, Overwrite overwrite,
                          const QString& why);
};
