// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>
#include <QVariantMap>

#include <string>

struct RunResult;

// The run report as UTF-8 JSON text: {"log": [...], "steps": [...], "variables": {...}}.
// With a filter, only the named variables that exist are reported (an empty filter reports
// none); without one, every variable of the scope.
std::string reportText(const RunResult& result, const QStringList* variableFilter = nullptr);
// The same report as a value, for a command that adds to it, and any such value as text.
QVariantMap reportValue(const RunResult& result, const QStringList* variableFilter = nullptr);
std::string reportText(const QVariantMap& report);
