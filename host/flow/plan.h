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
// One line per change or skip: step, action, path, from and state.
QString planTableText(const FilePlan& plan);
// What `stephost plan` prints: the JSON report, or the table.
std::string planOutputText(const PlanResult& result, bool json,
                           const QStringList* variableFilter = nullptr);
