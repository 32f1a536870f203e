// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filejournals.h"

#include "filesystem/journalfilesystem.h"

// A step whose changes the journal could not record logs them as failed, as it would any failed
// change; the run must not go on as if all were well, leaving the user's files half-changed. A
// journal that lost only the record of a change's end stops the run too: it records nothing more.
static bool nothingRefused(JournalFileSystem& files, QString* error)
{
    const int refusals = files.refusals();
    if (refusals == 0 && !files.journal().failed())
        return true;
    if (error)
        *error = QStringLiteral("the journal in %1 could not be written (%2), so %3 file "
                                "change(s) were refused; the run stops")
                     .arg(files.journal().folder(), files.journal().failure())
                     .arg(refusals);
    return false;
}

bool journalStep(const VariableScope* scope, int step, const QString& folder, QString* error)
{
    Q_UNUSED(step)
    if (!scope)
        return true;
    if (const auto journaled =
            std::dynamic_pointer_cast<JournalFileSystem>(scopedFileSystem(scope)))
        return nothingRefused(*journaled, error);
    // The entry that keeps the journal keeps its disk too.
    const std::shared_ptr<FileSystem> disk = scopedDisk(scope);
    std::unique_ptr<Journal> journal = Journal::create(folder, error, disk->baseFolder());
    if (!journal)
        return false;
    setScopedFileSystem(scope, std::make_shared<JournalFileSystem>(*disk, std::move(journal)));
    return true;
}

bool finishJournal(const VariableScope* scope, QString* error)
{
    const auto journaled = std::dynamic_pointer_cast<JournalFileSystem>(scopedFileSystem(scope));
    if (!journaled)
        return true;
    takeScopedFileSystem(scope);
    journaled->journal().sync();
    return nothingRefused(*journaled, error);
}
