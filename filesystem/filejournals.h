// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/scopedfilesystems.h"

#include <QString>

// From journalStep on, every step run with `scope` records its file changes in the journal in
// `folder`, made on the first step; finishJournal ends it and syncs its records to disk. Both are
// false, with *error, once a change has been refused because the journal could not record it.
bool journalStep(const VariableScope* scope, int step, const QString& folder, QString* error);
bool finishJournal(const VariableScope* scope, QString* error);
