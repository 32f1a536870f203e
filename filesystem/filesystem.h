// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "core/fileerror.h"
#include "core/regularfile.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The steps' one road to the files: every change they make and every question that decides one
// goes through a FileSystem. The real one acts on the disk; a plan's one only pretends to, so a
// step makes the same decisions whether it runs or is planned.

enum class EntryType { None, File, Folder, Other };

// What stays the same for one file under any of its names (device and inode on disk).
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId& other) const
    {
        return device == other.device && inode == other.inode;
    }
};

struct EntryStatus {
    EntryType type = EntryType::None;
    bool isLink = false; // only when asked without following links
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    FileId id;

    bool exists() const { return type != EntryType::None; }
    bool isFile() const { return type == EntryType::File; }
    bool isFolder() const { return type == EntryType::Folder; }
};

enum class Links { Follow, NoFollow };

// Whether a copy or rename may replace a file that is at its target.
enum class Overwrite { No, Yes };

// How a writer puts its bytes into the file, settled when it opens.
enum class WriteWay {
    Created,     // nothing was at the path: the file is new
    Replacement, // a complete new file beside the old one, renamed over it by commit()
    InPlace,     // into the file itself: an append, or a replace where a new file would change
                 // more than the bytes (other hard links, a folder that takes no new file)
};

// The bytes of one file being written. Unless committed, it undoes what it wrote when it goes:
// a file it created is removed again, an appended file gets back its old end.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    virtual bool write(const QByteArray& bytes) = 0;
    // Makes the written bytes the file's; false when that fails (the file is then as before).
    virtual bool commit() = 0;
    // Where the bytes wait until commit() renames them over the file, complete; empty where they
    // are written into the file itself.
    virtual QString pendingPath() const { return QString(); }
    virtual WriteWay way() const = 0;
    // Why the last write or commit failed.
    const FileError& error() const { return m_error; }

protected:
    // Always false, keeping why.
    bool failed(const FileError& error)
    {
        m_error = error;
        return false;
    }

private:
    FileError m_error;
};

// Copies of many files, synced together: each is made complete under a hidden name beside its
// target, all of them are then made durable at once, and only then does each take its name, in
// the order they were added. A file under its final name is therefore always complete on disk,
// and a kill leaves at most the hidden files of one batch, which the next replacement of such a
// name removes. Those files stay locked until named, so that no cleanup takes them for leftovers.
class CopyBatch
{
public:
    // Copies not named are removed.
    virtual ~CopyBatch() = default;

    // The source's bytes, complete under a hidden name beside `target`, not yet durable. False,
    // *error saying why, where that fails; nothing of it then stays. The caller has found
    // `source` a regular file (links followed) a moment ago, so it is not asked again before it
    // is opened: nothing else may be added (a device is never to be opened).
    virtual bool add(const QString& source, const QString& target, FileError* error) = 0;
    // Makes every copy added durable on disk; one that cannot be made so is never named.
    virtual void makeDurable() = 0;
    // Copy `index` (once durable) takes its name, replacing what is at its target only where
    // allowed. False, *error saying why, where it does not: the copy is then gone.
    virtual bool name(int index, Overwrite overwrite, FileError* error) = 0;
    // Removes every copy not named; the batch is empty again.
    virtual void clear() = 0;

    virtual int count() const = 0;
    // What the copies added hold together.
    virtual qint64 bytes() const = 0;
    // Where copy `index` waits for its name, for a layer that records it.
    virtual QString temporary(int index) const = 0;
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // The folder relative paths are taken from, absolute; empty for the process's current
    // folder at the moment each is used.
    virtual QString baseFolder() const = 0;

    // A dangling link does not exist when links are followed.
    virtual EntryStatus status(const QString& path, Links links = Links::Follow) = 0;
    // The path with links and "." or ".." resolved; empty when nothing is there.
    virtual QString canonicalPath(const QString& path) = 0;

    // Every call below that fails says why in *error (which may be null).

    // The folder and every missing parent (as QDir::mkpath).
    virtual bool makeFolderPath(const QString& path, FileError* error) = 0;
    // A regular file (links followed); what is at target is replaced only when allowed.
    virtual bool copyFile(const QString& source, const QString& target, Overwrite overwrite,
                          FileError* error) = 0;
    // What is at target is replaced only when allowed, and never a folder.
    virtual bool rename(const QString& source, const QString& target, Overwrite overwrite,
                        FileError* error) = 0;
    // A file or a link; never a folder.
    virtual bool remove(const QString& path, FileError* error) = 0;
    // A regular file (links followed), made when it is missing; null when it cannot be opened.
    virtual std::unique_ptr<FileWriter> openForWriting(const QString& path, WriteMode mode,
                                                       FileError* error) = 0;

    // A whole regular file, for a step that reads it; false for one larger than maxSize.
    virtual bool readAll(const QString& path, qint64 maxSize, QByteArray* bytes,
                         FileError* error) = 0;
    // Up to `length` bytes from `offset`, for a writer that looks at a file before it appends.
    virtual bool readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes,
                          FileError* error) = 0;

    // A step leaves a listed source alone, for the reason given; only a plan keeps it.
    virtual void noteSkipped(const QString& action, const QString& path, const QString& from,
                             const QString& reason)
    {
        Q_UNUSED(action)
        Q_UNUSED(path)
        Q_UNUSED(from)
        Q_UNUSED(reason)
    }

    // Copies of many files synced together (see CopyBatch); null where this file system copies
    // one file at a time.
    virtual std::unique_ptr<CopyBatch> startCopyBatch() { return nullptr; }

    bool exists(const QString& path) { return status(path).exists(); }
    bool isFile(const QString& path) { return status(path).isFile(); }
    bool isFolder(const QString& path) { return status(path).isFolder(); }
};
