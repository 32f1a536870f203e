// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// A path taken apart as QFileInfo's path(), completeBaseName() and suffix() take it, from the
// text alone: without the entry QFileInfo builds, which a step over many files would otherwise
// pay for each.
struct PathParts {
    QString folder;           // "." for a name alone, "/" for a name at the root, empty for no path
    QString completeBaseName; // the name up to its last dot
    QString suffix;           // after the last dot of the name; empty without one
};

PathParts splitPath(const QString& path);
