// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QtGlobal>

#include <ctime>
#include <functional>

// The system calls the steps and the journal make themselves, for what Qt does not offer: opening
// without waiting, reading at an offset from several threads, locks, syncing, renames that
// replace, refuse to replace or exchange, clones and times. The project builds for Linux only.
// Paths are encoded as QFile encodes them; descriptors are plain ints, -1 when an open fails. A
// call that fails leaves the system's reason in errno, for a FileError.

struct FileStatus {
    bool regular = false;
    bool folder = false;
    bool symLink = false;
    qint64 size = 0;
    qint64 mtimeNs = 0; // since the epoch
    qint64 ctimeNs = 0; // the last change of the status, which nobody can set back
    quint64 device = 0;
    quint64 inode = 0;
    quint64 linkCount = 0;
    uint mode = 0; // permission bits, set-user-ID and the like included
    uint owner = 0;
    uint group = 0;
    qint64 modified = 0; // nanoseconds since the epoch
};

enum class OpenFor {
    Reading,
    CreatingNew,     // fails when anything is at the path, a dangling link included
    Writing,         // created when missing
    Appending,       // Writing, each write at the end
    CreatingPrivate, // CreatingNew, readable by the owner only, never through a link
    Inspecting,      // Reading, never through a link
    Changing,        // an existing file, for writing
    Rewriting,       // Changing, emptied first
    Folder,          // a folder itself, for its status and mode, never through a link
};

enum class OpenError { None, Exists, NotPermitted, Other };

// The process's current folder as the system reports it now; empty when it cannot (it was
// removed). The only place the plug-in asks: everywhere else a folder is given.
QString processCurrentFolder();

// The folder relative paths resolve against, as a current folder is: absolute, links resolved
// (where it exists). A relative folder is taken from the process's current folder, and an empty
// one is that folder itself.
QString absoluteFolder(const QString& folder);

// `path` as the system takes it with `folder` (from absoluteFolder) as its current folder: an
// absolute path as it is, a relative one behind the folder, nothing cleaned, so that the kernel
// and Qt take each "..", and a name that must be a folder ("a/"), as they would with the process
// in that folder. An empty folder leaves the path as it is, for the process's current folder at
// the moment it is used.
QString pathInFolder(const QString& path, const QString& folder);

// `path`, absolute against `workingFolder`, with "." and ".." taken as the kernel takes them: a
// ".." after a link climbs from where the link leads, not back over the link's name. Links that no
// ".." follows stay as they are named. Where the part up to the last ".." does not exist, the path
// is cleaned as text (nothing can be made or found through it anyway).
QString absolutePathAsKernelTakesIt(const QString& path, const QString& workingFolder);

// Opens without waiting for a FIFO's other end or a device; the descriptor stays non-blocking.
int openWithoutWaiting(const QString& path, OpenFor purpose, OpenError* error = nullptr);
// False when the system reports a late write error at the close.
bool closeDescriptor(int fd);

bool statusOf(int fd, FileStatus* status);
// Links followed or not.
bool statusOf(const QString& path, bool followLinks, FileStatus* status);
bool isSameFile(const FileStatus& a, const FileStatus& b);

// Nanoseconds since the epoch, from a stat's modification time.
qint64 modificationTime(const struct timespec& time);
// Gives the entry at path (a link itself, not what it leads to) the modification time `modified`
// (nanoseconds since the epoch), as exactly as its file system keeps times.
bool setModificationTime(const QString& path, qint64 modified);

// What this process may do with the file at path (links followed), as an owner's permission bits:
// 0400 read, 0200 write, 0100 run. Root may read and write anything. Only the bits in `asked` are
// asked about (one system call each); the others come back clear.
uint ownAccessBits(const QString& path, uint asked = 0700);

// Gives the file the owner, group and mode of `model` as far as the process may; false when
// not all of them.
bool copyOwnerAndMode(int fd, const FileStatus& model);
// The permission bits (set-user-ID and the like included).
bool setMode(int fd, uint mode);
// The mode of the entry at path, links followed.
bool setMode(const QString& path, uint mode);
// A new folder with `mode`, less what the umask takes away.
bool makeFolder(const QString& path, uint mode);

