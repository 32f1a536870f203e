// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

// The steps' and the journal's English reasons (kept stable for reports) in the plug-in's own
// language: "no such file" is "文件不存在". Placeholders (paths, step numbers) are carried over,
// and a reason given inside another ("cannot make the journal folder %1: Permission denied") is
// translated too. An empty text for a reason the table does not know.
QString chineseReason(const QString& reason);

// The system's reasons for a failed file call that chineseReason() knows ("Permission denied"),
// as the C library words them.
QStringList systemReasonTexts();
