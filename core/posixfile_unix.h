#pragma once

#include <QString>
#include <QtGlobal>

#include <ctime>

// The system calls the module makes itself, for what Qt does not offer: opening without waiting,
// reading at an offset from several threads, locks, syncing, and renames that replace, refuse to
// replace or exchange. The project builds for Linux only. Paths are encoded as QFile encodes them;
// descriptors are plain ints, -1 when an open fails.

struct FileStatus {
    bool regular = false;
    bool symLink = false;
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
};

enum class OpenError { None, Exists, NotPermitted, Other };

// Opens without waiting for a FIFO's other end or a device; the descriptor stays non-blocking.
int openWithoutWaiting(const QString& path, OpenFor purpose, OpenError* error = nullptr);
void closeDescriptor(int fd);

bool statusOf(int fd, FileStatus* status);
// Links followed or not.
bool statusOf(const QString& path, bool followLinks, FileStatus* status);
bool isSameFile(const FileStatus& a, const FileStatus& b);

// Nanoseconds since the epoch, from a stat's modification time.
qint64 modificationTime(const struct timespec& time);
// Gives the entry at path (a link itself, not what it leads to) the modification time `modified`
// (nanoseconds since the epoch), as exactly as its file system keeps times.
bool setModificationTime(const QString& path, qint64 modified);

// Gives the file the owner, group and mode of `model` as far as the process may; false when
// not all of them.
bool copyOwnerAndMode(int fd, const FileStatus& model);

// Reads size bytes at offset, as many calls as it takes; the bytes read, fewer only at the end
// of the file, or -1 on an error.
qint64 readAt(int fd, char* data, qint64 size, qint64 offset);
bool syncData(int fd);
// Starts writing a stretch of the file to disk without waiting for it, so that a later syncData
// has less left to wait for.
void startWriteback(int fd, qint64 offset, qint64 length);

// An exclusive lock on an open file, which the system drops when the process ends.
bool lockExclusively(int fd, bool wait);

// Renames that replace what is at `to`, that fail when anything is there, and that exchange two
// entries, each in one step.
bool renameReplacing(const QString& from, const QString& to);
bool renameWithoutReplacing(const QString& from, const QString& to);
bool exchangeEntries(const QString& a, const QString& b);