// Reads size bytes at offset, as many calls as it takes; the bytes read, fewer only at the end
// of the file, or -1 on an error.
qint64 readAt(int fd, char* data, qint64 size, qint64 offset);
// Reads the open file `fd` from where it stands to its end, each block handed to `take` as it
// comes; false when a read fails or `take` says so.
bool readBlocks(int fd, const std::function<bool(const char* bytes, qint64 size)>& take);
// Writes all `size` bytes at `offset` of the open file `fd`, as many calls as it takes.
bool writeAllAt(int fd, const char* data, qint64 size, qint64 offset);
// Makes `out` share the blocks of `in` where the file system can (a clone); false elsewhere.
bool cloneContent(int in, int out);
enum class KernelCopy { Done, NotSupported, Failed };
// Copies `in` from where it stands into `out` inside the kernel (sendfile), without the bytes
// passing through the process, up to its end or `most` bytes, whichever comes first.
// NotSupported, nothing written, where these files cannot be copied so (a file under /sys, some
// file systems); Failed, errno saying why, on an error after that. With `moved`, the bytes go in
// pieces of at most `piece` bytes, each followed by moved(bytes of the piece); false from it ends
// the copy as Failed with errno ECANCELED.
KernelCopy copyInKernel(int in, int out, qint64 most);
KernelCopy copyInKernel(int in, int out, qint64 most, qint64 piece,
                        const std::function<bool(qint64)>& moved);
bool truncateTo(int fd, qint64 size);
bool setModificationTime(int fd, qint64 mtimeNs);
bool syncData(int fd);
// Everything written to the file system that holds the open file, made durable in one go (one
// journal commit and one flush of the disk's cache, where a sync of each file pays both each
// time). False where that fails, or where a write to it failed since the file was opened.
bool syncFileSystem(int fd);

// The process's file size limit (RLIMIT_FSIZE) in bytes, or -1 where there is none.
qint64 fileSizeLimit();
// Whether a file may grow to `size` bytes under the file size limit `limit` (as fileSizeLimit()
// gives it); errno EFBIG where not.
bool withinFileSizeLimit(qint64 size, qint64 limit);
// Whether a file may grow to `size` bytes under the process's file size limit (RLIMIT_FSIZE).
// A write past the limit would end the process by SIGXFSZ unless the host ignores it; one that
// would pass it is refused beforehand instead, with errno set to EFBIG.
bool withinFileSizeLimit(qint64 size);

enum class Reserved { Yes, No, NotSupported };
// Allocates room for the file's first `size` bytes without changing its length or content, so
// that writing them later cannot find the disk full. NotSupported where the file system cannot
// (errno tells the other failures apart: ENOSPC, EDQUOT, EFBIG).
Reserved reserveRoom(int fd, qint64 size);
// Starts writing a stretch of the file to disk without waiting for it, so that a later syncData
// has less left to wait for.
void startWriteback(int fd, qint64 offset, qint64 length);

// An exclusive or a shared lock on an open file, which the system drops when the process ends.
// Without waiting, a lock held elsewhere fails with errno EWOULDBLOCK.
bool lockExclusively(int fd, bool wait);
bool lockShared(int fd, bool wait);
// Whether the file is open through another open file description, where its file system can
// tell: a write lease is refused while anybody else has the file open. False where leases are
// not to be had (another file system, no right to one).
bool openElsewhere(int fd);

// Renames that replace what is at `to`, that fail when anything is there, and that exchange two
// entries, each in one step.
bool renameReplacing(const QString& from, const QString& to);
bool renameWithoutReplacing(const QString& from, const QString& to);
bool exchangeEntries(const QString& a, const QString& b);

// A file, or a link itself; never a folder.
bool removeEntry(const QString& path);
// The second name `to` for the file `from` (a hard link).
bool linkEntry(const QString& from, const QString& to);
// A symbolic link made at `to` that points where the one at `from` points.
bool copySymbolicLink(const QString& from, const QString& to);
