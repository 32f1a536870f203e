// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_FILESTATE_H
#define FILEOPER_FILESTATE_H

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What a path holds at one moment, enough to tell later whether anybody changed it since: the
// entry's kind, identity (device and inode), size, modification time to the nanosecond,
// permission bits, and for regular files on request a hash of the bytes.
struct FileState {
    enum class Kind { Missing, File, Folder, Link, Other };

    Kind kind = Kind::Missing;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint32 mode = 0; // permission bits only
    // When the entry's status last changed, which no one can set back: taken, never written by
    // toJson(), kept in the journal only where it vouches for a backup.
    qint64 ctimeNs = 0;
    QByteArray hash; // empty where not taken

    bool exists() const { return kind != Kind::Missing; }
    // The same entry, unchanged: identity, size, time and (where both have one) bytes.
    bool sameAs(const FileState& other) const;
    // The same bytes and kind, whatever the identity (a copy, a restored backup).
    bool sameContentAs(const FileState& other) const;

    // One JSON object, as fromJson reads it.
    QByteArray toJson() const;
    static FileState fromJson(const QJsonObject& json);
};

enum class WithHash { No, Yes };

// The state of `path` itself, links not followed.
FileState fileStateOf(const QString& path, WithHash withHash = WithHash::No);

// The hash of the first `size` bytes of the regular file at `path` (links not followed), taken as
// FileState's hash of a whole file; empty where the file is shorter or cannot be read.
QByteArray hashOfFileStart(const QString& path, qint64 size);

#endif
