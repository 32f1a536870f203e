#include "filejournals.h"

#include "filesystem/journalfilesystem.h"
#include "filesystem/realfilesystem.h"

bool journalStep(const VariableScope* scope, int step, const QString& folder, QString* error)
{
    Q_UNUSED(step)
    if (!scope)
        return true;
    if (std::dynamic_pointer_cast<JournalFileSystem>(scopedFileSystem(scope)))
        return true;
    std::unique_ptr<Journal> journal = Journal::create(folder, error);
    if (!journal)
        return false;
    setScopedFileSystem(
        scope, std::make_shared<JournalFileSystem>(RealFileSystem::instance(), std::move(journal)));
    return true;
}

void finishJournal(const VariableScope* scope)
{
    const auto journaled = std::dynamic_pointer_cast<JournalFileSystem>(scopedFileSystem(scope));
    if (!journaled)
        return;
    takeScopedFileSystem(scope);
    journaled->journal().sync();
}
