// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// A flow's working folder, given by the host, stands in for the process's current folder: the
// same flow with relative paths gives the same texts and changes either way, plans and runs in
// different folders can overlap, and a flow that ends by an exception leaves nothing of itself
// for a later scope at the same address.
#include "filetree.h"

#include "flowscope.h"
#include "journalrun.h"
#include "jsonflow.h"
#include "plan.h"
#include "pluginhost.h"
#include "report.h"
#include "runner.h"

#include <fileplanning.h>
#include <operation.h>
#include <variablescope.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <QSemaphore>
#include <QtTest>

#include <functional>
#include <memory>
#include <thread>

namespace
{

const QString kFolder = QStringLiteral("@DIR@");

// The tree every flow starts from; `linked` leads into deep/inner, so "linked/.." is deep.
void makeFolderTree(const QString& folder)
{
    writeFile(folder + "/in/a.txt", "a");
    writeFile(folder + "/in/b.txt", "b\nsecond");
    writeFile(folder + "/in/table.csv", "id,名称\n1,\"a,b\"\n");
    writeFile(folder + "/deep/d.txt", "d");
    QDir(folder).mkpath(QStringLiteral("deep/inner"));
    QFile::link(QStringLiteral("deep/inner"), folder + "/linked");
}

// The tree below the folder, as filetree.h writes it.
QStringList snapshot(const QString& folder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    const QStringList tree = treeSnapshot();
    QDir::setCurrent(previous);
    return tree;
}

// A flow of tests/data/workingfolder.
QByteArray flowText(const char* name)
{
    return readFile(QStringLiteral(TEST_DATA_DIR "/workingfolder/") + QLatin1String(name));
}

enum class Mode { Run, Plan, Journal };

struct Outcome {
    QString report;
    QStringList tree;
    QString undo; // the undo report of a journaled run
};

// The flow run in `folder` (its files made first): with the process there when `workingFolder`
// is empty, else with the process in an empty folder of its own that must stay empty. Paths of
// the folder in what it reports become @DIR@.
Outcome runInFolder(const PluginHost& host, const QByteArray& json, Mode mode,
                    const QString& folder, const QString& workingFolder)
{
    makeFolderTree(folder);
    const QString real = QFileInfo(folder).canonicalFilePath();
    const QString journal = folder + ".journal";
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(workingFolder.isEmpty() ? folder : elsewhere.path());
    RunOptions options;
    options.workingFolder = workingFolder;
    Outcome outcome;
    try {
        const Flow flow = readJsonFlow(json, host);
        if (mode == Mode::Plan)
            outcome.report = QString::fromStdString(planReportText(planFlow(flow, host, options)));
        else if (mode == Mode::Journal)
            outcome.report =
                QString::fromStdString(reportText(runJournaledFlow(flow, host, journal, options)));
        else
            outcome.report = QString::fromStdString(reportText(runFlow(flow, host, options)));
    } catch (const FlowError& error) {
        outcome.report = error.message;
    }
    outcome.tree = snapshot(folder);
    if (mode == Mode::Journal) {
        const UndoResult undone = undoRun(journal);
        outcome.undo = QString::fromUtf8(QJsonDocument(undone.report).toJson());
        outcome.tree << QStringLiteral("after undo:") << snapshot(folder);
    }
    QDir::setCurrent(previous);
    if (!workingFolder.isEmpty() && !snapshot(elsewhere.path()).isEmpty())
        outcome.tree << "the process's folder was touched: " + snapshot(elsewhere.path()).join(' ');
    for (QString* text : {&outcome.report, &outcome.undo}) {
        text->replace(real, kFolder);
        text->replace(folder, kFolder);
    }
    return outcome;
}

// Step `index` of the flow, built as the host builds it, run in `scope`.
void runStepOf(const PluginHost& host, const Flow& flow, int index, VariableScope* scope)
{
    const std::unique_ptr<Operation> step(host.createStep(flow.steps.at(index)));
    step->setVariableScope(scope);
    step->doOperation();
}

struct Thrown {
};

// Two steps that each write a new file.
Flow twoWrites(const PluginHost& host)
{
    return readJsonFlow(R"({ "steps": [
        { "type": "file.write", "settings": { "filePath": "first.txt", "content": "1" } },
        { "type": "file.write", "settings": { "filePath": "second.txt", "content": "2" } } ] })",
                        host);
}

