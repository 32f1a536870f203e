// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QFileInfo>
#include <QPair>
#include <QSet>
#include <QString>

#include <functional>

// Copies of regular files (links followed). A copy is built beside its target under a hidden
// temporary name (".<name>.fileoper-XXXXXX"), locked from its creation until it has its name, so
// that nobody cleaning up after killed runs takes it for a leftover. It gets the source's bytes
// (shared blocks, else copied inside the kernel), the source's permission bits and its
// modification time as the copy began, is synced to disk and only then takes its name, so a
// move may remove its source right after. On failure *error says why and errno holds the
// system's reason; the temporary file is gone.

struct FileStatus;

// What the copies of one step learn once instead of asking the system for each file: the
// process's file size limit, and the pairs of file systems (source's, copy's) between which a
// clone was refused, where it is not tried again.
class CopyConditions
{
public:
    CopyConditions();

    // -1 where there is none.
    qint64 fileSizeLimit() const { return m_fileSizeLimit; }
    bool mayClone(quint64 from, quint64 to) const;
    void cloneRefused(quint64 from, quint64 to);

private:
    qint64 m_fileSizeLimit;
    QSet<QPair<quint64, quint64>> m_refusingClones;
};

// One copy, made complete under its hidden name first and named later. Made durable at once, or
// later by makeDurable() together with others (many small files are synced far faster together
// than one by one). Until it is named the file stays locked, and a copy that never gets its name
// is removed when this goes.
class PreparedCopy
{
public:
    enum class Durability { Now, Later };
    // Whether the source is asked about before it is opened, so that a device is never opened
    // at all, or was found a regular file (links followed) by the caller a moment ago.
    enum class SourceCheck { AskFirst, DoneByCaller };

    PreparedCopy() = default;
    ~PreparedCopy();
    PreparedCopy(const PreparedCopy&) = delete;
    PreparedCopy& operator=(const PreparedCopy&) = delete;

    // Creates the temporary file beside `target` and fills it with the source's bytes, mode and
    // modification time; synced to disk with Durability::Now. `conditions` is what the copies
    // before this one learnt, and learns from this one.
    bool make(const QString& source, const QString& target, Durability durability,
              CopyConditions& conditions, QString* error,
              SourceCheck check = SourceCheck::AskFirst);
    bool makeDurable(QString* error);
    // Makes durable everything written to the file system this copy is on, this copy included;
    // the way to make many copies durable at once.
    bool makeFileSystemDurable();
    // The complete copy takes the name `target`, where nothing may be, or over what is there.
    bool nameWithoutReplacing(const QString& target, QString* error);
    bool nameReplacing(const QString& target, QString* error);

    const QString& temporary() const { return m_temporary; }
    // The source's size as the copy began.
    qint64 size() const { return m_size; }
    // The file system the copy is on.
    quint64 device() const { return m_device; }

private:
    bool fill(int in, const QString& source, const FileStatus& status, const QString& target,
              CopyConditions& conditions, QString* error);

    int m_fd = -1;
    QString m_temporary;
    qint64 m_size = 0;
    quint64 m_device = 0;
    bool m_named = false;
};

// Copies to a path where nothing is yet, never replacing what is there.
bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target, QString* error);

// Copies over an existing target: the copy takes its place in one rename, so a failed copy
// leaves the target as it was. The target itself is replaced, a link as much as a file.
bool copyFileReplacing(const QFileInfo& source, const QString& target, QString* error);

// While one lives, the copies made on its thread tell `moved` the bytes they have moved, in
// pieces of at most 16 MiB, and go on only while it answers true: false ends the copy as a failed
// one (errno ECANCELED), its temporary file removed and a target it would replace left as it was.
class CopyWatch
{
public:
    explicit CopyWatch(std::function<bool(qint64 bytes)> moved);
    ~CopyWatch();
    CopyWatch(const CopyWatch&) = delete;
    CopyWatch& operator=(const CopyWatch&) = delete;

private:
    std::function<bool(qint64 bytes)> m_moved;
    const std::function<bool(qint64 bytes)>* m_outer;
};

// For tests: called with the temporary file's path once a copy is complete and synced, just
// before it takes its name. An empty function (the default) calls nothing.
void setCopyNamingHookForTesting(std::function<void(const QString& temporary)> hook);
