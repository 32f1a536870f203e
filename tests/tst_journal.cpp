// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalfixtures.h"

#include "journal.h"
#include "undo.h"

#include <QJsonArray>

// Changes written as "op:path[=content]" with "|" between them, each made through a journal the
// way a run makes it; "!" at the end stands for a run killed after the change but before its
// state was recorded.
namespace
{

// A new file made complete beside its path, its state recorded, then renamed to the path.
bool putInPlace(Journal& journal, const QString& path, const QByteArray& content)
{
    const QString temp = QFileInfo(path).path() + QStringLiteral("/.new.fileoper-Ab12cd");
    return writeFile(temp, content) && journal.willPutInPlace(temp) &&
           ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) == 0;
}

bool makeChange(Journal& journal, QString change)
{
    const bool killed = change.endsWith(QLatin1Char('!'));
    if (killed)
        change.chop(1);
    const QString op = change.section(QLatin1Char(':'), 0, 0);
    const QString rest = change.section(QLatin1Char(':'), 1);
    const QString path = rest.section(QLatin1Char('='), 0, 0).section(QLatin1Char('>'), 0, 0);
    const QByteArray content = rest.section(QLatin1Char('='), 1).toUtf8();
    bool ok = false;
    if (op == QLatin1String("mkdir")) {
        ok = journal.willMakeFolder(path) && QDir().mkdir(path);
    } else if (op == QLatin1String("create")) {
        ok = journal.willCreate(path) && putInPlace(journal, path, content);
    } else if (op == QLatin1String("createInPlace")) {
        ok = journal.willCreate(path) && writeFile(path, content);
    } else if (op == QLatin1String("replace")) {
        ok = journal.moveIntoJournal(path) && journal.willCreate(path) &&
             putInPlace(journal, path, content);
    } else if (op == QLatin1String("atomic")) {
        // A new file written beside the old one, then renamed over it.
        ok = journal.willReplace(path) && putInPlace(journal, path, content);
    } else if (op == QLatin1String("leftover") || op == QLatin1String("begun")) {
        // What a writer killed half-way leaves beside its target: after other changes, or as the
        // first sign of a replacement.
        ok = (op == QLatin1String("begun")
                  ? journal.willWriteBeside(path)
                  : journal.willCreate(path + QStringLiteral(".partial"))) &&
             writeFile(QFileInfo(path).path() + QStringLiteral("/.") + QFileInfo(path).fileName() +
                           QStringLiteral(".fileoper-x1Y2z3"),
                       content);
    } else if (op == QLatin1String("rename")) {
        const QString to = rest.section(QLatin1Char('>'), 1);
        ok = journal.willRename(path, to) && QFile::rename(path, to);
    } else if (op == QLatin1String("remove")) {
        ok = journal.moveIntoJournal(path);
    } else if (op == QLatin1String("append")) {
        QFile file(path);
        ok = journal.willAppend(path) && file.open(QIODevice::Append) &&
             file.write(content) == content.size();
    } else if (op == QLatin1String("rewrite")) {
        QFile file(path);
        ok = journal.willRewriteInPlace(path) && file.open(QIODevice::WriteOnly) &&
             file.write(content) == content.size();
    }
    if (!killed && ok)
        journal.changeMade();
    return ok;
}

// Makes the changes through a journal in `folder` as a run would, and ends the run: the number of
// changes that failed, or -1 when there was no journal.
int recordRun(const QString& folder, const QString& changes)
{
    QString error;
    std::unique_ptr<Journal> journal = Journal::create(folder, &error);
    if (!journal)
        return -1;
    int failed = 0;
    for (const QString& change : entries(changes))
        failed += makeChange(*journal, change) ? 0 : 1;
    return failed;
}

QString undoStatus(const QString& folder, UndoMode mode = UndoMode::Apply)
{
    return undoJournal(folder, mode).value(QLatin1String("status")).toString();
}

