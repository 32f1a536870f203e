// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "core/posixfile_unix.h"

#include <QHash>
#include <QString>
#include <QStringList>

// A file that is to replace another is made complete beside it under a hidden name
// (".<name>.fileoper-XXXXXX") and then renamed over it in one step, so the old file holds its
// old bytes or the new ones, never a mix. A replacement that a killed run left behind keeps that
// name, and the next replacement of the same file removes it.

// Creates a new, empty replacement for `target` in its folder, open for writing; *tempPath gets
// its name. The file is locked for as long as it stays open, which tells a live replacement from
// a leftover. -1 when it cannot be made, *error saying why (NotPermitted: the folder takes no new
// files). *created, where given, gets the new file's status.
int createReplacementFile(const QString& target, QString* tempPath, OpenError* error,
                          FileStatus* created = nullptr);

// A name for a replacement of `target` that nothing has yet, for a file another function makes.
QString unusedReplacementPath(const QString& target);

// Removes what earlier runs left of replacements of `target`, sparing those still being written.
void removeLeftoverReplacements(const QString& target);

// While one lives on a thread, the replacements made there search each folder for leftovers once,
// when the first file of that folder is replaced: a step that replaces many files in one folder
// lists the folder once, not once for each file. A leftover that appears in a folder after its
// search waits for the next step. One may live inside another; the inner one holds until it goes.
class LeftoverSearchOncePerFolder
{
public:
    LeftoverSearchOncePerFolder();
    ~LeftoverSearchOncePerFolder();
    LeftoverSearchOncePerFolder(const LeftoverSearchOncePerFolder&) = delete;
    LeftoverSearchOncePerFolder& operator=(const LeftoverSearchOncePerFolder&) = delete;

private:
    friend void removeLeftoverReplacements(const QString& target);

    // The one living on this thread, null when none does.
    static LeftoverSearchOncePerFolder* current();

    // The possible leftovers of replacements whose names begin with `prefix` in `folder`, each
    // handed out once.
    QStringList take(const QString& folder, const QString& prefix);

    LeftoverSearchOncePerFolder* const m_outer;
    // For each folder searched: the paths of the names that look like replacements, by prefix.
    QHash<QString, QHash<QString, QStringList>> m_found;
};
