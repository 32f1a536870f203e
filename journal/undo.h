// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_UNDO_H
#define FILEOPER_UNDO_H

#include <QJsonObject>
#include <QString>

// Takes back the run recorded in the journal folder `folder`, newest change first, and puts
// every path back as it was before the run. A path that no longer holds what the run left there
// (the user changed it since) is left alone and reported. The log is read whole and checked
// first: changes recorded before a damaged part (a gap in the numbers, an unreadable line, records
// at odds with each other) are left, and a backup is put back only where it is still what the
// journal recorded. The report:
//   {"journal": FOLDER,
//    "status": "undone" | "partly undone" | "already undone" | "no journal" | "refused",
//    "message": M (refused: why nothing was changed, e.g. "the run is still going"),
//    "restored": [{"action": A, "path": P, "from": F}], "left": [{"path": P, "reason": R}],
//    "damaged": [{"records": RANGE, "reason": R}],
//    "kept": [{"backup": B, "path": P}] (what is still in backup/, and whose it was)}
// A journal is taken back once: afterwards it holds "undone" and a second call does nothing.
// A dry run changes nothing and reports what the undo would do now, with the same checks.
enum class UndoMode { Apply, DryRun };
QJsonObject undoJournal(const QString& folder, UndoMode mode = UndoMode::Apply);

// What undoJournal would find in `folder`, without looking at the paths: no journal, a journal
// of a run that changed nothing, one that can be taken back (or is damaged, to be reported), one
// taken back already, or one whose run is still going.
enum class JournalState { None, NoChanges, Undoable, Undone, Running };
JournalState journalState(const QString& folder);

#endif
