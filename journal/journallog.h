// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNALLOG_H
#define FILEOPER_JOURNALLOG_H

#include "filestate.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// A journal's log read back: each change with what its later records say of it, and the parts the
// log does not vouch for. Undo acts on it; the window tells from it what a run did.

struct JournalRecord {
    int seq = 0;
    QString op;
    QString path;
    QString from;
    qint64 timeMs = 0;
    FileState before;
    FileState source;   // a rename's entry, as it was at its old name
    FileState after;    // recorded just before the change was put in place, or after it
    bool ready = false; // `after` recorded before the step that puts it in place
    bool done = false;
    bool failed = false; // the change failed, changing nothing
    FileState kept;      // what the change moved or copied into backup/SEQ, as it was once there
};

// A run of record numbers the log does not vouch for: lines missing, unreadable, twice or at odds
// with each other.
struct JournalDamage {
    int from = 0;
    int to = 0;
    QString reason;
};

// The log read whole and checked, record against record, before anything is touched.
struct JournalLog {
    bool started = false;
    int version = 0;
    qint64 startMs = 0;
    QVector<JournalRecord> records; // the changes, in the order they were made
    QVector<JournalDamage> damage;
    // Changes numbered up to here are not trusted: one recorded between them and the changes
    // after may be lost or forged, and undo takes changes back newest first.
    int untrustedUpTo = 0;
    QString refusal; // why nothing can be read at all
};

// Whether the change moved or copied a file into the journal's backup/.
bool holdsBackup(const JournalRecord& record);

// The log `bytes` of the journal in `folder`, read whole and checked record against record and
// against the journal's backup/.
JournalLog readJournal(const QByteArray& bytes, const QString& folder);

// The log of the journal in `folder` as it stands now, read and checked as above. It takes no
// lock: a run may still be writing it.
JournalLog readJournalLog(const QString& folder);

// How many complete records the journal's log in `folder` holds now.
int journalRecordCount(const QString& folder);

#endif
