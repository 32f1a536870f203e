// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journallogging.h"

// Warning as the lowest level shown: debug and info stay off until a rule enables them.
Q_LOGGING_CATEGORY(lcJournal, "fileoper.journal", QtWarningMsg)
