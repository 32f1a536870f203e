// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNALFOLDER_H
#define FILEOPER_JOURNALFOLDER_H

#include <QString>

// The folder a journal lives in and the locks that tell a live run's files from a dead one's.
//
// A journal takes only a folder that is missing or empty and the user's own: a file already in
// it could be destroyed by a backup of the same name or taken for one of the journal's own. The
// folder and everything the journal puts in it are private to the user (folders 0700, files
// 0600), whatever the umask: a backup holds a file the run deleted, which may have been private.

// Why `folder` cannot hold a new journal, in one line naming it and what is in it; empty where it
// can (missing, or an empty folder of the user's). Changes nothing.
QString journalFolderRefusal(const QString& folder);

// Makes `folder` (and its "backup" folder) private to the user, or claims an empty one;
// false with the reason in `error` where journalFolderRefusal() refuses it or a folder cannot
// be made.
bool makeJournalFolder(const QString& folder, QString* error);

// Gives an entry the journal keeps its private permission bits: 0700 for a folder, 0600 for
// anything else; a symbolic link has none of its own and is left as it is.
bool makePrivate(const QString& path);

// The lock a run holds on its journal's log from its first change to its last record, and that a
// writer holds on a temporary file while it writes it.
enum class LockResult { Taken, HeldElsewhere, Failed };
enum class LockKind { Shared, Exclusive };
LockResult lockWithoutWaiting(int fd, LockKind kind);

// Whether a process other than this one holds the open file `fd` locked, or has it open at all
// where the file system can tell (a write lease is refused while anybody else has the file open):
// such a temporary file is still being written, however old it looks.
bool heldByAnotherProcess(int fd);

#endif
