// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QFileInfo>
#include <QString>

// Copies a regular file (links followed) to a path where nothing is yet, never replacing what is
// there. QFile::copy does the work: it builds the copy under a temporary name beside the target,
// syncs it to disk and only then gives it its name, so a move may remove its source right after.
// The copy keeps the source's modification time. On failure *error says why.
bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target, QString* error);

// Copies a regular file over an existing target: the copy is made complete under a hidden name
// beside the target and then takes its place in one rename, so a failed copy leaves the target
// as it was. The target itself is replaced, a link as much as a file. On failure *error says why.
bool copyFileReplacing(const QFileInfo& source, const QString& target, QString* error);
