// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JOURNAL_H
#define FILEOPER_JOURNAL_H

#include "appendlog.h"
#include "filestate.h"
#include "jsonline.h"

#include <QString>
#include <QVector>

#include <memory>

// A write-ahead record of every change a run makes to the user's files, kept in a folder of its
// own, from which undoJournal() takes the run back. Each record reaches the file (a write(2), so
// it survives the process being killed) before the change it names is made; whatever a change
// destroys is kept in the folder first. After a change, the state it left is recorded too, so
// that undo can tell a path the user has touched since from one the run left.
//
// The folder holds "journal.log" (one JSON object a line), "backup/" (what changes destroyed)
// and, once taken back, "undone". The folder is the run's alone: made new or found empty,
// private to the user, and its log locked (flock) while the run goes.
//
// The log's format, version journalFormatVersion: every line carries "seq", numbered from 1
// without a gap, so that a line lost or added is seen.
//   {"op": "start", "time": MS, "version": 2, "seq": 1}
//   {"op": OP, "path": P, ..., "seq": N}           a change, before it is made
//   {"done": N, "of": D, "path": P, "after": STATE, "seq": M}
//                                                  the state change N left at P
//   {"kept": N, "of": D, "path": P, "state": STATE, "ctime": NS, "seq": M}
//                                                  the file change N moved or copied into
//                                                  backup/N, as it is there (with its own mode
//                                                  before it was made private); none for a backup
//                                                  that is a second name of the file (its record
//                                                  before vouches for it, until the run ends and
//                                                  the backup, then its only name, is made
//                                                  private and recorded)
// D is journalRecordDigest() of change N's line: a change edited after its end was recorded no
// longer matches.
class Journal
{
public:
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Starts a journal in `folder`, made if missing; a folder that holds a journal already is
    // refused, so that no run's record is ever mixed with another's. Relative paths, the folder's
    // own included, are taken from `workingFolder` (empty: the process's current folder now).
    static std::unique_ptr<Journal> create(const QString& folder, QString* error,
                                           const QString& workingFolder = QString());

    // Each is called just before the change it names. False: the record could not be kept, and
    // the change must not be made.
    bool willMakeFolder(const QString& path);
    // `before` and `source`: the state the caller has just found at the path, which spares a
    // second look; null to have it looked at here.
    bool willCreate(const QString& path, const FileState* before = nullptr);
    bool willRename(const QString& from, const QString& to, const FileState* source = nullptr);
    bool willAppend(const QString& path);
    // Before a file is written over where it stands (it has other hard links): its bytes are
    // copied into the journal.
    bool willRewriteInPlace(const QString& path);
    // Before a file is replaced by a new one renamed over it: the old file is kept in the journal
    // as a second name of the same data (no bytes copied), or a clone or copy on another file
    // system. Called once the writer of the new file has decided how it writes.
    bool willReplace(const QString& path);
    // Before a writer begins the new file that will replace `path`, under a hidden name beside
    // it: changes nothing itself, but tells undo of a run killed right then where to look for
    // what was begun.
    bool willWriteBeside(const QString& path);

    // Takes `path` out of the user's way into the journal: moved there where the journal is on
    // the same file system, else cloned or copied and then removed. This is how a run deletes a
    // file, or clears a target it replaces, without losing it.
    bool moveIntoJournal(const QString& path);
    // Where the file that the last moveIntoJournal took is kept.
    QString lastBackupPath() const { return m_lastBackup; }

    // Just before the step that puts the change recorded last in place in one go (a rename of
    // the complete new file `pending` to the change's path): the state that step will leave
    // there, since a rename keeps the entry, its size and its time. After a kill right behind
    // that step, undo knows the entry at the path for the run's by it, record of the end or not.
    bool willPutInPlace(const QString& pending);

    // After the change recorded last: the state it left at its path.
    void changeMade();
    // After the change recorded last failed without changing anything (a refused rename).
    void changeFailed();

    // Forces the records to disk (a power cut may otherwise lose the last ones).
    void sync();

    QString folder() const { return m_folder; }
    // Where relative paths are taken from, absolute.
    QString workingFolder() const { return m_workingFolder; }
    // Whether a record, or a file the journal had to keep, could not be written: for want of
    // room, or because the journal's folder is gone. The journal no longer holds all it should,
    // and the change that asked was refused.
    bool failed() const { return m_failed; }
    // The system's reason for that failure.
    QString failure() const { return m_failure; }
    // Why the last file the journal had to keep could not be moved or copied into it.
    QString keepError() const { return m_keepError; }
    int keepErrorCode() const { return m_keepErrorCode; }

private:
    Journal(const QString& folder, const QString& workingFolder, std::unique_ptr<AppendLog> log);
    bool append(JsonLine record, const QString& statePath, WithHash withHash,
                const FileState* before = nullptr);
    bool appendLine(const QByteArray& line);
    bool keptInJournal(bool kept);
    // The next line of the log, numbered.
    QByteArray numbered(JsonLine record);
    // Once the file of change `seq` (at `path`) is in the journal as a file of its own (moved
    // in, copied, or the only name left): the backup made private and recorded as it is now,
    // with `mode`, the one to give it back.
    void recordKept(int seq, const QByteArray& digest, const QString& path, quint32 mode);
    // Backups that are a second name of a file still in the user's place until its replacement
    // is renamed over it: made private once they are the only name.
    void makeLinkedBackupsPrivate();
    QString backupPath(int seq) const;
    QString absolute(const QString& path) const;

    QString m_folder;
    QString m_workingFolder; // relative paths are taken from here
    std::unique_ptr<AppendLog> m_log;
    int m_seq = 0;             // of the last line
    int m_changeSeq = 0;       // of the last change; its backup is backup/m_changeSeq
    QByteArray m_changeDigest; // of the last change's line
    struct LinkedBackup {
        int seq;
        QByteArray digest;
        QString path;
        quint32 mode;
    };
    QVector<LinkedBackup> m_linkedBackups;
    QString m_lastPath;
    QString m_lastBackup;
    WithHash m_lastHash = WithHash::No;
    QByteArray m_lastState;       // what the last change leaves, where known without looking (JSON)
    bool m_stateRecorded = false; // m_lastState is in the log already, recorded as ready
    bool m_failed = false;
    QString m_failure;
    QString m_keepError;
    int m_keepErrorCode = 0;
};

// The format of the log this build writes; undo refuses any other.
const int journalFormatVersion = 2;

QString journalLogPath(const QString& folder);
// A short digest of a change's line, as its done and kept records name it.
QByteArray journalRecordDigest(const QByteArray& line);
QString journalBackupPath(const QString& folder, int seq);
// Where undo sets aside bytes at a path that it cannot tell the run's from a later edit's.
QString journalAsidePath(const QString& folder, int seq);

#endif
