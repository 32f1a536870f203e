// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// `stephost run --journal` then `stephost undo`: every path back as it was before the run, with
// its bytes, its type, its link target and its permission bits; and a path the user changed
// after the run is left alone and reported.

#include "journalfixtures.h"
#include "randomflows.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QtTest>

class tst_StephostUndo : public QObject
{
    Q_OBJECT

private slots:
    void undoRestoresTree_data();
    void undoRestoresTree();
    void unkeptFileIsLeft();
    void killedThenEdited_data();
    void killedThenEdited();
};

namespace
{

// Random flows over flowsTree: copies and moves under every clash policy, renames by every
// method, deletes, writes, appends and CSV writes.
QByteArray randomFlow(QRandomGenerator& random)
{
    static const RandomFlowPool pool{{"a.txt", "b.txt", "c.txt", "d/x.txt", "d/y.txt", "in/a.txt",
                                      "out/a.txt", "missing", "d", "link", "old.txt", "e/n.txt"},
                                     {"out", "d", "e", "out/deep", "in"},
                                     {"b", "new.txt", "a.txt"},
                                     {"file.copy", "file.move", "file.copy", "file.move",
                                      "file.rename", "file.delete", "file.write", "file.write",
                                      "file.writecsv"}};
    return randomFlow(random, pool);
}

// Builds the tree in a scratch folder, runs the flow with a journal beside it, takes the run
// back, and hands back the tree before the run and after the undo, and undo's report.
struct RunAndUndo {
    QStringList before;
    QStringList afterRun;
    QStringList afterUndo;
    StephostResult undo;
    StephostResult second; // undo run again
};

RunAndUndo runAndUndo(const QByteArray& flow, const std::function<void()>& betweenRunAndUndo = {})
{
    RunAndUndo result;
    JournalScratch scratch;
    makeTree(QString::fromLatin1(flowsTree));
    ::chmod("old.txt", 0444);
    ::chmod("c.txt", 0755);
    result.before = fullTreeState();
    const StephostResult run = scratch.run(flow);
    if (run.exitCode != 0)
        qWarning("run failed: %s", run.err.constData());
    result.afterRun = fullTreeState();
    if (betweenRunAndUndo)
        betweenRunAndUndo();
    result.undo = scratch.undo();
    result.afterUndo = fullTreeState();
    result.second = scratch.undo();
    return result;
}

QString differenceText(const QStringList& expected, const QStringList& actual)
{
    QStringList lines;
    for (const QString& line : expected) {
        if (!actual.contains(line))
            lines << QStringLiteral("- ") + line;
    }
    for (const QString& line : actual) {
        if (!expected.contains(line))
            lines << QStringLiteral("+ ") + line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void tst_StephostUndo::undoRestoresTree_data()
{
    QTest::addColumn<QByteArray>("flow");
    QDirIterator flows(QStringLiteral(FLOWS_DIR), {QStringLiteral("*.json")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (flows.hasNext()) {
        const QString path = flows.next();
        QTest::newRow(qPrintable(QDir(QStringLiteral(FLOWS_DIR)).relativeFilePath(path)))
            << readFile(path);
    }
    for (quint32 seed = 1; seed <= 60; ++seed) {
        QRandomGenerator random(seed);
        QTest::addRow("random %u", seed) << randomFlow(random);
    }
}

void tst_StephostUndo::undoRestoresTree()
{
    QFETCH(QByteArray, flow);
    const RunAndUndo outcome = runAndUndo(flow);
    QVERIFY2(outcome.afterUndo == outcome.before,
             qPrintable(differenceText(outcome.before, outcome.afterUndo)));
    QVERIFY2(outcome.undo.exitCode == 0, outcome.undo.out.constData());
    QCOMPARE(outcome.second.report().value("status").toString(), QStringLiteral("already undone"));
    QCOMPARE(outcome.second.exitCode, 0);
}

// A file the journal cannot take from a folder the user may not change is not deleted, and the
// run goes on: the journal itself is fine. Root moves files out of any folder; nobody does not.
void tst_StephostUndo::unkeptFileIsLeft()
{
    const ScratchCwd dir;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    QVERIFY(makeTree(QStringLiteral("ro/a.txt")));
    QCOMPARE(::chmod("ro", 0555), 0);
    QVERIFY(writeFile(QStringLiteral("flow.json"), R"({"steps": [
        {"type": "file.delete", "settings": {"files": "ro/a.txt"}},
        {"type": "file.write", "settings": {"filePath": "b.txt", "content": "written"}}]})"));
    StephostLimits limits;
    limits.unprivileged = true;
    qputenv("QT_LOGGING_RULES", "fileoper.delete.debug=true");
    const StephostResult run = runStephost({QStringLiteral("run"), QStringLiteral("flow.json"),
                                            QStringLiteral("--journal"), QStringLiteral("journal")},
                                           dir.path(), limits);
    qunsetenv("QT_LOGGING_RULES");
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("ro/a.txt: not deleted, ro/a.txt cannot be kept in the journal: "
                              "Permission denied"),
             run.err.constData());
    QCOMPARE(readFile(QStringLiteral("ro/a.txt")), QByteArray("ro/a.txt"));
    QCOMPARE(readFile(QStringLiteral("b.txt")), QByteArray("\xEF\xBB\xBFwritten"));
}

void tst_StephostUndo::killedThenEdited_data()
{
    QTest::addColumn<QString>("killedAfter"); // the change, as "op path"
    QTest::addColumn<QString>("edit");        // what the user then does to the path
    const auto row = [](const char* change, const char* edit) {
        QTest::addRow("%s, %s", change, edit)
            << QString::fromLatin1(change) << QString::fromLatin1(edit);
    };
    for (const char* change : {"create A.txt", "replace B.txt", "append C.txt"}) {
        for (const char* edit : {"none", "append", "rewrite in place", "rewrite", "delete"})
            row(change, edit);
    }
    row("remove E.txt", "none");
    row("remove E.txt", "create");
}

namespace
{

// The number of the record of the change `op` at `path` in the journal's log.
int recordOf(const QString& journal, const QString& op, const QString& path)
{
    for (const QJsonObject& record : journalRecords(journal)) {
        if (record.value("op").toString() == op && record.value("path").toString().endsWith(path))
            return record.value("seq").toInt();
    }
    return -1;
}

// What the user does to a file after the run: the file's bytes after it, null where it is gone.
QByteArray editAsUser(const QString& path, const QString& edit)
{
    const QByteArray mine = "the user's own words\n";
    if (edit == QLatin1String("none"))
        return QByteArray();
    if (edit == QLatin1String("delete")) {
        QFile::remove(path);
        return QByteArray();
    }
    if (edit == QLatin1String("rewrite")) {
        // As an editor saves: a new file renamed over the old one.
        writeFile(path + QStringLiteral(".new"), mine);
        QFile::remove(path);
        QFile::rename(path + QStringLiteral(".new"), path);
        return mine;
    }
    QFile file(path);
    const QIODevice::OpenMode how =
        edit == QLatin1String("append") ? QIODevice::Append : QIODevice::WriteOnly;
    if (!file.open(how) || file.write(mine) != mine.size())
        return "cannot be edited";
    file.close();
    return readFile(path);
}

} // namespace

// Killed right after one change, whatever records were still to come, then the user edits the
// path it changed: undo keeps every byte of the user's edit, where it stands or set aside in the
// journal and listed, and restores everything else. The kill comes at a chosen change, not after
// a wait.
void tst_StephostUndo::killedThenEdited()
{
    QFETCH(QString, killedAfter);
    QFETCH(QString, edit);
    const QString op = killedAfter.section(QLatin1Char(' '), 0, 0);
    const QString path = killedAfter.section(QLatin1Char(' '), 1);
    JournalScratch scratch;
    const QByteArray flow = R"({"steps": [
        {"type": "file.write", "settings": {"filePath": "A.txt", "content": "run A"}},
        {"type": "file.write", "settings": {"filePath": "B.txt", "content": "run B"}},
        {"type": "file.write", "settings": {"filePath": "C.txt", "content": "run C", "ifExist": 1}},
        {"type": "file.delete", "settings": {"files": "E.txt"}},
        {"type": "file.write", "settings": {"filePath": "F.txt", "content": "run F"}}]})";
    // The whole run first, to find the change's record; it is then taken back.
    const QString fullJournal = scratch.parent.filePath(QStringLiteral("full"));
    QVERIFY(makeTree(QStringLiteral("B.txt|C.txt|E.txt|other.txt")));
    const QStringList before = fullTreeState();
    QCOMPARE(scratch.run(flow, fullJournal).exitCode, 0);
    const int killAfter = recordOf(fullJournal, op, path);
    QVERIFY(killAfter > 0);
    QCOMPARE(scratch.undo(fullJournal).exitCode, 0);
    QCOMPARE(fullTreeState(), before);

