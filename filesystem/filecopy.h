// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QFileInfo>
#include <QString>

#include <functional>

// Copies of regular files (links followed). A copy is built beside its target under a hidden
// temporary name (".<name>.fileoper-XXXXXX"), locked from its creation until it has its name, so
// that nobody cleaning up after killed runs takes it for a leftover. It gets the source's bytes
// (shared blocks, else copied inside the kernel), the source's permission bits and its
// modification time as the copy began, is synced to disk and only then takes its name, so a
// move may remove its source right after. On failure *error says why and errno holds the
// system's reason; the temporary file is gone.

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
