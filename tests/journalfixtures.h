// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Journaled runs for the tests of the journal and of undo: a scratch folder with the flow and the
// journal beside it, runs through stephost, and the journal's log read back record by record.

#include "filetree.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

// The log's lines, empty ones left out.
inline QList<QByteArray> journalLines(const QString& journal)
{
    QList<QByteArray> lines = readFile(journal + QStringLiteral("/journal.log")).split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

inline QList<QJsonObject> journalRecords(const QString& journal)
{
    QList<QJsonObject> records;
    for (const QByteArray& line : journalLines(journal))
        records << QJsonDocument::fromJson(line).object();
    return records;
}

// The permission bits of a path, links not followed; ~0 where it cannot be looked at.
inline mode_t modeOf(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777
                                                                      : ~mode_t(0);
}

// A scratch folder that is the current folder while it lives, and beside it (not in it) the flow
// file and the journal folder, as a user keeps a journal apart from the files a run changes.
struct JournalScratch {
    QTemporaryDir parent;
    ScratchCwd dir;
    QString journal = parent.filePath(QStringLiteral("journal"));
    QString flowFile = parent.filePath(QStringLiteral("flow.json"));

    // Writes the flow and runs it in the current folder with a journal in `folder` (the default one
    // where empty).
    StephostResult run(const QByteArray& flow, const QString& folder = QString(),
                       const StephostLimits& limits = StephostLimits())
    {
        writeFile(flowFile, flow);
        return runStephost({QStringLiteral("run"), flowFile, QStringLiteral("--journal"),
                            folder.isEmpty() ? journal : folder},
                           QDir::currentPath(), limits);
    }
    StephostResult undo(const QString& folder = QString())
    {
        return runStephost({QStringLiteral("undo"), folder.isEmpty() ? journal : folder},
                           QDir::currentPath());
    }
};
