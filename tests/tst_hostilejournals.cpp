// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Journals turned against the user: `stephost run --journal` given a folder that is not its own,
// and `stephost undo` given a journal that was damaged, edited, swapped or planted with links, or
// whose run is still going. Whatever was done to the journal, no byte of the user's is lost: every
// file the tree held before the run is in the tree after undo or still in the journal, listed.

#include "journalfixtures.h"

#include "filesystem/filecopy.h"

#include <journal.h>
#include <undo.h>

#include <QJsonArray>
#include <QProcess>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using Tamper = std::function<void(const QString& journal)>;
Q_DECLARE_METATYPE(Tamper)

namespace
{

const char tree[] = "a.txt|b.txt|c.txt|d/x.txt|keep.txt|victims/v.txt";

// A delete (kept in backup/), a replace (a second name in backup/), a rename, a new file and an
// append: every kind of record a journal holds.
const char flow[] = R"({"steps": [
    {"type": "file.delete", "settings": {"files": "c.txt"}},
    {"type": "file.write", "settings": {"filePath": "b.txt", "content": "new b", "ifExist": 0}},
    {"type": "file.rename", "settings": {"files": "a.txt", "mode": 1, "addText": "-new"}},
    {"type": "file.write", "settings": {"filePath": "new.txt", "content": "made"}},
    {"type": "file.write", "settings": {"filePath": "d/x.txt", "content": "more", "ifExist": 1}}]})";

void writeLogLines(const QString& journal, const QList<QByteArray>& lines)
{
    QVERIFY(writeFile(journal + QStringLiteral("/journal.log"), lines.join('\n') + '\n'));
}

// The index of the first record of the log whose `key` is `value`.
int recordWhere(const QString& journal, const char* key, const QString& value)
{
    const QList<QJsonObject> records = journalRecords(journal);
    for (int i = 0; i < records.size(); ++i) {
        if (records.at(i).value(QLatin1String(key)).toVariant().toString() == value)
            return i;
    }
    return -1;
}

// A tamper that edits the log's lines, given the index of the first rename's line.
Tamper editLines(const std::function<void(QList<QByteArray>& lines, int rename)>& edit)
{
    return [edit](const QString& journal) {
        QList<QByteArray> lines = journalLines(journal);
        edit(lines, recordWhere(journal, "op", QStringLiteral("rename")));
        writeLogLines(journal, lines);
    };
}

QString backupOf(const QString& journal, const QString& op)
{
    const int index = recordWhere(journal, "op", op);
    return journal + QStringLiteral("/backup/") +
           QString::number(journalRecords(journal).value(index).value("seq").toInt());
}

// The file contents of a tree state ("path mode hex" lines).
QSet<QString> contentsOf(const QStringList& state)
{
    QSet<QString> contents;
    for (const QString& line : state) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 3 && parts.at(2) != QLatin1String("folder"))
            contents.insert(parts.at(2));
    }
    return contents;
}

struct Outcome {
    // Lives as long as the outcome: the scratch folder stays the current folder.
    std::unique_ptr<JournalScratch> scratch{new JournalScratch};
    QString journal = scratch->journal;
    QStringList before;
    QStringList afterRun;
    QStringList afterUndo;
    StephostResult undo;
    QJsonObject report;
    int lost = 0; // files of the tree before the run neither in the tree nor kept in the journal
};

