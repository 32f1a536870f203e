// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

class VariableScope;

// The paths of a multi-file setting: one per line, a line that references a list variable
// contributes every item of the list.
QStringList expandFileList(VariableScope* scope, const QString& setting);

// Stores the paths a step produced into a variable declared as a list. Any other declaration
// costs one "[OpVar]" warning and leaves the variable as it was. True when stored.
bool storeListVariable(VariableScope* scope, const QString& name, const QStringList& paths);
