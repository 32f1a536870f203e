#include "filestate.h"

#include "journalfiles.h"
#include "jsonline.h"

#include <QCryptographicHash>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

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

// The bytes of the open file `fd`, read with plain read(2): a hash is taken after every file a
// run writes, where QFile's buffering and its own status calls would double the cost.
QByteArray hashOfFile(int fd)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const bool read = readBlocks(fd, [&hash](const char* bytes, qint64 size) {
        hash.addData(QByteArray::fromRawData(bytes, int(size)));
        return true;
    });
    return read ? hash.result().toHex() : QByteArray();
}

FileState stateOf(const struct stat& status)
{
    FileState state;
    state.kind = kindOf(status.st_mode);
    state.device = quint64(status.st_dev);
    state.inode = quint64(status.st_ino);
    state.size = qint64(status.st_size);
    state.mtimeNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    state.mode = quint32(status.st_mode & 07777);
    return state;
}

// A regular file opened (never a link followed, never a FIFO waited on) and its state taken from
// the open file, so that the hash and the rest describe one and the same file.
bool stateWithHashOf(const QByteArray& path, FileState* state)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular) {
        *state = stateOf(status);
        state->hash = hashOfFile(fd);
    }
    ::close(fd);
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

FileState fileStateOf(const QString& path, WithHash withHash)
{
    const QByteArray name = QFile::encodeName(path);
    FileState state;
    if (withHash == WithHash::Yes && stateWithHashOf(name, &state))
        return state;
    struct stat status;
    if (::lstat(name.constData(), &status) != 0)
        return state;
    return stateOf(status);
}