// Builds the tree, runs the flow with a journal, lets `tamper` at the journal, undoes it. Files
// whose only copy the tamper itself destroys (`destroyedByTamper`) are not undo's loss.
Outcome runTamperUndo(const Tamper& tamper, int destroyedByTamper = 0)
{
    Outcome outcome;
    makeTree(QString::fromLatin1(tree));
    ::chmod("c.txt", 0640);
    outcome.before = fullTreeState();
    const StephostResult run = outcome.scratch->run(flow);
    if (run.exitCode != 0)
        qWarning("run failed: %s", run.err.constData());
    outcome.afterRun = fullTreeState();
    tamper(outcome.journal);
    outcome.undo = outcome.scratch->undo();
    outcome.report = outcome.undo.report();
    outcome.afterUndo = fullTreeState();
    QSet<QString> kept = contentsOf(outcome.afterUndo);
    QDirIterator backups(outcome.journal + QStringLiteral("/backup"),
                         QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (backups.hasNext())
        kept.insert(QString::fromLatin1(readFile(backups.next()).toHex()));
    // A file appended to and not cut back still holds its bytes, first.
    for (const QString& content : contentsOf(outcome.before)) {
        outcome.lost += std::none_of(kept.begin(), kept.end(), [&content](const QString& there) {
            return there.startsWith(content);
        });
    }
    outcome.lost -= destroyedByTamper;
    qInfo("RELIABILITY crash=%d hang=%d lost=%d", int(outcome.undo.crashed),
          int(outcome.undo.timedOut), qAbs(outcome.lost));
    return outcome;
}

QString victim(const QStringList& state)
{
    const QStringList lines = state.filter(QRegularExpression(QStringLiteral("^victims/v.txt ")));
    return lines.value(0);
}

QStringList listed(const QJsonObject& report, const char* key, const char* field)
{
    QStringList values;
    for (const QJsonValue& entry : report.value(QLatin1String(key)).toArray())
        values << entry.toObject().value(QLatin1String(field)).toString();
    return values;
}

QStringList backupFiles(const QString& journal)
{
    QStringList paths;
    const QDir backups(journal + QStringLiteral("/backup"));
    for (const QString& name :
         backups.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        paths << backups.filePath(name);
    paths.sort();
    return paths;
}

// A journaled run, ended, that made new.txt, and during which a killed writer left `leftovers`.
void runLeaving(const QString& journal, const QStringList& leftovers)
{
    QString error;
    std::unique_ptr<Journal> run = Journal::create(journal, &error);
    QVERIFY2(run, qPrintable(error));
    QVERIFY(run->willCreate(QStringLiteral("new.txt")));
    QVERIFY(writeFile(QStringLiteral("new.txt"), "made"));
    run->changeMade();
    for (const QString& leftover : leftovers)
        QVERIFY(writeFile(leftover, "half"));
}

// A process of the test's own, in the current folder, that keeps a journal or a temporary file
// while the test runs undo: started with one of the roles handled in main() below.
class Holder
{
public:
    Holder(const QString& role, const QString& path)
    {
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--hold"), role, path});
        if (m_process.waitForReadyRead(30000))
            m_line = QString::fromLocal8Bit(m_process.readLine().trimmed());
        m_ready = m_line.section(QLatin1Char(' '), 0, 0) == QLatin1String("holding");
    }
    ~Holder() { release(); }
    bool ready() const { return m_ready; }
    // What the role said it holds after "holding", if anything.
    QString held() const { return m_line.section(QLatin1Char(' '), 1); }
    // Lets go and waits for the process to end: its exit code, -1 where it did not end normally.
    int release()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            m_process.waitForFinished(30000);
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    QString m_line;
    bool m_ready = false;
};

} // namespace

class tst_HostileJournals : public QObject
{
    Q_OBJECT

private slots:
    void foreignFolder_data();
    void foreignFolder();
    void damagedLog_data();
    void damagedLog();
    void editedRecord_data();
    void editedRecord();
    void swappedBackup_data();
    void swappedBackup();
    void plantedLink_data();
    void plantedLink();
    void liveRun();
    void liveTemporaryFiles();
    void liveCopy_data();
    void liveCopy();
};

void tst_HostileJournals::foreignFolder_data()
{
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("kind"); // "folder", "file", "link" or "other user"
    QTest::addColumn<QString>("message");
    const auto row = [](const char* tag, const char* entries, const char* kind,
                        const char* message) { QTest::newRow(tag) << entries << kind << message; };
    row("user's file", "notes.txt", "folder", "is not empty: it holds \"notes.txt\"");
    row("an old journal", "journal.log|backup/1|undone", "folder",
        "is not empty: it holds \"backup\", \"journal.log\", \"undone\"");
    row("many entries", "1|2|3|4|5/", "folder",
        "is not empty: it holds \"1\", \"2\", \"3\" and 2 more");
    row("hidden entry", ".hidden", "folder", "is not empty: it holds \".hidden\"");
    row("a file", "", "file", "is not a folder");
    row("a link to an empty folder", "", "link", "is a symbolic link");
    row("another user's", "", "other user", "belongs to another user");
}

// The run refuses at once: exit 2, one line naming the folder and what is in it, nothing changed
// in the tree or in the folder.
void tst_HostileJournals::foreignFolder()
{
    QFETCH(QString, entries);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    if (kind == QLatin1String("other user") && ::geteuid() != 0)
        QSKIP("giving a folder to another user needs root");
    JournalScratch scratch;
    const QString& journal = scratch.journal;
    const QString elsewhere = scratch.parent.filePath(QStringLiteral("elsewhere"));
    makeTree(QString::fromLatin1(tree));
    if (kind == QLatin1String("file")) {
        QVERIFY(writeFile(journal, "mine"));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(QDir().mkpath(elsewhere) && QFile::link(elsewhere, journal));
    } else {
        QVERIFY(QDir().mkpath(journal));
        for (const QString& entry : ::entries(entries)) {
            const QString path = journal + QLatin1Char('/') + entry;
            QVERIFY(entry.endsWith(QLatin1Char('/')) ? QDir().mkpath(path)
                                                     : writeFile(path, entry.toUtf8()));
        }
        if (kind == QLatin1String("other user"))
            QCOMPARE(::chown(QFile::encodeName(journal).constData(), 65534, 65534), 0);
    }
    QVERIFY(writeFile(scratch.flowFile, flow));
    const auto besideTree = [&scratch] {
        QDir::setCurrent(scratch.parent.path());
        const QStringList state = fullTreeState();
        QDir::setCurrent(scratch.dir.path());
        return state;
    };
    const QStringList before = fullTreeState();
    const QStringList journalBefore = besideTree();
    const StephostResult run = scratch.run(flow);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.startsWith(QStringLiteral("stephost: the journal folder %1 ").arg(journal)),
             run.err.constData());
    QVERIFY2(err.contains(message), run.err.constData());
    QCOMPARE(fullTreeState(), before);
    QCOMPARE(besideTree(), journalBefore);
}

