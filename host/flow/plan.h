// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "runner.h"

#include <fileplanning.h>

#include <QString>
#include <QStringList>

#include <string>

// A flow run against a view of the files in which nothing changes: the steps decide as in a run,
// and the plug-ins hand back the changes they would have made.

struct PlanResult {
    RunResult run;
    FilePlan plan;
};

// Throws FlowError, before any step runs, for a step whose plug-in cannot plan.
PlanResult planFlow(const Flow& flow, const PluginHost& host, RunOptions options = {});

// The run report with "changes" and "skipped" added.
std::string planReportText(const PlanResult& result, const QStringList* variableFilter = nullptr);
// The columns a change and a skip share.
struct PlanRow {
    int step = 0;
    QString action;
    QString path;
    QString from;
};
PlanRow planRow(const FilePlan::Entry& entry);
// "ok", "replaces an existing file", or the skip's reason, the failure or the conflict after a
// word that says which; with `host`, the reason as shownReason() gives it.
QString planStateText(const FilePlan::Entry& entry, const PluginHost* host = nullptr);
// A change that puts something where a file already is, with nothing else to say about it: the
// state the user is most easily misled about, since the run goes through without a word.
bool replacesQuietly(const FilePlan::Entry& entry);

// What a plan's summary line counts: changes the run makes (not those that fail), those of them
// that replace a file quietly, entries with a conflict (failing ones included) and sources left
// alone.
struct PlanCounts {
    int changes = 0;
    int replaces = 0;
    int conflicts = 0;
    int skipped = 0;
};
PlanCounts planCounts(const FilePlan& plan);

// One line per change or skip: step, action, path, from and state.
QString planTableText(const FilePlan& plan, const PluginHost* host = nullptr);
// What `stephost plan` prints: the JSON report (stable reasons), or the table (reasons shown in
// the host's language when `host` is given).
std::string planOutputText(const PlanResult& result, bool json,
                           const QStringList* variableFilter = nullptr,
                           const PluginHost* host = nullptr);
