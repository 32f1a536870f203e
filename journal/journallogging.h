// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNALLOGGING_H
#define FILEOPER_JOURNALLOGGING_H

#include <QLoggingCategory>

// Why the journal could not record a change or keep a file, for a user who asks
// (QT_LOGGING_RULES="fileoper.journal.debug=true"); off by default like the steps' categories.
Q_DECLARE_LOGGING_CATEGORY(lcJournal)

#endif