    qputenv("FILEOPER_TEST_KILL_AFTER_CHANGE", QByteArray::number(killAfter));
    const StephostResult killed = scratch.run(flow);
    qunsetenv("FILEOPER_TEST_KILL_AFTER_CHANGE");
    QVERIFY2(killed.crashed, killed.err.constData());
    const QByteArray edited = editAsUser(path, edit);
    const StephostResult undo = scratch.undo();
    const QJsonObject report = undo.report();
    const QJsonArray left = report.value("left").toArray();
    QCOMPARE(undo.exitCode, left.isEmpty() ? 0 : 1);
    if (edit == QLatin1String("none")) {
        // Taken back whole; what cannot be told from an edit is set aside, and said so.
        QVERIFY2(fullTreeState() == before, qPrintable(differenceText(before, fullTreeState())));
        for (const QJsonValue& entry : left)
            QVERIFY(entry.toObject().contains("aside"));
        return;
    }

    // The user's bytes: at the path, or set aside and listed.
    bool found = edited.isNull() ? !QFileInfo::exists(path) : readFile(path) == edited;
    for (const QJsonValue& entry : left) {
        const QString aside = entry.toObject().value("aside").toString();
        if (entry.toObject().value("path").toString().endsWith(QLatin1Char('/') + path) &&
            !aside.isEmpty())
            found = found || readFile(aside) == edited;
    }
    QVERIFY2(found, QJsonDocument(report).toJson().constData());
    // Everything else as before the run.
    const QRegularExpression others(
        QStringLiteral("^(?!%1 )").arg(QRegularExpression::escape(path)));
    const auto without = [&others](const QStringList& tree) { return tree.filter(others); };
    QVERIFY2(without(fullTreeState()) == without(before),
             qPrintable(differenceText(without(before), without(fullTreeState()))));
}

QTEST_GUILESS_MAIN(tst_StephostUndo)

#include "tst_stephostundo.moc"