void tst_HostileJournals::damagedLog_data()
{
    QTest::addColumn<Tamper>("damage");
    QTest::addColumn<QString>("records"); // the damaged range reported
    QTest::addColumn<int>("restoredAtMost");
    using Lines = QList<QByteArray>;

    QTest::newRow("cut to 0 bytes") << Tamper([](const QString& j) {
        QVERIFY(QFile::resize(j + QStringLiteral("/journal.log"), 0));
    }) << "all records" << 0;
    QTest::newRow("start record missing")
        << editLines([](Lines& lines, int) { lines.removeFirst(); }) << "all records" << 0;
    QTest::newRow("a line cut short in the middle") << editLines([](Lines& lines, int rename) {
        lines[rename].chop(lines.at(rename).size() / 2);
    }) << "record 1" << 99;
    QTest::newRow("one record overwritten by another")
        << editLines([](Lines& lines, int rename) { lines[rename] = lines.at(1); }) << "record 2"
        << 99;
    QTest::newRow("a gap") << editLines([](Lines& lines, int rename) { lines.removeAt(rename); })
                           << "record 1" << 99;
    // The records of the replace are gone; its backup tells of them.
    QTest::newRow("cut after the delete") << Tamper([](const QString& j) {
        writeLogLines(j, journalLines(j).mid(0, recordWhere(j, "op", QStringLiteral("beside"))));
    }) << "record" << 0;
    QTest::newRow("zeros over a record") << Tamper([](const QString& j) {
        QList<QByteArray> lines = journalLines(j);
        lines[recordWhere(j, "op", QStringLiteral("remove"))].fill('\0');
        writeLogLines(j, lines);
    }) << "record" << 99;
}

// Undo finds the damage before it touches anything: "partly undone", exit 1, the damaged range
// named, the changes recorded before it left, every backup not put back listed and still there.
void tst_HostileJournals::damagedLog()
{
    QFETCH(Tamper, damage);
    QFETCH(QString, records);
    QFETCH(int, restoredAtMost);
    const Outcome outcome = runTamperUndo(damage);
    QCOMPARE(outcome.lost, 0);
    QCOMPARE(outcome.undo.exitCode, 1);
    QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("partly undone"));
    const QStringList damaged = listed(outcome.report, "damaged", "records");
    QVERIFY2(!damaged.isEmpty(), outcome.undo.out.constData());
    QVERIFY2(damaged.join(QLatin1Char(' ')).contains(records.section(QLatin1Char(' '), 0, 0)),
             outcome.undo.out.constData());
    QVERIFY(outcome.report.value("restored").toArray().size() <= restoredAtMost);
    // The delete came first: whatever the damage, it is not taken back blindly, and c.txt's
    // bytes are still in the journal, listed.
    QVERIFY(!QFileInfo::exists(QStringLiteral("c.txt")) || outcome.afterUndo == outcome.before);
    QCOMPARE(listed(outcome.report, "kept", "backup"), backupFiles(outcome.journal));
    QVERIFY(!backupFiles(outcome.journal).isEmpty());
    QCOMPARE(victim(outcome.afterUndo), victim(outcome.before));
}

