// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNALFILES_H
#define FILEOPER_JOURNALFILES_H

#include <QString>

// The file moves a journal and its undo make, each at the least cost the file system allows, on
// the system calls the steps use too (core/posixfile_unix.h).

// Moves `from` to `to` (which must not exist): one rename on the same file system; elsewhere a
// clone or a copy (bytes and modification time; private, 0600), then `from` removed.
bool moveOrCopyAway(const QString& from, const QString& to);

// Copies `from` to a new private file `to` (0600) with its modification time: a clone where the
// file system can share the blocks, a copy of the bytes otherwise.
bool copyKeepingTimes(const QString& from, const QString& to);

// Gives the file `from` the second name `to` (a hard link) where both are on one file system,
// else copies it there as copyKeepingTimes does.
bool linkOrCopy(const QString& from, const QString& to);

// Writes the bytes of `from` over `to` in place (its inode, and so its other hard links, kept),
// then gives it the modification time of `from`. A link at `to` is not followed.
bool rewriteInPlace(const QString& from, const QString& to);

// Cuts `path` back to `size` bytes and gives it the modification time `mtimeNs`. A link at `path`
// is not followed.
bool truncateKeepingTime(const QString& path, qint64 size, qint64 mtimeNs);

#endif
