#ifndef FILEOPER_JOURNALFILES_H
#define FILEOPER_JOURNALFILES_H

#include <QString>

#include <functional>

// The file moves a journal and its undo make, each at the least cost the file system allows.

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

// Cuts `path` back to `size` bytes and gives it the modification time `mtimeNs`.
bool truncateKeepingTime(const QString& path, qint64 size, qint64 mtimeNs);

// Reads the open file `fd` to its end, each block handed to `take` as it comes; false when a read
// fails or `take` says so.
bool readBlocks(int fd, const std::function<bool(const char* bytes, qint64 size)>& take);

// Writes all `size` bytes at `offset` of the open file `fd`, as many calls as it takes.
bool writeAllAt(int fd, const char* data, qint64 size, qint64 offset);

#endif
