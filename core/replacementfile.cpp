// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "replacementfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstring>

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

// The prefix of a name that looks like a replacement's (any file's), or an empty string.
QString replacementPrefixOf(const QString& name)
{
    const int markerLength = int(sizeof kMarker) - 1;
    const int prefixLength = name.size() - kRandomLength;
    if (prefixLength < 1 + markerLength || !name.startsWith(QLatin1Char('.')) ||
        !QStringView(name)
             .mid(prefixLength - markerLength, markerLength)
             .startsWith(QLatin1String(kMarker)))
        return QString();
    for (int i = prefixLength; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 127 || !std::strchr(kRandomChars, char(c.unicode())))
            return QString();
    }
    return name.left(prefixLength);
}

// The entries of `folder` whose names look like replacements, with their prefixes.
template <typename Found> void forEachReplacementName(const QString& folder, Found found)
{
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QString prefix = replacementPrefixOf(entries.fileName());
        if (!prefix.isEmpty())
            found(prefix, path);
    }
}

QStringList replacementsIn(const QString& folder, const QString& prefix)
{
    QStringList paths;
    forEachReplacementName(folder, [&](const QString& found, const QString& path) {
        if (found == prefix)
            paths.append(path);
    });
    return paths;
}

thread_local LeftoverSearchOncePerFolder* t_currentSearch = nullptr;

// The path still names the file open on fd (nobody removed or replaced it meanwhile); *opened
// gets the open file's status.
bool stillNamed(int fd, const QString& path, FileStatus* opened)
{
    FileStatus named;
    return statusOf(fd, opened) && statusOf(path, false, &named) && isSameFile(*opened, named);
}

bool stillNamed(int fd, const QString& path)
{
    FileStatus opened;
    return stillNamed(fd, path, &opened);
}

// A leftover is a regular file under a replacement's name that no writer holds locked.
void removeIfLeftover(const QString& path)
{
    const int fd = openWithoutWaiting(path, OpenFor::Inspecting);
    if (fd < 0)
        return;
    FileStatus status;
    if (statusOf(fd, &status) && status.regular && lockExclusively(fd, false) &&
        stillNamed(fd, path))
        QFile::remove(path);
    closeDescriptor(fd);
}

} // namespace

int createReplacementFile(const QString& target, QString* tempPath, OpenError* error,
                          FileStatus* created)
{
    FileStatus opened;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = randomReplacementPath(target);
        const int fd = openWithoutWaiting(path, OpenFor::CreatingPrivate, error);
        if (fd < 0 && *error == OpenError::Exists)
            continue;
        if (fd < 0)
            return -1;
        // Locked at once; a cleaner that saw the new file first and removed it is noticed here.
        if (lockExclusively(fd, true) && stillNamed(fd, path, &opened)) {
            *tempPath = path;
            if (created)
                *created = opened;
            return fd;
        }
        closeDescriptor(fd);
    }
    *error = OpenError::Exists;
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
    const QString folder = QFileInfo(target).path();
    const QString prefix = replacementPrefix(target);
    LeftoverSearchOncePerFolder* const search = LeftoverSearchOncePerFolder::current();
    const QStringList candidates =
        search ? search->take(folder, prefix) : replacementsIn(folder, prefix);
    for (const QString& path : candidates)
        removeIfLeftover(path);
}

LeftoverSearchOncePerFolder::LeftoverSearchOncePerFolder() : m_outer(t_currentSearch)
{
    t_currentSearch = this;
}

LeftoverSearchOncePerFolder::~LeftoverSearchOncePerFolder()
{
    t_currentSearch = m_outer;
}

LeftoverSearchOncePerFolder* LeftoverSearchOncePerFolder::current()
{
    return t_currentSearch;
}

QStringList LeftoverSearchOncePerFolder::take(const QString& folder, const QString& prefix)
{
    auto searched = m_found.find(folder);
    if (searched == m_found.end()) {
        searched = m_found.insert(folder, {});
        QHash<QString, QStringList>& byPrefix = searched.value();
        forEachReplacementName(folder, [&](const QString& found, const QString& path) {
            byPrefix[found].append(path);
        });
    }
    return searched.value().take(prefix);
}
