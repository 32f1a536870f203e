#pragma once

#include <QStringList>

#include <string>

struct RunResult;

// The run report as UTF-8 JSON text: {"log": [...], "steps": [...], "variables": {...}}.
// With a filter, only the named variables that exist are reported (an empty filter reports
// none); without one, every variable of the scope.
std::string reportText(const RunResult& result, const QStringList* variableFilter = nullptr);
