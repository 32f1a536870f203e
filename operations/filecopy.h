#pragma once

#include <QFileInfo>
#include <QString>

// Copies a regular file (links followed) to a path where nothing is yet, never replacing what is
// there. QFile::copy does the work: it builds the copy under a temporary name beside the target,
// syncs it to disk and only then gives it its name, so a move may remove its source right after.
// On failure *error says why.
bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target, QString* error);
