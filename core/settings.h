// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QVariant>

class VariableScope;

// How step texts show a variable-name setting: "$" in front unless empty or already there.
QString displayVarName(const QString& name);

// A setting resolved as a value reference (literal, "$name" or "$name.member").
QVariant resolveSetting(const QString& setting, VariableScope* scope);
// A path setting: resolved, then trimmed at both ends.
QString resolvePath(const QString& setting, VariableScope* scope);