void tst_HostileJournals::editedRecord_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("victimPath"); // relative to the scratch folder
    const auto row = [](const char* tag, const char* op, const char* field, const char* path) {
        QTest::newRow(tag) << op << field << path;
    };
    row("create of a file the run never made", "create", "path", "victims/v.txt");
    row("rename from a file the run never had", "rename", "from", "victims/gone.txt");
    row("rename of a file the run never touched", "rename", "path", "victims/v.txt");
    row("delete of a file the run never deleted", "remove", "path", "victims/new.txt");
    row("append to a file the run never touched", "append", "path", "victims/v.txt");
    row("a path inside the journal", "create", "path", "JOURNAL/journal.log");
    row("a path climbing out", "create", "path", "d/../victims/v.txt");
}

// A record pointing at a path the run never touched: undo does not create, delete, rename or cut
// it; the record is at odds with its own end record, so the journal is damaged.
void tst_HostileJournals::editedRecord()
{
    QFETCH(QString, op);
    QFETCH(QString, field);
    QFETCH(QString, victimPath);
    const Outcome outcome = runTamperUndo([&](const QString& journal) {
        QString path = victimPath;
        path.replace(QLatin1String("JOURNAL"), journal);
        if (!path.startsWith(QLatin1Char('/')))
            path = QDir::current().absoluteFilePath(path);
        QList<QByteArray> lines = journalLines(journal);
        const int index = recordWhere(journal, "op", op);
        QVERIFY(index >= 0);
        QJsonObject record = QJsonDocument::fromJson(lines.at(index)).object();
        record.insert(field, path);
        lines[index] = QJsonDocument(record).toJson(QJsonDocument::Compact);
        writeLogLines(journal, lines);
    });
    QCOMPARE(outcome.lost, 0);
    QCOMPARE(outcome.undo.exitCode, 1);
    QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("partly undone"));
    QVERIFY2(outcome.report.contains("damaged"), outcome.undo.out.constData());
    QCOMPARE(victim(outcome.afterUndo), victim(outcome.before));
    for (const QString& line : outcome.afterUndo)
        QVERIFY2(!line.startsWith(QLatin1String("victims/")) ||
                     line.startsWith(QLatin1String("victims/v.txt ")),
                 qPrintable(line));
    QVERIFY(QFileInfo::exists(outcome.journal + QStringLiteral("/journal.log")));
}

void tst_HostileJournals::swappedBackup_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("deleted file's backup replaced") << "replace remove";
    QTest::newRow("deleted file's backup edited in place") << "edit remove";
    QTest::newRow("deleted file's backup touched back") << "touch remove";
    QTest::newRow("replaced file's backup replaced") << "replace replace";
    QTest::newRow("replaced file's backup edited in place") << "edit replace";
    QTest::newRow("two backups swapped") << "swap";
}

// A backup that is not the one the journal recorded is not put back: it stays in the journal,
// listed, and the path is reported left.
void tst_HostileJournals::swappedBackup()
{
    QFETCH(QString, how);
    // The bytes the test itself overwrites in the journal are gone by its hand.
    const int destroyed =
        how.startsWith(QLatin1String("replace")) || how.startsWith(QLatin1String("edit")) ? 1 : 0;
    const Outcome outcome = runTamperUndo(
        [&](const QString& journal) {
            const QString remove = backupOf(journal, QStringLiteral("remove"));
            const QString replace = backupOf(journal, QStringLiteral("replace"));
            const QString backup = how.endsWith(QLatin1String("remove")) ? remove : replace;
            if (how.startsWith(QLatin1String("replace"))) {
                QVERIFY(QFile::remove(backup));
                QVERIFY(writeFile(backup, "forged"));
            } else if (how.startsWith(QLatin1String("edit"))) {
                QVERIFY(writeFile(backup, QByteArray(readFile(backup).size(), 'X')));
            } else if (how.startsWith(QLatin1String("touch"))) {
                // Same bytes, same size, the modification time set back: only the status change
                // time tells.
                struct stat status;
                QCOMPARE(::stat(QFile::encodeName(backup).constData(), &status), 0);
                QFile file(backup);
                QVERIFY(file.open(QIODevice::ReadWrite));
                file.write("c");
                file.close();
                const struct timespec times[2] = {status.st_atim, status.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(backup).constData(), times, 0), 0);
            } else {
                const QString aside = journal + QStringLiteral("/aside");
                QVERIFY(QFile::rename(remove, aside) && QFile::rename(replace, remove) &&
                        QFile::rename(aside, replace));
            }
        },
        destroyed);
    QCOMPARE(outcome.lost, 0);
    QCOMPARE(outcome.undo.exitCode, 1);
    QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("partly undone"));
    QVERIFY(!listed(outcome.report, "kept", "backup").isEmpty());
    QCOMPARE(listed(outcome.report, "kept", "backup"), backupFiles(outcome.journal));
    // Nothing forged reached the tree.
    for (const QString& line : outcome.afterUndo) {
        QVERIFY2(!line.endsWith(QString::fromLatin1(QByteArray("forged").toHex())),
                 qPrintable(line));
        QVERIFY2(!line.contains(QLatin1String(" 5858")), qPrintable(line));
    }
    if (how == QLatin1String("swap")) {
        QVERIFY(!QFileInfo::exists(QStringLiteral("c.txt")));
        QVERIFY(readFile(QStringLiteral("b.txt")).endsWith("new b"));
    }
}

