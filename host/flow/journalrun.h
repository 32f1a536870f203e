// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "runner.h"

#include <undo.h>

#include <QJsonObject>
#include <QString>
#include <QVector>

// A run whose file changes are recorded, before each is made, in a journal folder from which
// `undo` takes them back.

class IFileJournaling;

// The journaler of each step. Throws FlowError where the flow cannot be journaled: a step whose
// plug-in cannot journal, or steps of more than one plug-in.
QVector<IFileJournaling*> stepJournalers(const Flow& flow, const PluginHost& host);

// A journal folder that a run may not take (not empty, not a folder, not the user's): nothing
// runs. Its message is one line naming the folder and what is in it.
struct JournalFolderRefused : FlowError {
};

// Throws FlowError before any step runs: where stepJournalers() does, or a journal that cannot be
// started in `folder` (JournalFolderRefused where the folder is not new or empty). A relative
// `folder` is taken from options.workingFolder where one is given.
RunResult runJournaledFlow(const Flow& flow, const PluginHost& host, const QString& folder,
                           RunOptions options = {});

struct UndoResult {
    QJsonObject report;
    bool complete = false; // everything restored, or undone before
    bool found = false;    // `folder` holds a journal
    QString refusal;       // why nothing was changed (e.g. "the run is still going")
};

// A dry run changes nothing: its report says what an undo would do now.
UndoResult undoRun(const QString& folder, UndoMode mode = UndoMode::Apply);