// Files written after the run, by somebody else; a second later, as a person would.
void editAfterRun(const QString& edits)
{
    for (const QString& edit : entries(edits)) {
        const QString path = edit.section(QLatin1Char('='), 0, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(edit.section(QLatin1Char('='), 1).toUtf8());
    }
}

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT

private slots:
    void undo_data();
    void undo();
    void permissionBitsAndHardLinksComeBack();
    void undoneOnce();
    void emptyFolderIsTakenPrivate();
    void everyLineNumbered();
    void otherVersionRefused_data();
    void otherVersionRefused();
    void killedTailIsNoDamage();
    void privateWhateverTheUmask_data();
    void privateWhateverTheUmask();
};

void tst_Journal::undo_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("aside"); // what undo set aside in the journal, oldest first
    const auto row = [](const char* tag, const char* before, const char* changes, const char* edits,
                        const char* after, int left, const char* aside = "") {
        QTest::newRow(tag) << QString::fromUtf8(before) << QString::fromUtf8(changes)
                           << QString::fromUtf8(edits) << QString::fromUtf8(after) << left
                           << QString::fromUtf8(aside);
    };

    const char* tree = "a.txt|b.txt|d/c.txt";
    row("nothing changed", tree, "", "", tree, 0);
    row("folder and copy", tree, "mkdir:out|create:out/a.txt=a.txt", "", tree, 0);
    row("renames in a chain", tree, "rename:b.txt>c.txt|rename:a.txt>b.txt", "", tree, 0);
    row("swap through a third name", tree, "rename:a.txt>t|rename:b.txt>a.txt|rename:t>b.txt", "",
        tree, 0);
    // Names the journal's lines must quote: quotes, backslashes, control characters, CJK.
    const char* oddNames = "q\"1.txt|b\\s.txt|n\nl.txt|\x01.txt|文件.txt";
    row("odd names", oddNames,
        "rename:q\"1.txt>\\\"\t.txt|rename:n\nl.txt>文\x1f.txt|remove:b\\s.txt|"
        "rename:文件.txt>\x01\x02.txt|mkdir:目录\"\\",
        "", oddNames, 0);
    row("move into a new folder", tree, "mkdir:m|rename:d/c.txt>m/c.txt", "", tree, 0);
    row("delete", tree, "remove:a.txt|remove:d/c.txt", "", tree, 0);
    row("replace", tree, "replace:a.txt=new", "", tree, 0);
    row("rename over a target", tree, "remove:b.txt|rename:a.txt>b.txt", "", tree, 0);
    row("append", tree, "append:a.txt=more|append:a.txt=again", "", tree, 0);
    row("rewrite in place", tree, "rewrite:a.txt=new", "", tree, 0);
    row("replaced by a rename over it", tree, "atomic:a.txt=new|atomic:d/c.txt=new", "", tree, 0);
    row("killed while writing a replacement", tree, "mkdir:out|leftover:out/a.txt=half", "", tree,
        0);
    row("killed as a replacement was begun", tree, "begun:d/c.txt=half!", "", tree, 0);
    // Killed after the change, before its state was recorded: taken back all the same.
    row("killed after a copy", tree, "mkdir:out|create:out/a.txt=a.txt!", "", tree, 0);
    row("killed after a rename", tree, "rename:a.txt>z.txt!", "", tree, 0);
    row("killed after a replace", tree, "atomic:a.txt=new!", "", tree, 0);
    // Bytes written where they stand, their end not recorded, cannot be told from an edit made
    // since: they are set aside in the journal, and the path restored.
    row("killed after an append", tree, "append:a.txt=more!", "", tree, 1, "a.txtmore");
    row("killed after a rewrite in place", tree, "rewrite:a.txt=new!", "", tree, 1, "new");
    row("killed after a file made in place", tree, "createInPlace:n.txt=new!", "", tree, 1, "new");
    // Killed right after a change, then edited by the user: the edit is never lost.
    row("killed after a copy, edited", tree, "mkdir:out|create:out/a.txt=a.txt!", "out/a.txt=!",
        "a.txt|b.txt|d/c.txt|out/a.txt=a.txt!", 2);
    row("killed after a replace, edited", tree, "atomic:a.txt=new!", "a.txt=!",
        "a.txt=new!|b.txt|d/c.txt", 1);
    row("killed after an append, edited", tree, "append:a.txt=more!", "a.txt=!", tree, 1,
        "a.txtmore!");
    row("killed after a rewrite in place, edited", tree, "rewrite:a.txt=new!", "a.txt=!", tree, 1,
        "new!");
    row("killed after a rename, edited", tree, "rename:a.txt>z.txt!", "z.txt=!",
        "b.txt|d/c.txt|z.txt=a.txt!", 1);
    row("killed after a delete, name taken", tree, "remove:a.txt!", "a.txt=mine",
        "a.txt=mine|b.txt|d/c.txt", 1);
    // Killed after the record, before the change, or the change refused: nothing to take back.
    row("a change that never happened", tree, "remove:none.txt", "", tree, 0);
    row("a rename refused for a clash", tree, "rename:a.txt>b.txt|rename:b.txt>e.txt", "", tree, 0);
    // The user's own later changes are kept, and said so; the rest is taken back.
    row("renamed file edited since", tree, "rename:a.txt>x.txt|rename:b.txt>y.txt", "x.txt=!",
        "b.txt|d/c.txt|x.txt=a.txt!", 1);
    row("copy edited since", tree, "mkdir:out|create:out/a.txt=a.txt", "out/a.txt=!",
        "a.txt|b.txt|d/c.txt|out/a.txt=a.txt!", 2);
    row("deleted name taken again", tree, "remove:a.txt", "a.txt=mine", "a.txt=mine|b.txt|d/c.txt",
        1);
    row("replaced file edited since", tree, "atomic:a.txt=new", "a.txt=!",
        "a.txt=new!|b.txt|d/c.txt", 1);
    row("appended file edited since", tree, "append:a.txt=more", "a.txt=!",
        "a.txt=a.txtmore!|b.txt|d/c.txt", 1);
}