// A flow in `folder` that the host's own callback throws out of before its second step.
RunOptions thrownAtSecondStep(const QString& folder)
{
    RunOptions options;
    options.workingFolder = folder;
    options.stepStarted = [](int index, int, const Operation&) {
        if (index == 1)
            throw Thrown();
    };
    return options;
}

} // namespace

class tst_WorkingFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameAsProcessInFolder_data();
    void sameAsProcessInFolder();
    void planInOneFolderWhileRunInAnother_data();
    void planInOneFolderWhileRunInAnother();
    void thrownFlowLeavesNothingBehind();
    void thrownJournaledFlowEndsItsJournal();

private:
    PluginHost m_host;
};

void tst_WorkingFolder::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

void tst_WorkingFolder::sameAsProcessInFolder_data()
{
    QTest::addColumn<QByteArray>("flow");
    QTest::addColumn<bool>("throughLink"); // the working folder is given by a link to it

    // Every step, each with relative paths; then ".." after a link, which climbs from where the
    // link leads, while Qt cleans it away as text where it makes folders: both must happen as
    // they do with the process in the folder.
    const QByteArray allSteps = flowText("every-step.json");
    const QByteArray dotDot = flowText("dot-dot.json");
    QTest::newRow("every step") << allSteps << false;
    QTest::newRow("every step, the folder given by a link") << allSteps << true;
    QTest::newRow("dot-dot and links") << dotDot << false;
    QTest::newRow("dot-dot and links, the folder given by a link") << dotDot << true;
}

// The same flow, with the process in the folder and with the folder given to the run, in each of
// the three ways a host runs a flow.
void tst_WorkingFolder::sameAsProcessInFolder()
{
    QFETCH(QByteArray, flow);
    QFETCH(bool, throughLink);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const Mode mode : {Mode::Run, Mode::Plan, Mode::Journal}) {
        const QString tag = QString::number(int(mode));
        const Outcome inProcess = runInFolder(m_host, flow, mode, root.filePath("p" + tag), {});
        const QString given = root.filePath("g" + tag);
        QString workingFolder = given;
        if (throughLink) {
            QVERIFY(QDir().mkpath(given));
            workingFolder = root.filePath("link" + tag);
            QVERIFY(QFile::link(given, workingFolder));
        }
        const Outcome asGiven = runInFolder(m_host, flow, mode, given, workingFolder);
        QCOMPARE(asGiven.report, inProcess.report);
        QCOMPARE(asGiven.tree, inProcess.tree);
        QCOMPARE(asGiven.undo, inProcess.undo);
    }
}

void tst_WorkingFolder::planInOneFolderWhileRunInAnother_data()
{
    QTest::addColumn<bool>("planInsideRun"); // else the run goes while the plan is half made
    QTest::newRow("plan while a run waits between steps") << true;
    QTest::newRow("run while a plan waits between steps") << false;
}

