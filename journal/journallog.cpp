// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journallog.h"

#include "journal.h"
#include "journalreasons.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <limits>

namespace
{

const char* const backupOps[] = {"remove", "replace", "rewrite"};

bool isCleanAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && QDir::cleanPath(path) == path &&
           !path.contains(QChar(0));
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

class LogReader
{
public:
    LogReader(const QString& folder, JournalLog* log) : m_folder(folder), m_log(log) {}

    void read(QByteArray bytes)
    {
        // A killed writer leaves zeros after its last record: room reserved ahead.
        int end = bytes.size();
        while (end > 0 && bytes.at(end - 1) == '\0')
            --end;
        bytes.truncate(end);
        QList<QByteArray> lines = bytes.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (int i = 0; i < lines.size(); ++i) {
            const QJsonObject json = parsed(lines.at(i));
            if (json.isEmpty()) {
                // Only the last line may be cut short: where the writer was killed.
                if (i != lines.size() - 1)
                    m_unreadableLine = i + 1;
                continue;
            }
            take(json, i + 1, lines.at(i));
            if (!m_log->refusal.isEmpty())
                return;
        }
        if (m_unreadableLine > 0)
            damage(m_expected, m_expected,
                   JournalReasons::text(JournalReasons::lineUnreadable).arg(m_unreadableLine));
        if (!m_log->started)
            damage(1, std::numeric_limits<int>::max(),
                   lines.isEmpty() ? JournalReasons::text(JournalReasons::logEmpty)
                                   : JournalReasons::text(JournalReasons::noStartRecord));
    }

    void damage(int from, int to, const QString& reason)
    {
        m_log->damage.append(JournalDamage{from, to, reason});
        m_log->untrustedUpTo = qMax(m_log->untrustedUpTo, to);
    }

private:
    static QJsonObject parsed(const QByteArray& line)
    {
        if (line.contains('\0'))
            return QJsonObject();
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        return json.value(QLatin1String("seq")).isDouble() ? json : QJsonObject();
    }

    void take(const QJsonObject& json, int line, const QByteArray& bytes)
    {
        const int seq = json.value(QLatin1String("seq")).toInt();
        if (m_unreadableLine > 0) {
            damage(m_expected, qMax(m_expected, seq - 1),
                   JournalReasons::text(JournalReasons::lineUnreadable).arg(m_unreadableLine));
            m_unreadableLine = 0;
        }
        if (seq < m_expected || seq <= 0) {
            damage(seq, seq, JournalReasons::text(JournalReasons::recordAgain).arg(seq).arg(line));
            return;
        }
        if (seq == m_expected + 1)
            damage(m_expected, m_expected,
                   JournalReasons::text(JournalReasons::recordMissing).arg(m_expected));
        else if (seq > m_expected)
            damage(
                m_expected, seq - 1,
                JournalReasons::text(JournalReasons::recordsMissing).arg(m_expected).arg(seq - 1));
        m_expected = seq + 1;
        if (json.contains(QLatin1String("done")))
            takeDone(json, seq);
        else if (json.contains(QLatin1String("ready")))
            takeReady(json, seq);
        else if (json.contains(QLatin1String("failed")))
            takeFailed(json, seq);
        else if (json.contains(QLatin1String("kept")))
            takeKept(json, seq);
        else if (json.value(QLatin1String("op")).toString() == QLatin1String("start"))
            takeStart(json, seq);
        else
            takeChange(json, seq, bytes);
    }

    void takeStart(const QJsonObject& json, int seq)
    {
        if (seq != 1 || m_log->started) {
            damage(seq, seq, JournalReasons::text(JournalReasons::secondStart).arg(seq));
            return;
        }
        m_log->started = true;
        m_log->startMs = qint64(json.value(QLatin1String("time")).toDouble());
        m_log->version = json.value(QLatin1String("version")).toInt();
        if (m_log->version != journalFormatVersion)
            m_log->refusal = JournalReasons::text(JournalReasons::formatVersion)
                                 .arg(m_folder, json.contains(QLatin1String("version"))
                                                    ? QString::number(m_log->version)
                                                    : QStringLiteral("1"))
                                 .arg(journalFormatVersion);
    }