void tst_Journal::undo()
{
    QFETCH(QString, before);
    QFETCH(QString, changes);
    QFETCH(QString, edits);
    const ScratchCwd dir;
    QVERIFY(makeTree(before));
    // Kept apart from the tree the run changes, as a journal usually is.
    const QTemporaryDir journalDir;
    const QString journalFolder = journalDir.filePath(QStringLiteral("j"));
    QVERIFY(recordRun(journalFolder, changes) >= 0);
    editAfterRun(edits);
    // The dry check foretells the undo exactly and touches nothing.
    const QStringList beforeUndo = treeSnapshot();
    const QJsonObject foretold = undoJournal(journalFolder, UndoMode::DryRun);
    QCOMPARE(treeSnapshot(), beforeUndo);
    const QJsonObject report = undoJournal(journalFolder);
    QCOMPARE(foretold, report);
    QFETCH(QString, after);
    QVERIFY2(treeSnapshot() == sortedEntries(after), QJsonDocument(report).toJson().constData());
    QTEST(int(report.value(QLatin1String("left")).toArray().size()), "left");
    QFETCH(int, left);
    QCOMPARE(report.value(QLatin1String("status")).toString(),
             left == 0 ? QStringLiteral("undone") : QStringLiteral("partly undone"));
    QStringList aside;
    for (const QJsonValue& left : report.value(QLatin1String("left")).toArray()) {
        const QString asidePath = left.toObject().value(QLatin1String("aside")).toString();
        if (!asidePath.isEmpty())
            aside.prepend(QString::fromUtf8(readFile(asidePath)));
    }
    QTEST(aside.join(QLatin1Char('|')), "aside");
}

void tst_Journal::permissionBitsAndHardLinksComeBack()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt|b.txt|b2.txt=>b.txt|keep/"));
    QCOMPARE(::chmod("a.txt", 0640), 0);
    QCOMPARE(
        recordRun(QStringLiteral("keep/j"), QStringLiteral("replace:a.txt=new|rewrite:b.txt=new")),
        0);
    QCOMPARE(undoStatus(QStringLiteral("keep/j")), QStringLiteral("undone"));
    QCOMPARE(readFile(QStringLiteral("b2.txt")), QByteArray("b.txt"));
    QCOMPARE(modeOf(QStringLiteral("a.txt")), mode_t(0640));
    struct stat b, b2;
    QVERIFY(::stat("b.txt", &b) == 0 && ::stat("b2.txt", &b2) == 0);
    QCOMPARE(b.st_ino, b2.st_ino);
}