void tst_HostileJournals::plantedLink_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("undone mark") << "undone";
    QTest::newRow("backup of the delete") << "remove";
    QTest::newRow("backup of the replace") << "replace";
    QTest::newRow("the log") << "journal.log";
}

// A link planted in the journal leads undo nowhere: it writes nothing through it, puts nothing
// back from it, and the file it points at stays as it was.
void tst_HostileJournals::plantedLink()
{
    QFETCH(QString, where);
    const Outcome outcome = runTamperUndo(
        [&](const QString& journal) {
            const QString target =
                QDir::current().absoluteFilePath(QStringLiteral("victims/v.txt"));
            QString link = journal + QLatin1Char('/') + where;
            if (where == QLatin1String("remove") || where == QLatin1String("replace"))
                link = backupOf(journal, where);
            if (where == QLatin1String("journal.log"))
                QVERIFY(QFile::rename(link, journal + QStringLiteral("/elsewhere.log")));
            QFile::remove(link);
            QVERIFY(QFile::link(target, link));
        },
        where == QLatin1String("remove") || where == QLatin1String("replace") ? 1 : 0);
    QCOMPARE(outcome.lost, 0);
    QCOMPARE(victim(outcome.afterUndo), victim(outcome.before));
    QCOMPARE(outcome.undo.exitCode, 1);
    if (where == QLatin1String("undone") || where == QLatin1String("journal.log")) {
        QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("refused"));
        QCOMPARE(outcome.afterUndo, outcome.afterRun);
    } else {
        QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("partly undone"));
        QVERIFY(QFileInfo(backupOf(outcome.journal, where)).isSymLink());
    }
}

// Undo of a journal whose run is still going: refused at once ("the run is still going"), exit 1,
// nothing changed, no mark; the dry check says the same. Once the run ends, undo goes.
void tst_HostileJournals::liveRun()
{
    JournalScratch scratch;
    const QString& journal = scratch.journal;
    makeTree(QString::fromLatin1(tree));
    const QStringList before = fullTreeState();
    Holder run(QStringLiteral("journal"), journal);
    QVERIFY(run.ready());
    const QStringList afterChange = fullTreeState();
    QVERIFY(afterChange != before);
    const StephostResult undo = scratch.undo();
    QCOMPARE(undo.exitCode, 1);
    QCOMPARE(undo.err, "stephost: " + journal.toUtf8() + ": the run is still going\n");
    const QJsonObject report = undo.report();
    QCOMPARE(report.value("status").toString(), QStringLiteral("refused"));
    QCOMPARE(report.value("message").toString(), QStringLiteral("the run is still going"));
    QCOMPARE(fullTreeState(), afterChange);
    QVERIFY(!QFileInfo::exists(journal + QStringLiteral("/undone")));
    QCOMPARE(journalState(journal), JournalState::Running);
    QCOMPARE(undoJournal(journal, UndoMode::DryRun).value("message").toString(),
             QStringLiteral("the run is still going"));
    run.release();
    const StephostResult after = scratch.undo();
    QVERIFY2(after.exitCode == 0, after.out.constData());
    QCOMPARE(fullTreeState(), before);
}