    void takeChange(const QJsonObject& json, int seq, const QByteArray& bytes)
    {
        m_digestOfSeq.insert(seq, journalRecordDigest(bytes));
        JournalRecord record;
        record.seq = seq;
        record.op = json.value(QLatin1String("op")).toString();
        record.path = json.value(QLatin1String("path")).toString();
        record.from = json.value(QLatin1String("from")).toString();
        record.timeMs = qint64(json.value(QLatin1String("time")).toDouble());
        record.before = FileState::fromJson(json.value(QLatin1String("before")).toObject());
        record.source = FileState::fromJson(json.value(QLatin1String("source")).toObject());
        m_log->records.append(record);
        if (!m_log->started)
            return;
        const QString wrong = wrongPaths(record);
        if (!wrong.isEmpty()) {
            damage(seq, seq, wrong);
            return;
        }
        m_indexOfSeq.insert(seq, m_log->records.size() - 1);
    }

    // A path undo may not touch: not a whole absolute path, or one inside the journal but for a
    // backup the run put back from.
    QString wrongPaths(const JournalRecord& record) const
    {
        if (record.op.isEmpty())
            return JournalReasons::text(JournalReasons::namesNoChange).arg(record.seq);
        if (!isCleanAbsolute(record.path) ||
            (!record.from.isEmpty() && !isCleanAbsolute(record.from)))
            return JournalReasons::text(JournalReasons::pathNotWhole).arg(record.seq);
        if (isInside(record.path, m_folder))
            return JournalReasons::text(JournalReasons::pathInsideJournal).arg(record.seq);
        if (!record.from.isEmpty() && isInside(record.from, m_folder) &&
            !isBackupOfEarlierChange(record.from))
            return JournalReasons::text(JournalReasons::pathInsideJournal).arg(record.seq);
        return QString();
    }

    bool isBackupOfEarlierChange(const QString& path) const
    {
        for (auto it = m_indexOfSeq.constBegin(); it != m_indexOfSeq.constEnd(); ++it) {
            const JournalRecord& record = m_log->records.at(it.value());
            if (holdsBackup(record) && journalBackupPath(m_folder, record.seq) == path)
                return true;
        }
        return false;
    }

    // The change a done or kept record names; null (and the damage noted) where there is none,
    // where it is said twice, or where the two disagree on the path.
    JournalRecord* changeNamedBy(const QJsonObject& json, const char* key, int seq, QSet<int>* said)
    {
        const int change = json.value(QLatin1String(key)).toInt();
        const int index = m_indexOfSeq.value(change, -1);
        if (index < 0 || change >= seq) {
            damage(seq, seq,
                   JournalReasons::text(JournalReasons::changeNotHeld).arg(seq).arg(change));
            return nullptr;
        }
        if (said->contains(change)) {
            damage(change, seq,
                   JournalReasons::text(JournalReasons::changeNamedTwice).arg(seq).arg(change));
            return nullptr;
        }
        said->insert(change);
        JournalRecord& record = m_log->records[index];
        if (json.value(QLatin1String("of")).toString().toLatin1() != m_digestOfSeq.value(change)) {
            damage(change, seq,
                   JournalReasons::text(JournalReasons::changedAfter).arg(change).arg(seq));
            return nullptr;
        }
        if (json.value(QLatin1String("path")).toString() != record.path) {
            damage(change, seq,
                   JournalReasons::text(JournalReasons::differentPaths).arg(change).arg(seq));
            return nullptr;
        }
        return &record;
    }

    void takeDone(const QJsonObject& json, int seq)
    {
        JournalRecord* record = changeNamedBy(json, "done", seq, &m_done);
        if (!record || record->failed)
            return;
        // The end of a change whose state was recorded as it was put in place, or of a rename
        // (the entry it moved is its record's source), says no more.
        if (!json.contains(QLatin1String("after"))) {
            if (record->op == QLatin1String("rename") && !record->ready)
                record->after = record->source;
            if (record->ready || record->op == QLatin1String("rename")) {
                record->done = true;
                return;
            }
        }
        if (!takeAfter(json, seq, record))
            return;
        record->done = true;
    }

    // The state a change is about to put in place in one step: the entry at the path is the
    // run's if it is this one, whether or not the change's end made it into the log.
    void takeReady(const QJsonObject& json, int seq)
    {
        JournalRecord* record = changeNamedBy(json, "ready", seq, &m_ready);
        if (!record)
            return;
        if (m_done.contains(record->seq) || m_failed.contains(record->seq)) {
            damage(record->seq, seq,
                   JournalReasons::text(JournalReasons::afterEnd).arg(seq).arg(record->seq));
            return;
        }
        if (takeAfter(json, seq, record))
            record->ready = true;
    }

