// `stephost run --journal` then `stephost undo`: every path back as it was before the run, with
// its bytes, its type, its link target and its permission bits; and a path the user changed
// after the run is left alone and reported.

#include "filetree.h"

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
};

namespace
{

// Every entry below the current folder, links not followed: type, permission bits, and the bytes
// of a file or the target of a link.
QStringList fullTreeState()
{
    QStringList state;
    const QDir base(QStringLiteral("."));
    QDirIterator it(QStringLiteral("."),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            continue;
        const QFileInfo info(path);
        QString what = info.isSymLink() ? QStringLiteral("link to ") + info.symLinkTarget()
                       : info.isDir()   ? QStringLiteral("folder")
                                        : QString::fromLatin1(readFile(path).toHex());
        state << QStringLiteral("%1 %2 %3")
                     .arg(base.relativeFilePath(path))
                     .arg(status.st_mode, 0, 8)
                     .arg(what);
    }
    state.sort();
    return state;
}

// The files every flow under tests/flows names, plus a read-only file and an executable one.
const char* const kFlowTree = "in/a.txt|in/b.txt|in/report.final.csv|in/table.csv|in.csv|in.txt|"
                              "a.txt|b.txt|c.txt|present.txt|out.txt|old|sub/|link->a.txt|"
                              "old.txt|d/x.txt|d/y.txt|e/";

// A random flow over the tree above: copies and moves under every clash policy, renames by every
// method, deletes, writes, appends and CSV writes, naming files that are there, missing, or made
// by an earlier step.
QByteArray randomFlow(QRandomGenerator& random)
{
    const QStringList names{"a.txt",     "b.txt",   "c.txt", "d/x.txt", "d/y.txt", "in/a.txt",
                            "out/a.txt", "missing", "d",     "link",    "old.txt", "e/n.txt"};
    const auto pick = [&] { return names.at(random.bounded(names.size())); };
    const auto picks = [&] {
        QStringList list;
        for (int n = 1 + random.bounded(3); n > 0; --n)
            list << pick();
        return list.join(QLatin1Char('\n'));
    };
    const QStringList folders{"out", "d", "e", "out/deep", "in"};
    QJsonArray steps;
    for (int n = 3 + random.bounded(5); n > 0; --n) {
        QJsonObject settings;
        QString type;
        switch (random.bounded(7)) {
        case 0:
        case 1:
            type = random.bounded(2) ? "file.copy" : "file.move";
            settings = {{"files", picks()},
                        {"destDir", folders.at(random.bounded(folders.size()))},
                        {"ifExist", random.bounded(3)},
                        {"listVar", "list"}};
            break;
        case 2:
            type = "file.rename";
            settings = {{"files", picks()},         {"mode", random.bounded(6)},
                        {"newName", "b"},           {"addText", "-1"},
                        {"delText", "a"},           {"oldText", "x"},
                        {"newText", "y"},           {"newExt", random.bounded(2) ? "md" : ""},
                        {"sep", random.bounded(5)}, {"ifNewExist", random.bounded(2)},
                        {"newList", "list"}};
            break;
        case 3:
            type = "file.delete";
            settings = {{"files", picks()}, {"deletedList", "list"}};
            break;
        case 4:
        case 5:
            type = "file.write";
            settings = {{"filePath", pick()}, {"content", "文字"}, {"ifExist", random.bounded(2)}};
            break;
        default:
            type = "file.writecsv";
            settings = {
                {"sourceVar", "table"}, {"filePath", pick()}, {"ifExist", random.bounded(3)}};
            break;
        }
        steps.append(QJsonObject{{"type", type}, {"settings", settings}});
    }
    const QJsonObject variables{
        {"list", QJsonObject{{"type", "list"}}},
        {"table", QJsonObject{{"type", "datatable"}, {"value", "[[\"1\",\"a,b\"]]"}}}};
    return QJsonDocument(QJsonObject{{"variables", variables}, {"steps", steps}}).toJson();
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
    makeTree(QString::fromLatin1(kFlowTree));
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
    QCOMPARE(outcome.undoExit, 0);
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

QTEST_GUILESS_MAIN(tst_StephostUndo)

#include "tst_stephostundo.moc"
