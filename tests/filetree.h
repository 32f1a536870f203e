#pragma once

// Small file trees for the tests of the steps that rename and delete: build one from a list of
// entries, and read one back in the same notation so a whole folder compares in one line.
//
//   "d/a.txt"          a file whose content is its own path ("d/a.txt")
//   "d/sub/"           a folder
//   "d/link->a.txt"    a symbolic link ("a.txt" relative to the link's folder)
//   "d/b.txt=>d/a.txt" a hard link to an existing file
//
// A snapshot lists files as "path=content", empty folders as "path/" and links as
// "path->target", sorted. Hard links show as two files with the same content.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

inline bool makeTreeEntry(const QString& entry)
{
    const int link = entry.indexOf(QLatin1String("->"));
    if (link > 0) {
        const QString path = entry.left(link);
        QDir().mkpath(QFileInfo(path).path());
        return ::symlink(QFile::encodeName(entry.mid(link + 2)).constData(),
                         QFile::encodeName(path).constData()) == 0;
    }
    const int hardLink = entry.indexOf(QLatin1String("=>"));
    if (hardLink > 0) {
        return ::link(QFile::encodeName(entry.mid(hardLink + 2)).constData(),
                      QFile::encodeName(entry.left(hardLink)).constData()) == 0;
    }
    if (entry.endsWith(QLatin1Char('/')))
        return QDir().mkpath(entry);
    QDir().mkpath(QFileInfo(entry).path());
    QFile file(entry);
    return file.open(QIODevice::WriteOnly) && file.write(entry.toUtf8()) == entry.toUtf8().size();
}

inline bool makeTree(const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (!makeTreeEntry(entry))
            return false;
    }
    return true;
}

// Several entries written as one text, separated by "|".
inline QStringList entries(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

inline QStringList treeSnapshot(const QString& root = QStringLiteral("."))
{
    QStringList lines;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString relative = base.relativeFilePath(path);
        if (info.isSymLink()) {
            lines << relative + QLatin1String("->") +
                         QDir(info.absolutePath()).relativeFilePath(info.symLinkTarget());
        } else if (info.isDir()) {
            if (QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                   QDir::NoDotAndDotDot))
                lines << relative + QLatin1Char('/');
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            lines << relative + QLatin1Char('=') + QString::fromUtf8(file.readAll());
        }
    }
    lines.sort();
    return lines;
}
