// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filestate.h"

#include "jsonline.h"

#include "core/posixfile_unix.h"

#include <QCryptographicHash>

namespace
{

FileState::Kind kindOf(const FileStatus& status)
{
    if (status.regular)
        return FileState::Kind::File;
    if (status.folder)
        return FileState::Kind::Folder;
    if (status.symLink)
        return FileState::Kind::Link;
    return FileState::Kind::Other;
}

// The bytes of the open file `fd`, read with plain read(2): a hash is taken after every file a
// run writes, where QFile's buffering and its own status calls would double the cost.
// Up to `limit` bytes, or all where it is negative.
QByteArray hashOfFile(int fd, qint64 limit = -1)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    qint64 left = limit;
    const bool read = readBlocks(fd, [&hash, &left, limit](const char* bytes, qint64 size) {
        if (limit >= 0)
            size = qMin(size, left);
        hash.addData(QByteArray::fromRawData(bytes, int(size)));
        left -= size;
        return limit < 0 || left > 0;
    });
    if (limit >= 0)
        return left == 0 ? hash.result().toHex() : QByteArray();
    return read ? hash.result().toHex() : QByteArray();
}

FileState stateOf(const FileStatus& status)
{
    FileState state;
    state.kind = kindOf(status);
    state.device = status.device;
    state.inode = status.inode;
    state.size = status.size;
    state.mtimeNs = status.mtimeNs;
    state.mode = quint32(status.mode);
    state.ctimeNs = status.ctimeNs;
    return state;
}

// A regular file opened (never a link followed, never a FIFO waited on) and its state taken from
// the open file, so that the hash and the rest describe one and the same file.
bool stateWithHashOf(const QString& path, FileState* state)
{
    const int fd = openWithoutWaiting(path, OpenFor::Inspecting);
    if (fd < 0)
        return false;
    FileStatus status;
    const bool regular = statusOf(fd, &status) && status.regular;
    if (regular) {
        *state = stateOf(status);
        state->hash = hashOfFile(fd);
    }
    closeDescriptor(fd);
    return regular;
}

const char* kindName(FileState::Kind kind)
{
    switch (kind) {
    case FileState::Kind::File:
        return "file";
    case FileState::Kind::Folder:
        return "folder";
    case FileState::Kind::Link:
        return "link";
    case FileState::Kind::Other:
        return "other";
    case FileState::Kind::Missing:
        break;
    }
    return "missing";
}

FileState::Kind kindNamed(const QString& name)
{
    for (FileState::Kind kind : {FileState::Kind::File, FileState::Kind::Folder,
                                 FileState::Kind::Link, FileState::Kind::Other}) {
        if (name == QLatin1String(kindName(kind)))
            return kind;
    }
    return FileState::Kind::Missing;
}

} // namespace

bool FileState::sameAs(const FileState& other) const
{
    if (kind != other.kind)
        return false;
    if (!exists())
        return true;
    const bool bytesAgree = hash.isEmpty() || other.hash.isEmpty() || hash == other.hash;
    return device == other.device && inode == other.inode && size == other.size &&
           mtimeNs == other.mtimeNs && bytesAgree;
}

bool FileState::sameContentAs(const FileState& other) const
{
    return kind == other.kind && size == other.size && !hash.isEmpty() && hash == other.hash;
}

QByteArray FileState::toJson() const
{
    JsonLine json;
    json.add("kind", QLatin1String(kindName(kind)));
    if (!exists())
        return json.object();
    json.addAsText("device", device)
        .addAsText("inode", inode)
        .addAsText("size", size)
        .addAsText("mtime", mtimeNs)
        .add("mode", qint64(mode));
    if (!hash.isEmpty())
        json.add("hash", QLatin1String(hash));
    return json.object();
}

FileState FileState::fromJson(const QJsonObject& json)
{
    FileState state;
    state.kind = kindNamed(json.value(QLatin1String("kind")).toString());
    state.device = json.value(QLatin1String("device")).toString().toULongLong();
    state.inode = json.value(QLatin1String("inode")).toString().toULongLong();
    state.size = json.value(QLatin1String("size")).toString().toLongLong();
    state.mtimeNs = json.value(QLatin1String("mtime")).toString().toLongLong();
    state.mode = quint32(json.value(QLatin1String("mode")).toInt());
    state.hash = json.value(QLatin1String("hash")).toString().toLatin1();
    return state;
}

QByteArray hashOfFileStart(const QString& path, qint64 size)
{
    const int fd = openWithoutWaiting(path, OpenFor::Inspecting);
    if (fd < 0)
        return QByteArray();
    FileStatus status;
    const bool regular = statusOf(fd, &status) && status.regular;
    QByteArray hash;
    if (regular && size == 0)
        hash = QCryptographicHash::hash(QByteArray(), QCryptographicHash::Md5).toHex();
    else if (regular)
        hash = hashOfFile(fd, size);
    closeDescriptor(fd);
    return hash;
}

FileState fileStateOf(const QString& path, WithHash withHash)
{
    FileState state;
    if (withHash == WithHash::Yes && stateWithHashOf(path, &state))
        return state;
    FileStatus status;
    if (!statusOf(path, false, &status))
        return state;
    return stateOf(status);
}
