// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// The steps' and the journal's English reasons (kept stable for reports) in the plug-in's own
// language: "no such file" is "文件不存在". Placeholders (paths, step numbers) are carried over.
// An empty text for a reason the table does not know.
QString chineseReason(const QString& reason);
