// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QVariant>

class VariableScope;

// Stores a step's result into a variable of the scope. The value it replaces is let go by
// releaseValue, so a variable that held a list nested deeper than the call stack could follow is
// replaced without harm.
void setVariable(VariableScope* scope, const QString& name, const QVariant& value);

// Destroys a value, lists and maps nested to any depth included, without recursion: Qt's own
// destructors would descend one call per level. Parts that others still share stay as they are.
void releaseValue(QVariant value);
