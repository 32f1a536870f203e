// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class FileSystem;

// Why `path` would not name an entry inside `folder` or below it, as the kernel resolves both
// (links followed, then ".." taken from where they lead), or an empty text when it would.
// Refused are: a last component that is empty, "." or ".." (the path names a folder itself, not
// an entry in one), and a path whose parent folder is missing, is no folder, or lies elsewhere
// once resolved, even where the path reads as inside (a link in the folder that leads out). The
// last component itself is not followed: an entry is made or replaced there, never what a link
// of that name leads to. A backslash is an ordinary character of a name here.
QString whyOutsideFolder(FileSystem& files, const QString& folder, const QString& path);
