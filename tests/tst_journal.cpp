#include "filetree.h"

#include "journal.h"
#include "undo.h"

#include <QJsonArray>
#include <QtTest>

#include <sys/stat.h>

// Changes written as "op:path[=content]" with "|" between them, each made through a journal the
// way a run makes it; "!" at the end stands for a run killed after the change but before its
// state was recorded.
namespace
{

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
        ok = journal.willCreate(path) && writeFile(path, content);
    } else if (op == QLatin1String("replace")) {
        ok = journal.moveIntoJournal(path) && journal.willCreate(path) && writeFile(path, content);
    } else if (op == QLatin1String("atomic")) {
        // A new file written beside the old one, then renamed over it.
        const QString temp = QFileInfo(path).path() + QStringLiteral("/.new.fileoper-Ab12cd");
        ok =
            writeFile(temp, content) && journal.willReplace(path) &&
            ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) == 0;
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
    void oneJournalPerFolder();
};

void tst_Journal::undo_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("left");
    const auto row = [](const char* tag, const char* before, const char* changes, const char* edits,
                        const char* after, int left) {
        QTest::newRow(tag) << QString::fromUtf8(before) << QString::fromUtf8(changes)
                           << QString::fromUtf8(edits) << QString::fromUtf8(after) << left;
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
    row("killed after an append", tree, "append:a.txt=more!", "", tree, 0);
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
    {
        QString error;
        std::unique_ptr<Journal> journal = Journal::create(journalFolder, &error);
        QVERIFY2(journal, qPrintable(error));
        for (const QString& change : entries(changes))
            makeChange(*journal, change);
    }
    editAfterRun(edits);
    // The dry check foretells the undo exactly and touches nothing.
    const QStringList beforeUndo = treeSnapshot();
    const QJsonObject foretold = undoJournal(journalFolder, UndoMode::DryRun);
    QCOMPARE(treeSnapshot(), beforeUndo);
    const QJsonObject report = undoJournal(journalFolder);
    QCOMPARE(foretold, report);
    QFETCH(QString, after);
    QCOMPARE(treeSnapshot(), sortedEntries(after));
    QTEST(int(report.value(QLatin1String("left")).toArray().size()), "left");
}

void tst_Journal::permissionBitsAndHardLinksComeBack()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt|b.txt|b2.txt=>b.txt|keep/"));
    QCOMPARE(::chmod("a.txt", 0640), 0);
    QString error;
    {
        std::unique_ptr<Journal> journal = Journal::create(QStringLiteral("keep/j"), &error);
        QVERIFY(journal);
        QVERIFY(makeChange(*journal, QStringLiteral("replace:a.txt=new")));
        QVERIFY(makeChange(*journal, QStringLiteral("rewrite:b.txt=new")));
    }
    QCOMPARE(undoJournal(QStringLiteral("keep/j")).value(QLatin1String("status")).toString(),
             QStringLiteral("undone"));
    QCOMPARE(readFile(QStringLiteral("b2.txt")), QByteArray("b.txt"));
    struct stat a, b, b2;
    QVERIFY(::stat("a.txt", &a) == 0 && ::stat("b.txt", &b) == 0 && ::stat("b2.txt", &b2) == 0);
    QCOMPARE(a.st_mode & 0777, mode_t(0640));
    QCOMPARE(b.st_ino, b2.st_ino);
}

void tst_Journal::undoneOnce()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt"));
    QString error;
    {
        std::unique_ptr<Journal> journal = Journal::create(QStringLiteral("j"), &error);
        QVERIFY(makeChange(*journal, QStringLiteral("rename:a.txt>b.txt")));
        QVERIFY(Journal::create(QStringLiteral("empty"), &error));
    }
    QCOMPARE(journalState(QStringLiteral("empty")), JournalState::NoChanges);
    QCOMPARE(journalState(QStringLiteral("j")), JournalState::Undoable);
    QCOMPARE(undoJournal(QStringLiteral("j")).value(QLatin1String("status")).toString(),
             QStringLiteral("undone"));
    QCOMPARE(journalState(QStringLiteral("j")), JournalState::Undone);
    QVERIFY(QFile::rename(QStringLiteral("a.txt"), QStringLiteral("b.txt")));
    QCOMPARE(undoJournal(QStringLiteral("j")).value(QLatin1String("status")).toString(),
             QStringLiteral("already undone"));
    QVERIFY(QFileInfo::exists(QStringLiteral("b.txt")));
    QCOMPARE(undoJournal(QStringLiteral("none")).value(QLatin1String("status")).toString(),
             QStringLiteral("no journal"));
    QCOMPARE(journalState(QStringLiteral("none")), JournalState::None);
}

void tst_Journal::oneJournalPerFolder()
{
    const ScratchCwd dir;
    QString error;
    QVERIFY(Journal::create(QStringLiteral("j"), &error));
    QVERIFY(!Journal::create(QStringLiteral("j"), &error));
    QVERIFY2(error.contains(QLatin1String("holds a journal already")), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_Journal)
#include "tst_journal.moc"
