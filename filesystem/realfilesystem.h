// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "core/posixfile_unix.h"
#include "filesystem/filesystem.h"

// The files on disk, as a run changes them. Relative paths are taken from the base folder; what
// a call reports (an error's path) names the path as it was given.
class RealFileSystem : public FileSystem
{
public:
    // `baseFolder`: absolute, or empty for the process's current folder.
    explicit RealFileSystem(const QString& baseFolder = QString());

    // The one every run shares that was given no folder; it holds no state.
    static RealFileSystem& instance();

    QString baseFolder() const override { return m_baseFolder; }

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

    // Where the system finds `path`. Asked for every path a step names: without a base folder it
    // is the path itself, not even copied.
    QString onDisk(const QString& path) const
    {
        return m_baseFolder.isEmpty() ? path : pathInFolder(path, m_baseFolder);
    }

private:
    QString m_baseFolder;
};