void tst_Journal::undoneOnce()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt"));
    QCOMPARE(recordRun(QStringLiteral("j"), QStringLiteral("rename:a.txt>b.txt")), 0);
    QCOMPARE(recordRun(QStringLiteral("empty"), QString()), 0);
    QCOMPARE(journalState(QStringLiteral("empty")), JournalState::NoChanges);
    QCOMPARE(journalState(QStringLiteral("j")), JournalState::Undoable);
    QCOMPARE(undoStatus(QStringLiteral("j")), QStringLiteral("undone"));
    QCOMPARE(journalState(QStringLiteral("j")), JournalState::Undone);
    QVERIFY(QFile::rename(QStringLiteral("a.txt"), QStringLiteral("b.txt")));
    QCOMPARE(undoStatus(QStringLiteral("j")), QStringLiteral("already undone"));
    QVERIFY(QFileInfo::exists(QStringLiteral("b.txt")));
    QCOMPARE(undoStatus(QStringLiteral("none")), QStringLiteral("no journal"));
    QCOMPARE(journalState(QStringLiteral("none")), JournalState::None);
}

// An empty folder of the user's is taken, and made private.
void tst_Journal::emptyFolderIsTakenPrivate()
{
    const ScratchCwd dir;
    QString error;
    QVERIFY(QDir().mkdir(QStringLiteral("empty")));
    QCOMPARE(::chmod("empty", 0755), 0);
    QVERIFY2(Journal::create(QStringLiteral("empty"), &error), qPrintable(error));
    QCOMPARE(modeOf(QStringLiteral("empty")), mode_t(0700));
}

namespace
{

// A journal of one change of each kind that keeps a backup or records its end.
void journalOfEveryKind(const QString& folder)
{
    QVERIFY(makeTree("a.txt|b.txt|c.txt|d.txt|e.txt=>d.txt"));
    QCOMPARE(recordRun(folder, "remove:a.txt|atomic:b.txt=new|rename:c.txt>c2.txt|"
                               "create:n.txt=made|append:c2.txt=more|rewrite:d.txt=new|mkdir:f"),
             0);
}

} // namespace

// Every line carries its number, one after the other from the start record (which names the
// format); a done or kept record names its change by number and by the digest of its line.
void tst_Journal::everyLineNumbered()
{
    const ScratchCwd dir;
    journalOfEveryKind(QStringLiteral("j"));
    const QList<QByteArray> lines = journalLines(QStringLiteral("j"));
    const QList<QJsonObject> records = journalRecords(QStringLiteral("j"));
    QCOMPARE(records.first().value("op").toString(), QStringLiteral("start"));
    QCOMPARE(records.first().value("version").toInt(), 2);
    QHash<int, QByteArray> digests;
    int kept = 0;
    int done = 0;
    for (int i = 0; i < records.size(); ++i) {
        const QJsonObject& record = records.at(i);
        QCOMPARE(record.value("seq").toInt(), i + 1);
        if (record.contains("op")) {
            digests.insert(i + 1, journalRecordDigest(lines.at(i)));
            continue;
        }
        const char* key = "ready";
        for (const char* end : {"done", "kept", "failed"}) {
            if (record.contains(QLatin1String(end)))
                key = end;
        }
        const int change = record.value(QLatin1String(key)).toInt();
        QCOMPARE(record.value("of").toString().toLatin1(), digests.value(change));
        QCOMPARE(record.value("path").toString(), records.at(change - 1).value("path").toString());
        done += qstrcmp(key, "done") == 0 ? 1 : 0;
        kept += qstrcmp(key, "kept") == 0 ? 1 : 0;
    }
    QCOMPARE(done, 6);
    QCOMPARE(kept, 3); // the removed file, the rewritten one's copy, the replaced one at the end
    QCOMPARE(undoStatus(QStringLiteral("j")), QStringLiteral("undone"));
    QCOMPARE(treeSnapshot(), sortedEntries("a.txt|b.txt|c.txt|d.txt|e.txt=d.txt|j/backup/|"
                                           "j/journal.log=" +
                                           QString::fromUtf8(readFile("j/journal.log")) +
                                           "|j/undone=" + QString::fromUtf8(readFile("j/undone"))));
}