// One thread plans in folder A while another runs in folder B, each stopped between two steps
// until the other is through: the plan sees A's files and changes nothing, the run changes B's
// only, and each gives what it gives alone.
void tst_WorkingFolder::planInOneFolderWhileRunInAnother()
{
    QFETCH(bool, planInsideRun);
    const QByteArray json = flowText("plan-and-run.json");
    const Flow flow = readJsonFlow(json, m_host);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString planFolder = root.filePath("A");
    const QString runFolder = root.filePath("B");
    makeFolderTree(planFolder);
    makeFolderTree(runFolder);
    const QStringList untouched = snapshot(planFolder);
    // Alone, for comparison.
    const QString planAlone =
        runInFolder(m_host, json, Mode::Plan, root.filePath("planAlone"), {}).report;
    const Outcome runAlone = runInFolder(m_host, json, Mode::Run, root.filePath("runAlone"), {});

    const QString processFolder = QDir::currentPath();
    QSemaphore outerWaits;
    QSemaphore innerDone;
    // The outer flow stops before its second step until the inner one has run in full.
    const auto pauseOuter = [&](int index, int, const Operation&) {
        if (index == 1) {
            outerWaits.release();
            innerDone.acquire();
        }
    };
    RunOptions planOptions;
    planOptions.workingFolder = planFolder;
    RunOptions runOptions;
    runOptions.workingFolder = runFolder;
    (planInsideRun ? runOptions : planOptions).stepStarted = pauseOuter;

    QString planned;
    QString ran;
    const std::function<void()> plan = [&] {
        planned = QString::fromStdString(planReportText(planFlow(flow, m_host, planOptions)));
    };
    const std::function<void()> run = [&] {
        ran = QString::fromStdString(reportText(runFlow(flow, m_host, runOptions)));
    };
    std::thread outer(planInsideRun ? run : plan);
    std::thread inner([&] {
        outerWaits.acquire();
        (planInsideRun ? plan : run)();
        innerDone.release();
    });
    outer.join();
    inner.join();

    QCOMPARE(planned.replace(planFolder, kFolder), planAlone);
    QCOMPARE(ran.replace(runFolder, kFolder), runAlone.report);
    QCOMPARE(snapshot(planFolder), untouched);
    QCOMPARE(snapshot(runFolder), runAlone.tree);
    QCOMPARE(QDir::currentPath(), processFolder);
}

// A flow that throws between its steps (here from the host's own callback) ends at once; its
// guard ends it for the plug-in too: a plan begun for its scope is gone, so a later flow with a
// scope at the same address changes the disk, with relative paths from the process's folder.
void tst_WorkingFolder::thrownFlowLeavesNothingBehind()
{
    ScratchCwd process;
    QVERIFY(process.isValid());
    QTemporaryDir given;
    QVERIFY(given.isValid());
    const Flow flow = twoWrites(m_host);
    auto* planner = qobject_cast<IFilePlanning*>(m_host.pluginInstance("file.write"));
    QVERIFY(planner);

    // One scope for both flows: the address a leftover would be found by.
    VariableScope scope;
    try {
        const FlowScope guard(flow, m_host, &scope, given.path());
        planner->planStep(&scope, 1);
        runStepOf(m_host, flow, 0, &scope);
        throw Thrown();
    } catch (const Thrown&) {
    }
    QVERIFY(!QFile::exists(given.filePath("first.txt")));
    QVERIFY(!QFile::exists(process.filePath("first.txt")));

    runStepOf(m_host, flow, 1, &scope);
    QCOMPARE(readFile(process.filePath("second.txt")), QByteArray("\xEF\xBB\xBF"
                                                                  "2"));
    QVERIFY(!QFile::exists(given.filePath("second.txt")));

    // Through the host's own functions: a plan thrown out of half-way leaves the next run alone.
    const RunOptions options = thrownAtSecondStep(given.path());
    QVERIFY_EXCEPTION_THROWN(planFlow(flow, m_host, options), Thrown);
    QVERIFY(!QFile::exists(given.filePath("first.txt")));
    const RunResult run = runFlow(flow, m_host);
    QVERIFY(QFile::exists(process.filePath("first.txt")));
    QVERIFY(run.log.isEmpty());
}

// A journaled run thrown out of half-way still ends its journal: the journal is no longer
// locked, and undo takes back the step that ran.
void tst_WorkingFolder::thrownJournaledFlowEndsItsJournal()
{
    QTemporaryDir given;
    QVERIFY(given.isValid());
    const Flow flow = twoWrites(m_host);
    const RunOptions options = thrownAtSecondStep(given.path());
    QVERIFY_EXCEPTION_THROWN(runJournaledFlow(flow, m_host, QStringLiteral("journal"), options),
                             Thrown);
    QVERIFY(QFile::exists(given.filePath("first.txt")));
    const UndoResult undone = undoRun(given.filePath("journal"));
    QVERIFY2(undone.complete, QJsonDocument(undone.report).toJson().constData());
    QVERIFY(!QFile::exists(given.filePath("first.txt")));
}

QTEST_GUILESS_MAIN(tst_WorkingFolder)
#include "tst_workingfolder.moc"
