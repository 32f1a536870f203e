// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "pathparts.h"

PathParts splitPath(const QString& path)
{
    // No path has no folder either.
    if (path.isEmpty())
        return {};
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int nameStart = slash + 1;
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    PathParts parts;
    parts.folder = slash < 0    ? QStringLiteral(".")
                   : slash == 0 ? QStringLiteral("/")
                                : path.left(slash);
    if (dot < nameStart) {
        parts.completeBaseName = path.mid(nameStart);
        return parts;
    }
    parts.completeBaseName = path.mid(nameStart, dot - nameStart);
    parts.suffix = path.mid(dot + 1);
    return parts;
}
