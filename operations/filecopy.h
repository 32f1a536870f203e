#pragma once

#include <QString>

// Copies a regular file (links followed) to a path where nothing is yet, never replacing what is
// there. The copy is built under a temporary name in the target's folder, synced to disk, and
// appears under its name only when complete, with the source's permissions. Holes of a sparse
// file stay holes, and a file whose size reads as 0 (as under /proc) is copied to its real end.
// False, with nothing left behind, when the source is no regular file, the target exists or any
// read or write fails.
bool copyFileWithoutReplacing(const QString& source, const QString& target);
