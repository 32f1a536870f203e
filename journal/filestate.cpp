#include "filestate.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace
{

FileState::Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileState::Kind::File;
    if (S_ISDIR(mode))
        return FileState::Kind::Folder;
    if (S_ISLNK(mode))
        return FileState::Kind::Link;
    return FileState::Kind::Other;
}

QByteArray hashOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
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

QJsonObject FileState::toJson() const
{
    QJsonObject json{{QStringLiteral("kind"), QLatin1String(kindName(kind))}};
    if (!exists())
        return json;
    // Numbers past 2^53 do not survive a JSON double; identities and times go as text.
    json.insert(QStringLiteral("device"), QString::number(device));
    json.insert(QStringLiteral("inode"), QString::number(inode));
    json.insert(QStringLiteral("size"), QString::number(size));
    json.insert(QStringLiteral("mtime"), QString::number(mtimeNs));
    json.insert(QStringLiteral("mode"), int(mode));
    if (!hash.isEmpty())
        json.insert(QStringLiteral("hash"), QString::fromLatin1(hash));
    return json;
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

FileState fileStateOf(const QString& path, WithHash withHash)
{
    FileState state;
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return state;
    state.kind = kindOf(status.st_mode);
    state.device = quint64(status.st_dev);
    state.inode = quint64(status.st_ino);
    state.size = qint64(status.st_size);
    state.mtimeNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    state.mode = quint32(status.st_mode & 07777);
    if (withHash == WithHash::Yes && state.kind == FileState::Kind::File)
        state.hash = hashOfFile(path);
    return state;
}
