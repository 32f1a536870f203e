// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <fileprogress.h>

#include <variablescope.h>

#include <QList>
#include <QStringList>

#include <functional>

class Operation;
class PluginHost;

struct RunOptions {
    // Save every step with saveOperation and run the copy loadOperation reads back; a setting
    // that changes on the way is a host error.
    bool roundtrip = false;
    // Called around each step; index is zero-based.
    std::function<void(int index, int count, const Operation& step)> stepStarted;
    std::function<void(int index, int count, const Operation& step, qint64 nanoseconds)>
        stepFinished;
    // Asked before each step after the first; true ends the run there (the steps before it have
    // run in full, the rest do not run). Plug-ins that can stop inside a step ask it too, on the
    // step's thread, so it must be safe to call from any thread; true after such a step ends the
    // run after it.
    std::function<bool()> stopRequested;
    // Called on the step's thread while a step works, from plug-ins that report how far they are
    // (now and then, and once at the step's end); index is zero-based.
    std::function<void(int index, int count, const Operation& step, const FileProgress& progress)>
        stepProgress;
    // Called on the step's thread when a step cannot write a file, with the system's reason, from
    // plug-ins that tell it; index is zero-based.
    std::function<void(int index, const QString& path, const QString& reason)> writeFailed;
    // The folder the steps' relative paths resolve against; empty for the process's current
    // folder.
    QString workingFolder;
    // False: the steps' warnings go only to the result's log, not to standard error too (a
    // window's background plans, whose warnings it shows itself).
    bool echoWarnings = true;
    // Called with the flow's scope just before each step runs, and once after the last.
    std::function<void(VariableScope& scope, int index)> beforeStep;
    std::function<void(VariableScope& scope)> afterSteps;
};

struct StepRecord {
    QString type;
    QString text;        // toString() after the run
    QString description; // description() after the run
    int logLines = 0;    // the warning lines this step added to the log
};

struct RunResult {
    QStringList log; // warning-level messages of the steps, in order
    QList<StepRecord> steps;
    VariableScope scope;
    // stopRequested ended the run after steps.size() steps, the last of which may have stopped
    // part-way.
    bool stopped = false;
};

// Runs the steps in order, each a fresh clone of its prototype, all sharing one scope that
// starts with the flow's variables. Every step is built (and round-tripped) before the first
// runs, so a host error runs nothing. Throws FlowError.
RunResult runFlow(const Flow& flow, const PluginHost& host, const RunOptions& options = {});
