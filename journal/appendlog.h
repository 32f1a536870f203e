// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// A file that only grows, written through a shared mapping of room reserved ahead: a record costs
// a copy, not a system call, and is in the kernel's hands (safe from a kill of the process) as
// soon as it is copied. A killed writer leaves zeros after its last record, which no reader takes
// for a record; closing cuts them off. Where the room cannot be had (a full disk) or mapped,
// plain writes take over.
class AppendLog
{
public:
    // A new file at `path` holding `first`, private to the user and locked (flock) against undo
    // until the log closes. It appears under its name with `first` in it, so that no kill leaves
    // a log without it. Fails where `path` exists already (errno says why).
    static std::unique_ptr<AppendLog> create(const QString& path, const QByteArray& first);
    ~AppendLog();
    AppendLog(const AppendLog&) = delete;
    AppendLog& operator=(const AppendLog&) = delete;

    bool append(const QByteArray& bytes);
    // Forces what was appended to the disk.
    void sync();

private:
    explicit AppendLog(int fd) : m_fd(fd) {}
    bool reserve(qint64 size);
    void unmap();

    int m_fd = -1;
    char* m_map = nullptr;
    qint64 m_reserved = 0; // the file's length while mapped
    qint64 m_used = 0;
    bool m_unsynced = false;
};
