// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_UNDOFILES_H
#define FILEOPER_UNDOFILES_H

#include "filestate.h"

#include <QHash>
#include <QSet>
#include <QString>

// The files as undo sees and changes them. Applied, every call acts on the file system. For a
// dry check nothing is touched: each change is only remembered, and later looks at a path see
// what the changes so far would have left there, so that the check makes the very decisions
// the undo itself would.
class UndoFiles
{
public:
    enum class Mode { Apply, DryRun };
    explicit UndoFiles(Mode mode) : m_mode(mode) {}

    bool dryRun() const { return m_mode == Mode::DryRun; }

    FileState stateOf(const QString& path, WithHash withHash = WithHash::No) const;
    // The hash of the first `size` bytes of the file, as FileState's hash of a whole file.
    QByteArray hashOfStart(const QString& path, qint64 size) const;

    bool removeFile(const QString& path);
    // Removes the folder only when it is empty.
    bool removeFolder(const QString& path);
    // Gives the entry at `from` the name `to`, which must be free: one rename(2).
    bool rename(const QString& from, const QString& to);
    // The calls below that take a kept file `from` out of the journal do so only where it is
    // still `kept`, the journal's record of it: its bytes where a hash was recorded, else its
    // identity (device, inode, size, modification and status change times). What was put back
    // gets the permission bits of the record.
    //
    // Puts the kept file `from` at the free name `to`: renamed there, or copied across file
    // systems.
    bool moveBack(const QString& from, const QString& to, const FileState& kept);
    // Puts the kept file `from` in the place of the file at `to`.
    bool replaceWith(const QString& from, const QString& to, const FileState& kept);
    // Writes the bytes of `from` over the file at `to`, which keeps its identity.
    bool rewriteWith(const QString& from, const QString& to, const FileState& kept);
    // Copies the file at `path` to `aside` (a new file in a folder of its own inside the journal,
    // made when missing), the path left as it is.
    bool copyAside(const QString& path, const QString& aside);
    // Cuts the file back to `size` bytes and gives it the modification time `mtimeNs`.
    bool truncate(const QString& path, qint64 size, qint64 mtimeNs);

private:
    bool isAsKept(const QString& path, const FileState& kept) const;
    void giveMode(const QString& path, const FileState& kept);
    bool folderWouldBeEmpty(const QString& path) const;
    void moveState(const QString& from, const QString& to);

    Mode m_mode;
    QHash<QString, FileState> m_changed; // dry run: what the changes so far left at each path
    // Entries undo itself renamed to a path, once it had checked them against the run's record:
    // the rename changed their status change time, nothing else.
    QSet<QString> m_movedHere;
};

#endif