// Undo removes the temporary files of Qt's copy that a killed run left, never one another live
// process holds open. (Ours, locked by their writer, are liveCopy's.)
void tst_HostileJournals::liveTemporaryFiles()
{
    JournalScratch scratch;
    makeTree(QString::fromLatin1(tree));
    runLeaving(scratch.journal, {QStringLiteral("qt_temp.Dead02")});
    Holder copy(QStringLiteral("open"), QStringLiteral("qt_temp.Live01"));
    QVERIFY(copy.ready());
    QCOMPARE(undoJournal(scratch.journal).value("status").toString(), QStringLiteral("undone"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("qt_temp.Dead02")));
    QVERIFY(QFileInfo::exists(QStringLiteral("qt_temp.Live01")));
}

void tst_HostileJournals::liveCopy_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("target");
    QTest::newRow("to a new name") << QStringLiteral("copy") << QStringLiteral("copy.txt");
    QTest::newRow("over a file") << QStringLiteral("copy over") << QStringLiteral("b.txt");
}

// A copy of another process, stopped when its temporary file is complete and synced and has yet
// to take its name, in a folder that an undo of an ended run cleans up: the temporary file is
// locked, and undo removes the run's leftovers beside it but not it. The copy then ends well.
void tst_HostileJournals::liveCopy()
{
    QFETCH(QString, role);
    QFETCH(QString, target);
    JournalScratch scratch;
    const QString& journal = scratch.journal;
    makeTree(QString::fromLatin1(tree));
    runLeaving(journal, {QStringLiteral(".c.txt.fileoper-Dead01")});
    Holder copy(role, target);
    QVERIFY(copy.ready());
    const QString temporary = copy.held();
    QVERIFY2(QFileInfo(temporary).fileName().startsWith("." + target + ".fileoper-"),
             qPrintable(temporary));
    QCOMPARE(readFile(temporary), readFile(QStringLiteral("a.txt")));
    const int fd = ::open(QFile::encodeName(temporary).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const int locked = ::flock(fd, LOCK_EX | LOCK_NB);
    const int lockError = errno;
    ::close(fd);
    QCOMPARE(locked, -1);
    QCOMPARE(lockError, EWOULDBLOCK);

    const QJsonObject report = undoJournal(journal);
    QCOMPARE(report.value("status").toString(), QStringLiteral("undone"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("new.txt")));
    QVERIFY(!QFileInfo::exists(QStringLiteral(".c.txt.fileoper-Dead01")));
    QVERIFY(QFileInfo::exists(temporary));

    QCOMPARE(copy.release(), 0);
    QVERIFY(!QFileInfo::exists(temporary));
    QCOMPARE(readFile(target), readFile(QStringLiteral("a.txt")));
}

namespace
{

void waitForRelease()
{
    char buffer[16];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
}

// A copy of a.txt to `target`, held just before it takes its name: says "holding" and the
// temporary file's path. Exit code 0 when the copy then ends well.
int holdCopy(bool replacing, const QString& target)
{
    setCopyNamingHookForTesting([](const QString& temporary) {
        std::printf("holding %s\n", QFile::encodeName(temporary).constData());
        std::fflush(stdout);
        waitForRelease();
    });
    const QFileInfo source(QStringLiteral("a.txt"));
    QString error;
    const bool copied = replacing ? copyFileReplacing(source, target, &error)
                                  : copyFileWithoutReplacing(source, target, &error);
    if (!copied)
        std::fprintf(stderr, "copy failed: %s\n", qPrintable(error));
    return copied ? 0 : 1;
}

// The roles of Holder: each makes its change, says "holding", and keeps what it holds until its
// standard input closes.
int hold(const QString& role, const QString& path)
{
    std::unique_ptr<Journal> journal;
    int fd = -1;
    if (role == QLatin1String("journal")) {
        QString error;
        journal = Journal::create(path, &error);
        if (!journal || !journal->moveIntoJournal(QStringLiteral("c.txt")) ||
            !journal->willRename(QStringLiteral("a.txt"), QStringLiteral("a-new.txt")) ||
            !QFile::rename(QStringLiteral("a.txt"), QStringLiteral("a-new.txt")))
            return 1;
        journal->changeMade();
    } else if (role.startsWith(QLatin1String("copy"))) {
        return holdCopy(role == QLatin1String("copy over"), path);
    } else {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    }
    if (!journal && fd < 0)
        return 1;
    std::puts("holding");
    std::fflush(stdout);
    waitForRelease();
    if (fd >= 0)
        ::close(fd);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--hold") == 0) {
        QCoreApplication app(argc, argv);
        return hold(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    tst_HostileJournals test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilejournals.moc"