void tst_Journal::otherVersionRefused_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QString>("version");
    QTest::newRow("newer") << QByteArray(R"({"op":"start","time":1,"version":3,"seq":1})") << "3";
    QTest::newRow("none") << QByteArray(R"({"op":"start","time":1,"seq":1})") << "1";
}

// A log of another format is not read at all: refused with a line that says why, nothing changed,
// no mark.
void tst_Journal::otherVersionRefused()
{
    QFETCH(QByteArray, start);
    QFETCH(QString, version);
    const ScratchCwd dir;
    journalOfEveryKind(QStringLiteral("j"));
    QList<QByteArray> lines = readFile(journalLogPath(QStringLiteral("j"))).split('\n');
    lines[0] = start;
    QVERIFY(writeFile(journalLogPath(QStringLiteral("j")), lines.join('\n')));
    const QStringList before = treeSnapshot();
    const QJsonObject report = undoJournal(QStringLiteral("j"));
    QCOMPARE(report.value("status").toString(), QStringLiteral("refused"));
    QCOMPARE(report.value("message").toString(),
             QStringLiteral("the journal in %1 is of format version %2, which this undo does not "
                            "read (it reads version 2); nothing was changed")
                 .arg(dir.filePath(QStringLiteral("j")), version));
    QCOMPARE(treeSnapshot(), before);
}

// A line cut short at the very end, zeros after it, is where a killed writer stopped: no damage.
// The same line anywhere else is.
void tst_Journal::killedTailIsNoDamage()
{
    const ScratchCwd dir;
    journalOfEveryKind(QStringLiteral("j"));
    QByteArray log = readFile(journalLogPath(QStringLiteral("j")));
    const QByteArray torn = R"({"op":"create","path":"/x","se)";
    QVERIFY(writeFile(journalLogPath(QStringLiteral("j")), log + torn + QByteArray(4096, '\0')));
    QJsonObject report = undoJournal(QStringLiteral("j"), UndoMode::DryRun);
    QCOMPARE(report.value("status").toString(), QStringLiteral("undone"));
    QVERIFY(!report.contains("damaged"));
    const int second = log.indexOf('\n') + 1;
    log.insert(second, torn + '\n');
    QVERIFY(writeFile(journalLogPath(QStringLiteral("j")), log));
    report = undoJournal(QStringLiteral("j"), UndoMode::DryRun);
    QCOMPARE(report.value("status").toString(), QStringLiteral("partly undone"));
    QCOMPARE(report.value("damaged").toArray().first().toObject().value("reason").toString(),
             QStringLiteral("line 2 cannot be read"));
}

void tst_Journal::privateWhateverTheUmask_data()
{
    QTest::addColumn<int>("umask");
    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 777") << 0777;
}

// The journal folder, backup/ and all in them, the mark of an undo included, are the user's
// alone; undo gives a file back its mode.
void tst_Journal::privateWhateverTheUmask()
{
    QFETCH(int, umask);
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt|b.txt|c.txt"));
    QCOMPARE(::chmod("a.txt", 0644), 0);
    const mode_t previous = ::umask(mode_t(umask));
    const int failed = recordRun("j", "remove:a.txt|rewrite:b.txt=new|atomic:c.txt=new");
    ::umask(previous);
    QCOMPARE(failed, 0);
    QStringList paths{"j"};
    QDirIterator all("j", QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                     QDirIterator::Subdirectories);
    while (all.hasNext())
        paths << all.next();
    QVERIFY2(paths.size() >= 5, qPrintable(paths.join(QLatin1Char(' '))));
    for (const QString& path : qAsConst(paths))
        QCOMPARE(path + ' ' + QString::number(modeOf(path), 8),
                 path + (QFileInfo(path).isDir() ? " 700" : " 600"));
    ::umask(mode_t(umask));
    const QString status = undoStatus(QStringLiteral("j"));
    ::umask(previous);
    QCOMPARE(status, QStringLiteral("undone"));
    QCOMPARE(modeOf(QStringLiteral("j/undone")), mode_t(0600));
    QCOMPARE(modeOf(QStringLiteral("a.txt")), mode_t(0644));
}

QTEST_GUILESS_MAIN(tst_Journal)
#include "tst_journal.moc"
