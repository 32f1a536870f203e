#include "replacementfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char kMarker[] = ".fileoper-";
const int kRandomLength = 6;
const int kMaxNameBytes = 255;

// The start of every replacement's name for one file: the file's own name, or a digest of a name
// too long to take the marker and the random part.
QString replacementPrefix(const QString& target)
{
    const QByteArray name = QFile::encodeName(QFileInfo(target).fileName());
    const int added = 1 + int(sizeof kMarker) - 1 + kRandomLength;
    const QString base =
        name.size() + added <= kMaxNameBytes
            ? QFile::decodeName(name)
            : QString::fromLatin1(QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex());
    return QLatin1Char('.') + base + QLatin1String(kMarker);
}

const char kRandomChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QString randomReplacementPath(const QString& target)
{
    QString path = QFileInfo(target).path() + QLatin1Char('/') + replacementPrefix(target);
    for (int i = 0; i < kRandomLength; ++i)
        path += QLatin1Char(
            kRandomChars[QRandomGenerator::global()->bounded(int(sizeof kRandomChars) - 1)]);
    return path;
}

bool isReplacementName(const QString& name, const QString& prefix)
{
    if (name.size() != prefix.size() + kRandomLength || !name.startsWith(prefix))
        return false;
    for (const QChar c : name.mid(prefix.size())) {
        if (c.unicode() > 127 || !std::strchr(kRandomChars, char(c.unicode())))
            return false;
    }
    return true;
}

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The path still names the file open on fd (nobody removed or replaced it meanwhile).
bool stillNamed(int fd, const QByteArray& path)
{
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 &&
           sameEntry(opened, named);
}

// A leftover is a regular file under a replacement's name that no writer holds locked.
void removeIfLeftover(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, path))
        ::unlink(path.constData());
    ::close(fd);
}

} // namespace

int createReplacementFile(const QString& target, QString* tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = randomReplacementPath(target);
        const QByteArray encoded = QFile::encodeName(path);
        const int fd =
            ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return -1;
        // Locked at once; a cleaner that saw the new file first and removed it is noticed here.
        if (::flock(fd, LOCK_EX) == 0 && stillNamed(fd, encoded)) {
            *tempPath = path;
            return fd;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

QString unusedReplacementPath(const QString& target)
{
    QString path;
    do {
        path = randomReplacementPath(target);
    } while (QFileInfo::exists(path) || QFileInfo(path).isSymLink());
    return path;
}

void removeLeftoverReplacements(const QString& target)
{
    const QString prefix = replacementPrefix(target);
    QDirIterator entries(QFileInfo(target).path(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (isReplacementName(entries.fileName(), prefix))
            removeIfLeftover(QFile::encodeName(path));
    }
}

bool replaceWith(const QString& tempPath, const QString& target)
{
    return ::rename(QFile::encodeName(tempPath).constData(),
                    QFile::encodeName(target).constData()) == 0;
}
