// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNALREASONS_H
#define FILEOPER_JOURNALREASONS_H

#include <QString>
#include <QVector>

// The journal's and undo's reasons, in English and kept stable: reports and scripts match them,
// and a host shows each through its display text. %1, %2, … are filled with arg(). Every one is
// in all(), so that a test can tell one that has no display text.
namespace JournalReasons
{

// The log's damage, and the records it concerns, as undo reports them.
constexpr char lineUnreadable[] = "line %1 cannot be read";
constexpr char logEmpty[] = "the log is empty";
constexpr char noStartRecord[] = "the log has no start record";
constexpr char recordAgain[] = "record %1 appears again at line %2";
constexpr char recordMissing[] = "record %1 is missing";
constexpr char recordsMissing[] = "records %1 to %2 are missing";
constexpr char secondStart[] = "record %1 is a second start";
constexpr char namesNoChange[] = "record %1 names no change";
constexpr char pathNotWhole[] = "record %1 names a path that is not whole";
constexpr char pathInsideJournal[] = "record %1 names a path inside the journal";
constexpr char changeNotHeld[] = "record %1 speaks of change %2, which the journal does not hold";
constexpr char changeNamedTwice[] = "record %1 speaks of change %2 a second time";
constexpr char changedAfter[] = "record %1 was changed after record %2 was written";
constexpr char differentPaths[] = "records %1 and %2 name different paths";
constexpr char afterEnd[] = "record %1 comes after the end of change %2";
constexpr char failedButDone[] = "record %1 says change %2 failed, which was done";
constexpr char impossibleState[] = "record %1 says change %2 left what it cannot have left";
constexpr char keepsForNone[] = "record %1 keeps a file for change %2, which keeps none";
constexpr char allRecords[] = "all records";
constexpr char recordsOn[] = "records %1 on";
constexpr char oneRecord[] = "record %1";
constexpr char recordRange[] = "records %1 to %2";
constexpr char damagedLog[] = "%1 damaged (%2); changes recorded before are not undone";
// Why undo changes nothing at all.
constexpr char formatVersion[] = "the journal in %1 is of format version %2, which this undo does "
                                 "not read (it reads version %3); nothing was changed";
constexpr char notAMark[] = "%1 is not a mark the journal made; nothing was changed";
constexpr char runGoing[] = "the run is still going";
constexpr char cannotRead[] = "cannot read the journal in %1: %2; nothing was changed";
// Why undo leaves a path as it is.
constexpr char unknownChange[] = "unknown change \"%1\" in the journal";
constexpr char damagedAfter[] = "the journal is damaged after this change; not undone";
constexpr char cannotSetAside[] = "its end is not in the journal, and it cannot be set aside; kept";
constexpr char setAside[] =
    "its end is not in the journal, so what is there may be an edit made since; set aside in %1";
constexpr char keptWithBackup[] = "changed since the run; kept, the old file stays in %1";
constexpr char foreignEntries[] = "the folder holds entries the run did not make";
constexpr char cannotRemove[] = "cannot be removed";
constexpr char changedSince[] = "changed since the run; kept";
constexpr char oldNameTaken[] = "its old name %1 is taken again";
constexpr char cannotRenameBack[] = "cannot be renamed back to %1";
constexpr char pathTaken[] = "the path is taken again; the old file stays in %1";
constexpr char cannotPutBack[] = "cannot be put back from %1";
constexpr char cannotWriteBack[] = "cannot be written back from %1";
constexpr char cannotCutBack[] = "cannot be cut back";
// Why a run's journal cannot be started in its folder.
constexpr char folderIsLink[] =
    "the journal folder %1 is a symbolic link; give the run a new or empty folder";
constexpr char folderNotFolder[] =
    "the journal folder %1 is not a folder; give the run a new or empty folder";
constexpr char folderOfOtherUser[] = "the journal folder %1 belongs to another user (uid %2); give "
                                     "the run a new or empty folder of your own";
constexpr char folderNotEmpty[] =
    "the journal folder %1 is not empty: it holds %2; give the run a new or empty folder";
constexpr char andMore[] = "%1 and %2 more";
constexpr char cannotMakeFolderBecause[] = "cannot make the journal folder %1: %2";
constexpr char cannotMakeFolder[] = "cannot make the journal folder %1";
constexpr char cannotLookAtFolder[] = "cannot look at the journal folder %1: %2";
constexpr char cannotOpenFolder[] = "cannot open the journal folder %1: %2";
constexpr char cannotMakePrivate[] = "cannot make the journal folder %1 private: %2";
constexpr char cannotWriteJournal[] = "cannot write the journal in %1: %2";

// Every reason above, in the order above.
const QVector<const char*>& all();

// A reason as text, for arg().
inline QString text(const char* reason)
{
    return QString::fromLatin1(reason);
}

} // namespace JournalReasons

#endif
