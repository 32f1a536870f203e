// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "undofiles.h"

#include "journalfiles.h"

#include "core/posixfile_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

FileState UndoFiles::stateOf(const QString& path, WithHash withHash) const
{
    const auto changed = m_changed.constFind(path);
    return changed != m_changed.constEnd() ? *changed : fileStateOf(path, withHash);
}

QByteArray UndoFiles::hashOfStart(const QString& path, qint64 size) const
{
    // What a dry run has changed already was cut back to its old bytes.
    if (m_changed.contains(path))
        return QByteArray();
    return hashOfFileStart(path, size);
}

bool UndoFiles::copyAside(const QString& path, const QString& aside)
{
    if (dryRun())
        return true;
    const QByteArray folder = QFile::encodeName(QFileInfo(aside).path());
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return copyKeepingTimes(path, aside);
}

bool UndoFiles::removeFile(const QString& path)
{
    if (!dryRun())
        return QFile::remove(path);
    m_changed.insert(path, FileState());
    return true;
}

bool UndoFiles::removeFolder(const QString& path)
{
    if (!dryRun())
        return QDir().rmdir(path);
    if (!folderWouldBeEmpty(path))
        return false;
    m_changed.insert(path, FileState());
    return true;
}

bool UndoFiles::rename(const QString& from, const QString& to)
{
    if (!dryRun() && !renameReplacing(from, to))
        return false;
    if (dryRun())
        moveState(from, to);
    m_movedHere.insert(to);
    return true;
}

bool UndoFiles::isAsKept(const QString& path, const FileState& kept) const
{
    if (!kept.exists())
        return false;
    const FileState now = stateOf(path, kept.hash.isEmpty() ? WithHash::No : WithHash::Yes);
    if (now.kind != kept.kind || now.size != kept.size)
        return false;
    if (!kept.hash.isEmpty())
        return now.hash == kept.hash;
    const bool changeTimeAgrees =
        kept.ctimeNs == 0 || m_movedHere.contains(path) || now.ctimeNs == kept.ctimeNs;
    return now.device == kept.device && now.inode == kept.inode && now.mtimeNs == kept.mtimeNs &&
           changeTimeAgrees;
}

void UndoFiles::giveMode(const QString& path, const FileState& kept)
{
    if (kept.kind == FileState::Kind::Link)
        return;
    if (!dryRun()) {
        ::chmod(QFile::encodeName(path).constData(), mode_t(kept.mode));
        return;
    }
    FileState given = stateOf(path);
    given.mode = kept.mode;
    m_changed.insert(path, given);
}

bool UndoFiles::moveBack(const QString& from, const QString& to, const FileState& kept)
{
    if (!isAsKept(from, kept))
        return false;
    if (!dryRun() && !moveOrCopyAway(from, to))
        return false;
    if (dryRun())
        moveState(from, to);
    giveMode(to, kept);
    return true;
}

bool UndoFiles::replaceWith(const QString& from, const QString& to, const FileState& kept)
{
    if (!isAsKept(from, kept))
        return false;
    if (!dryRun() &&
        !(renameReplacing(from, to) || (QFile::remove(to) && moveOrCopyAway(from, to))))
        return false;
    if (dryRun())
        moveState(from, to);
    giveMode(to, kept);
    return true;
}

bool UndoFiles::rewriteWith(const QString& from, const QString& to, const FileState& kept)
{
    if (!isAsKept(from, kept))
        return false;
    if (!dryRun())
        return rewriteInPlace(from, to);
    FileState written = stateOf(to);
    const FileState source = stateOf(from);
    written.size = source.size;
    written.mtimeNs = source.mtimeNs;
    written.hash = source.hash;
    m_changed.insert(to, written);
    return true;
}

bool UndoFiles::truncate(const QString& path, qint64 size, qint64 mtimeNs)
{
    if (!dryRun())
        return truncateKeepingTime(path, size, mtimeNs);
    FileState cut = stateOf(path);
    cut.size = size;
    cut.mtimeNs = mtimeNs;
    cut.hash.clear();
    m_changed.insert(path, cut);
    return true;
}

void UndoFiles::moveState(const QString& from, const QString& to)
{
    m_changed.insert(to, stateOf(from));
    m_changed.insert(from, FileState());
}

bool UndoFiles::folderWouldBeEmpty(const QString& path) const
{
    const QStringList names =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (stateOf(path + QLatin1Char('/') + name).exists())
            return false;
    }
    for (auto it = m_changed.constBegin(); it != m_changed.constEnd(); ++it) {
        if (it->exists() && QFileInfo(it.key()).path() == path)
            return false;
    }
    return true;
}
