// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QFile>
#include <QString>

#include <vector>

// Opening a user's file without waiting and without surprises: only regular files are opened
// (links followed), and the open itself never blocks. A FIFO or a device that takes a file's place
// between a check and the open is refused instead of stalling the flow.

// Opens an existing regular file for reading.
bool openRegularFileForReading(const QString& path, QFile* file);

enum class WriteMode { Replace, Append };

// Writes a regular file, creating it when it is missing. Replace writes the new content of an
// existing file beside it and puts it in the file's place in commit(), so a failure at any point
// leaves the old file as it was; a link is followed and stays a link. Where a new file would change
// more than the bytes (the file has other hard links, its folder takes no new files), the file is
// written in place: the new content is held until commit(), which makes sure of room for all of
// it before it writes over the old bytes, so a full disk or a size limit leaves the old file as it
// was. Append writes after the file's end. No write goes past the process's file size limit: it
// fails beforehand as on a full disk. Unless commit() succeeds, the writer undoes what it can when
// it goes: a replacement or a file it created is removed, an appended file gets back its old end.
class RegularFileWriter
{
public:
    RegularFileWriter() = default;
    ~RegularFileWriter();
    RegularFileWriter(const RegularFileWriter&) = delete;
    RegularFileWriter& operator=(const RegularFileWriter&) = delete;

    bool open(const QString& path, WriteMode mode);
    bool write(const QByteArray& bytes);
    bool commit();
    // The replacement being written, which commit() renames over the file; empty where the file
    // is written where it stands.
    QString pendingPath() const { return m_tempPath; }
    // How the open file is written, settled by open(): a file it made, a replacement beside it
    // (pendingPath()), or the file itself.
    bool created() const { return m_created; }
    bool replacing() const { return !m_tempPath.isEmpty(); }

private:
    int replacementDescriptor(int targetFd);
    bool inPlace() const;
    bool writeInPlace();
    bool writeHeld(qint64 begin, qint64 end);

    QFile m_file; // opened on a descriptor, so it knows no name
    QString m_path;
    QString m_tempPath; // the replacement being written, if there is one
    WriteMode m_mode = WriteMode::Replace;
    bool m_created = false;
    bool m_committed = false;
    qint64 m_sizeBefore = 0;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0;       // how much of a replacement is on its way to disk
    std::vector<QByteArray> m_held; // the new content of a file written in place
};
