#pragma once

#include "filesystem/scopedfilesystems.h"

#include <QString>

// From journalStep on, every step run with `scope` records its file changes in the journal in
// `folder`, made on the first step; finishJournal ends it and syncs its records to disk.
bool journalStep(const VariableScope* scope, int step, const QString& folder, QString* error);
void finishJournal(const VariableScope* scope);
