// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The journals of the window's runs, each in a folder of its own under one root (the user's data
// folder), named after the run's start time so that the names sort by age. Only the last few are
// kept: a journal holds the files its run deleted or replaced.
// Whose a run is: the flow file (empty for a flow never saved) and the working folder it ran in.
struct RunOwner {
    QString flow;
    QString workingFolder;
    bool operator==(const RunOwner& other) const
    {
        return flow == other.flow && workingFolder == other.workingFolder;
    }
};

class RunJournals
{
public:
    static const int kept = 20;

    explicit RunJournals(const QString& root = defaultRoot()) : m_root(root) {}
    // "runs" in the application's data folder.
    static QString defaultRoot();

    QString root() const { return m_root; }

    // Whether runs keep a journal: a preference of the user's, on unless turned off.
    static bool enabled();
    static void setEnabled(bool enabled);

    // A folder, not yet there, for the journal of a run starting now, noted as `owner`'s.
    QString newFolder(const RunOwner& owner = RunOwner()) const;
    // Whose run the journal folder holds; empty for a journal of another window's making.
    static RunOwner ownerOf(const QString& folder);
    // After a run given `folder` for its journal: a journal of no change (or none, for a run
    // that never started) is of no use and goes; otherwise the oldest journals past the last
    // `kept` go, never `folder` itself.
    void finish(const QString& folder);
    // The newest journal that still holds a run to take back; empty when there is none.
    QString lastUndoable() const;
    // The same among the runs of `owner` only.
    QString lastUndoable(const RunOwner& owner) const;
    // The journal folders, oldest first.
    QStringList folders() const;

    // When the run of the journal folder started, from its name.
    static QDateTime startTime(const QString& folder);

private:
    QString m_root;
};
