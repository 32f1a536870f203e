// `stephost run --journal` then `stephost undo`: every path back as it was before the run, with
// its bytes, its type, its link target and its permission bits; and a path the user changed
// after the run is left alone and reported.

#include "filetree.h"
#include "randomflows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

class tst_StephostUndo : public QObject
{
    Q_OBJECT

private slots:
    void undoRestoresTree_data();
    void undoRestoresTree();
    void userChangeIsLeft();
    void unkeptFileIsLeft();
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
    QJsonObject report;
    int undoExit = -1;
    QJsonObject secondReport; // of undo run again
    int secondExit = -1;
};

RunAndUndo runAndUndo(const QByteArray& flow, const std::function<void()>& betweenRunAndUndo = {})
{
    RunAndUndo result;
    const QTemporaryDir journalParent;
    const QString journal = journalParent.filePath(QStringLiteral("journal"));
    const ScratchCwd dir;
    makeTree(QString::fromLatin1(flowsTree));
    ::chmod("old.txt", 0444);
    ::chmod("c.txt", 0755);
    result.before = fullTreeState();
    const QString flowFile = journalParent.filePath(QStringLiteral("flow.json"));
    writeFile(flowFile, flow);
    const StephostResult run = runStephost(
        {QStringLiteral("run"), flowFile, QStringLiteral("--journal"), journal}, dir.path());
    if (run.exitCode != 0)
        qWarning("run failed: %s", run.err.constData());
    result.afterRun = fullTreeState();
    if (betweenRunAndUndo)
        betweenRunAndUndo();
    const StephostResult undo = runStephost({QStringLiteral("undo"), journal}, dir.path());
    result.undoExit = undo.exitCode;
    result.report = QJsonDocument::fromJson(undo.out).object();
    result.afterUndo = fullTreeState();
    const StephostResult again = runStephost({QStringLiteral("undo"), journal}, dir.path());
    result.secondExit = again.exitCode;
    result.secondReport = QJsonDocument::fromJson(again.out).object();
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
    QVERIFY2(outcome.undoExit == 0, QJsonDocument(outcome.report).toJson().constData());
    QCOMPARE(outcome.secondReport.value("status").toString(), QStringLiteral("already undone"));
}

// The user edits a renamed file after the run: undo takes back everything else, keeps that file
// as the user left it, reports it and exits 1. A second undo does nothing and says so.
void tst_StephostUndo::userChangeIsLeft()
{
    const QByteArray flow = R"({"steps": [
        {"type": "file.rename", "settings": {"files": "a.txt\nb.txt", "mode": 1, "addText": "-new"}},
        {"type": "file.delete", "settings": {"files": "c.txt"}}]})";
    const RunAndUndo outcome = runAndUndo(flow, [] { writeFile("a-new.txt", "edited"); });
    QVERIFY(outcome.afterRun.join('\n').contains("a-new.txt"));
    QCOMPARE(outcome.undoExit, 1);
    QStringList expected = outcome.before;
    expected.replaceInStrings(QRegularExpression("^a\\.txt .*"),
                              QStringLiteral("a-new.txt 100644 ") +
                                  QString::fromLatin1(QByteArray("edited").toHex()));
    expected.sort();
    QVERIFY2(outcome.afterUndo == expected,
             qPrintable(differenceText(expected, outcome.afterUndo)));
    const QJsonArray left = outcome.report.value("left").toArray();
    QCOMPARE(left.size(), 1);
    QVERIFY(left.at(0).toObject().value("path").toString().endsWith("/a-new.txt"));
    QCOMPARE(outcome.report.value("status").toString(), QStringLiteral("partly undone"));
    QCOMPARE(outcome.secondReport.value("status").toString(), QStringLiteral("already undone"));
    QCOMPARE(outcome.secondExit, 0);
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

QTEST_GUILESS_MAIN(tst_StephostUndo)

#include "tst_stephostundo.moc"
