// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileplanning.h>
#include <fileprogress.h>

#include <QList>
#include <QString>
#include <QStringList>

// What a run did to the files, told from what the run itself left behind rather than from the
// plan made before it: between the plan and the run a file may come or go.

// One change the run made.
struct RunChange {
    int step = 0;   // 1-based
    QString action; // as a plan names it: "mkdir", "copy", "move", "rename", "delete", "write", …
    QString path;   // relative to the working folder where it lies in it
    QString from;
    bool replaced = false; // a file that was there before is gone for it
};

// What the run's thread saw of one step as it ran.
struct StepTrace {
    int journalRecords = 0; // records in the run's journal when the step started
    bool listed = false;    // the step names a list variable for what it did
    QStringList listBefore; // that variable's items before the step, and after
    QStringList listAfter;
    // The step's last figures, however often it reported them; none from a step that counts
    // nothing.
    FileProgress figures;
    bool counted = false;

    // The files the step had not dealt with when a Stop ended it part-way; -1 for a step that
    // finished its work.
    int filesLeft() const;
};

// The changes of a journaled run, as its journal in `journalFolder` recorded them, made and not
// failed; `traces` say which records are whose step. The plan gives the steps' own words (a
// copy's "copy", a move's source) where it foresaw the change.
QList<RunChange> journaledChanges(const QString& journalFolder, const QList<StepTrace>& traces,
                                  const QString& workingFolder, const FilePlan& plan);

// The changes of a run without a journal: for a step that lists what it did, the planned changes
// it listed and any it listed beyond the plan; for another, its planned changes but those whose
// write failed (`failedPaths`, as the steps named them).
QList<RunChange> listedChanges(const QList<StepTrace>& traces, const QList<int>& stepWarnings,
                               const QString& workingFolder, const FilePlan& plan,
                               const QStringList& failedPaths);