    void takeFailed(const QJsonObject& json, int seq)
    {
        JournalRecord* record = changeNamedBy(json, "failed", seq, &m_failed);
        if (!record)
            return;
        if (m_done.contains(record->seq)) {
            damage(record->seq, seq,
                   JournalReasons::text(JournalReasons::failedButDone).arg(seq).arg(record->seq));
            return;
        }
        record->failed = true;
    }

    bool takeAfter(const QJsonObject& json, int seq, JournalRecord* record)
    {
        const FileState after = FileState::fromJson(json.value(QLatin1String("after")).toObject());
        if (!agrees(*record, after)) {
            damage(record->seq, seq,
                   JournalReasons::text(JournalReasons::impossibleState).arg(seq).arg(record->seq));
            return false;
        }
        record->after = after;
        return true;
    }

    // What a change left must be what it could leave: a folder made is a folder, an entry
    // renamed keeps its identity, a file written in place keeps its own.
    static bool agrees(const JournalRecord& record, const FileState& after)
    {
        if (!after.exists())
            return true;
        if (record.op == QLatin1String("mkdir"))
            return after.kind == FileState::Kind::Folder;
        const auto sameEntry = [&after](const FileState& state) {
            return !state.exists() || (state.device == after.device && state.inode == after.inode);
        };
        if (record.op == QLatin1String("rename"))
            return sameEntry(record.source);
        if (record.op == QLatin1String("append") || record.op == QLatin1String("rewrite"))
            return sameEntry(record.before);
        return true;
    }

    void takeKept(const QJsonObject& json, int seq)
    {
        JournalRecord* record = changeNamedBy(json, "kept", seq, &m_kept);
        if (!record)
            return;
        if (!holdsBackup(*record)) {
            damage(record->seq, seq,
                   JournalReasons::text(JournalReasons::keepsForNone).arg(seq).arg(record->seq));
            return;
        }
        record->kept = FileState::fromJson(json.value(QLatin1String("state")).toObject());
        record->kept.ctimeNs = json.value(QLatin1String("ctime")).toString().toLongLong();
    }

    QString m_folder;
    JournalLog* m_log;
    int m_expected = 1;
    int m_unreadableLine = 0; // the last unreadable line not yet placed between two records
    QHash<int, int> m_indexOfSeq;
    QHash<int, QByteArray> m_digestOfSeq;
    QSet<int> m_done;
    QSet<int> m_ready;
    QSet<int> m_failed;
    QSet<int> m_kept;
};

// Every file in backup/ must be one a change of the log moved there: any other tells of records
// lost (a log cut short) or of a file put there by somebody else.
void checkBackups(const QString& folder, const JournalLog& log, LogReader* reader)
{
    const QString backups = folder + QStringLiteral("/backup");
    const FileState state = fileStateOf(backups);
    if (state.exists() && state.kind != FileState::Kind::Folder) {
        reader->damage(1, std::numeric_limits<int>::max(),
                       QStringLiteral("%1 is not a folder").arg(backups));
        return;
    }
    QSet<int> withBackup;
    for (const JournalRecord& record : log.records) {
        if (holdsBackup(record))
            withBackup.insert(record.seq);
    }
    const QStringList names = QDir(backups).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        bool number = false;
        const int seq = name.toInt(&number);
        if (!number || !withBackup.contains(seq) || QString::number(seq) != name)
            reader->damage(
                number ? seq : 1, number ? seq : std::numeric_limits<int>::max(),
                QStringLiteral("%1/%2 belongs to no change in the journal").arg(backups, name));
    }
}

} // namespace

bool holdsBackup(const JournalRecord& record)
{
    for (const char* op : backupOps) {
        if (record.op == QLatin1String(op))
            return true;
    }
    return false;
}

JournalLog readJournal(const QByteArray& bytes, const QString& folder)
{
    JournalLog log;
    LogReader reader(folder, &log);
    reader.read(bytes);
    if (log.refusal.isEmpty())
        checkBackups(folder, log, &reader);
    return log;
}

JournalLog readJournalLog(const QString& folder)
{
    QFile log(journalLogPath(folder));
    return readJournal(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray(), folder);
}

int journalRecordCount(const QString& folder)
{
    QFile log(journalLogPath(folder));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    // A killed or mapped writer leaves zeros after the last record.
    QByteArray bytes = log.readAll();
    const int zero = bytes.indexOf('\0');
    return (zero >= 0 ? bytes.left(zero) : bytes).count('\n');
}
