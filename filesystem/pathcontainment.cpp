// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "pathcontainment.h"

#include "filesystem/filesystem.h"

namespace
{

bool isAtOrBelow(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

} // namespace

QString whyOutsideFolder(FileSystem& files, const QString& folder, const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    // Views, not copies: most paths are settled by the text alone.
    const QStringView text(path);
    const QStringView name = text.mid(slash + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return path + QStringLiteral(" names a folder, not an entry in one");
    const QStringView parentText = slash < 0    ? QStringView()
                                   : slash == 0 ? text.left(1)
                                                : text.left(slash);
    // A name without a folder part: the path is the folder's own entry, as written.
    if (slash < 0 ? folder == QLatin1String(".") : parentText == folder)
        return QString();
    const QString parent = slash < 0 ? QStringLiteral(".") : parentText.toString();
    if (!files.isFolder(parent))
        return path + QStringLiteral(" is in no folder: the folder part is missing or a file");
    const QString resolvedFolder = files.canonicalPath(folder);
    const QString resolvedParent = files.canonicalPath(parent);
    if (resolvedFolder.isEmpty() || resolvedParent.isEmpty() ||
        !isAtOrBelow(resolvedParent, resolvedFolder))
        return path + QStringLiteral(" leads out of the file's folder");
    return QString();
}
