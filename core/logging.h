// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QLoggingCategory>
#include <QString>

// Why a step skipped a file or failed on it, for a user who asks. The steps skip silently by
// design (a missing source, a clash left alone, a rename the system refused), so these messages are
// debug level and off unless switched on, e.g. QT_LOGGING_RULES="fileoper.*.debug=true". The
// warnings the steps define stay plain qWarning: hosts read those.
Q_DECLARE_LOGGING_CATEGORY(lcCopy)
Q_DECLARE_LOGGING_CATEGORY(lcMove)
Q_DECLARE_LOGGING_CATEGORY(lcDelete)
Q_DECLARE_LOGGING_CATEGORY(lcRename)
Q_DECLARE_LOGGING_CATEGORY(lcCsv)
// What a plan or a journal refused, and why (the journal's own records log to fileoper.journal).
Q_DECLARE_LOGGING_CATEGORY(lcFiles)

// A category as qCDebug takes it, so that a helper shared by two steps can log to either.
using LoggingCategory = const QLoggingCategory& (*)();

// Logs "<path>: <why>" at debug level, e.g. "/data/a.txt: not renamed, Permission denied".
void explainSkip(LoggingCategory category, const QString& path, const QString& why);
