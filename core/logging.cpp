// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "logging.h"

// Warning as the lowest level shown: debug and info stay off until a rule enables them.
Q_LOGGING_CATEGORY(lcCopy, "fileoper.copy", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMove, "fileoper.move", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDelete, "fileoper.delete", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRename, "fileoper.rename", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCsv, "fileoper.csv", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "fileoper.files", QtWarningMsg)

void explainSkip(LoggingCategory category, const QString& path, const QString& why)
{
    qCDebug(category).noquote() << path + QLatin1String(": ") + why;
}
