// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runjournals.h"

#include <undo.h>

#include <QDir>
#include <QFileInfo>
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

QString RunJournals::newFolder() const
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QLatin1String(nameFormat));
    for (int counter = 1;; ++counter) {
        const QString folder =
            QStringLiteral("%1/%2-%3").arg(m_root, stamp).arg(counter, 3, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(folder))
            return folder;
    }
}

void RunJournals::finish(const QString& folder)
{
    // Only a journal that holds nothing goes: one still locked, damaged or holding a backup stays.
    const JournalState state = journalState(folder);
    if (state == JournalState::NoChanges || state == JournalState::None) {
        QDir(folder).removeRecursively();
        return;
    }
    QStringList old = folders();
    old.removeAll(folder);
    while (old.size() >= kept)
        QDir(old.takeFirst()).removeRecursively();
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
