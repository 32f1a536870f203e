// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runjournals.h"

#include <undo.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

namespace
{

const char enabledKey[] = "journalRuns";
// UTC, so that names sort by time across changes of the clock's time zone; a counter after it
// tells apart runs started within one millisecond.
const char nameFormat[] = "yyyyMMdd'T'HHmmss.zzz'Z'";
const int nameLength = 20;

QSettings guiSettings()
{
    return QSettings(QStringLiteral("stephost"), QStringLiteral("stephost-gui"));
}

// Who ran the journal's flow, in a file beside its folder.
QString ownerFile(const QString& folder)
{
    return folder + QStringLiteral(".owner");
}

void removeJournal(const QString& folder)
{
    QDir(folder).removeRecursively();
    QFile::remove(ownerFile(folder));
}

} // namespace

QString RunJournals::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/runs");
}

bool RunJournals::enabled()
{
    return guiSettings().value(QLatin1String(enabledKey), true).toBool();
}

void RunJournals::setEnabled(bool enabled)
{
    guiSettings().setValue(QLatin1String(enabledKey), enabled);
}

QString RunJournals::newFolder(const RunOwner& owner) const
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QLatin1String(nameFormat));
    for (int counter = 1;; ++counter) {
        const QString folder =
            QStringLiteral("%1/%2-%3").arg(m_root, stamp).arg(counter, 3, 10, QLatin1Char('0'));
        if (QFileInfo::exists(folder) || QFileInfo::exists(ownerFile(folder)))
            continue;
        // Beside the journal, not in it: a journal's folder holds only what its run wrote.
        QDir().mkpath(m_root);
        QFile file(ownerFile(folder));
        const QJsonObject value{{QStringLiteral("flow"), owner.flow},
                                {QStringLiteral("workingFolder"), owner.workingFolder}};
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(value).toJson(QJsonDocument::Compact));
        return folder;
    }
}

RunOwner RunJournals::ownerOf(const QString& folder)
{
    QFile file(ownerFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return RunOwner();
    const QJsonObject value = QJsonDocument::fromJson(file.readAll()).object();
    return {value.value(QLatin1String("flow")).toString(),
            value.value(QLatin1String("workingFolder")).toString()};
}

void RunJournals::finish(const QString& folder)
{
    // Only a journal that holds nothing goes: one still locked, damaged or holding a backup stays.
    const JournalState state = journalState(folder);
    if (state == JournalState::NoChanges || state == JournalState::None) {
        removeJournal(folder);
        return;
    }
    QStringList old = folders();
    old.removeAll(folder);
    while (old.size() >= kept)
        removeJournal(old.takeFirst());
}

QString RunJournals::lastUndoable() const
{
    const QStringList all = folders();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (journalState(*it) == JournalState::Undoable)
            return *it;
    }
    return QString();
}

QString RunJournals::lastUndoable(const RunOwner& owner) const
{
    const QStringList all = folders();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (ownerOf(*it) == owner && journalState(*it) == JournalState::Undoable)
            return *it;
    }
    return QString();
}

QStringList RunJournals::folders() const
{
    QStringList paths;
    const QDir root(m_root);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(root.filePath(name));
    return paths;
}

QDateTime RunJournals::startTime(const QString& folder)
{
    QDateTime time = QDateTime::fromString(QFileInfo(folder).fileName().left(nameLength),
                                           QLatin1String(nameFormat));
    time.setTimeSpec(Qt::UTC);
    return time;
}
