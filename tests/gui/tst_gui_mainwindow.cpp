// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window: editing the flow list; a flow built, saved and opened again runs to the report
// `stephost run` gives for the file, in the flow's folder; settings naming undeclared variables
// are marked; edits are undone; steps are dropped from the palette; a run stops between steps.
#include "flowmodel.h"
#include "flowview.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "palettemodel.h"
#include "propertypanel.h"
#include "runjob.h"
#include "runtoend.h"
#include "testsupport.h"
#include "variablesmodel.h"
#include "windowtest.h"

#include <operation.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

Q_DECLARE_METATYPE(FlowFormat)

class tst_GuiMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }
    void flowListAddsRemovesAndReorders();
    void savedFlowRunsAsStephostRunsIt_data();
    void savedFlowRunsAsStephostRunsIt();
    void runResolvesPathsInTheFlowsFolder();
    void undeclaredVariablesAreMarkedBeforeTheRun();
    void removalIsUndoneAndTypingIsOneChange();
    void stepsAreDroppedFromThePaletteAndWithinTheFlow();
    void stopEndsTheRunBetweenSteps();
    void nameAndNoteHeadTheFlow();

private:
    void typeInto(MainWindow& window, const char* property, const QString& text);
    void addWriteSteps(MainWindow& window, const QStringList& files);
    PluginHost m_host;
    QTemporaryDir m_dir;
    QString m_previousDir;
};

void tst_GuiMainWindow::initTestCase()
{
    loadPlugin(m_host);
    // Relative paths resolve against the working directory, in the window as in stephost.
    m_previousDir = QDir::currentPath();
    QVERIFY(m_dir.isValid() && QDir::setCurrent(m_dir.path()));
    // The runs' journals go to the user's data folder, which Qt's test mode puts under HOME.
    qputenv("HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
}

void tst_GuiMainWindow::typeInto(MainWindow& window, const char* property, const QString& text)
{
    PropertyPanel* panel = window.propertyPanel();
    auto* line = qobject_cast<QLineEdit*>(panel->editor(panel->rowOf(property)));
    QVERIFY2(line, property);
    line->clear();
    line->insert(text); // as typing does; keyClicks types ASCII only
}

// Steps that each write "x" into one of the files.
void tst_GuiMainWindow::addWriteSteps(MainWindow& window, const QStringList& files)
{
    for (const QString& file : files) {
        window.addStep(QStringLiteral("file.write"));
        typeInto(window, "filePath", file);
        typeInto(window, "content", QStringLiteral("x"));
    }
}

void tst_GuiMainWindow::flowListAddsRemovesAndReorders()
{
    MainWindow window(m_host);
    FlowModel* flow = window.flowModel();
    QCOMPARE(window.addStep(QStringLiteral("file.none")), -1);
    for (const char* name : {"a", "b", "报告.txt"}) {
        window.addStep(QStringLiteral("file.exists"));
        typeInto(window, "fileName", QString::fromUtf8(name));
    }
    auto names = [&]() {
        QStringList result;
        for (int row = 0; row < flow->rowCount(); ++row)
            result.append(flow->step(row)->property("fileName").toString());
        return result.join(' ');
    };
    QCOMPARE(names(), QStringLiteral("a b 报告.txt"));
    // A row's text is tst_gui_flowcheck's; its tool tip is the step's description.
    QCOMPARE(flow->index(2).data(Qt::ToolTipRole).toString(), flow->step(2)->description());
    // A new step goes after the selected one and becomes the selected one.
    window.selectStep(0);
    QCOMPARE(window.addStep(QStringLiteral("file.exists")), 1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(1));
    flow->removeStep(1);
    QVERIFY(flow->moveStep(0, 2));
    QCOMPARE(names(), QStringLiteral("b 报告.txt a"));
    QVERIFY(!flow->moveStep(2, 3));
    // The panel lets go of the step on show before it is deleted, and shows the next one.
    window.selectStep(1);
    flow->removeStep(1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(window.selectedStep()));
    QCOMPARE(names(), QStringLiteral("b a"));
    QCOMPARE(flow->flowSteps().size(), 2);
}

void tst_GuiMainWindow::savedFlowRunsAsStephostRunsIt_data()
{
    QTest::addColumn<FlowFormat>("format");
    QTest::addColumn<QString>("file");
    QTest::newRow("json") << FlowFormat::Json << "flow.json";
    QTest::newRow("binary") << FlowFormat::Binary << "flow.stepflow";
}

void tst_GuiMainWindow::savedFlowRunsAsStephostRunsIt()
{
    QFETCH(FlowFormat, format);
    QFETCH(QString, file);
    QVERIFY(writeFile(QStringLiteral("present.txt"), "here"));
    MainWindow window(m_host);
    // One step of every palette type, named and drawn from its SVG icon (opaque in the middle).
    const QStandardItem* category = window.palette()->item(0);
    QCOMPARE(category->rowCount(), m_host.plugins().first().prototypes.size());
    for (int row = 0; row < category->rowCount(); ++row) {
        const QStandardItem* item = category->child(row);
        const Operation* prototype = m_host.prototype(PaletteModel::typeId(item->index()));
        QCOMPARE(item->text(), prototype->typeName());
        QCOMPARE(QColor(item->icon().pixmap(48, 48).toImage().pixel(24, 24)).alpha(), 255);
        QVERIFY(window.addStep(prototype->typeId()) >= 0);
    }
    // Then two existence checks with settings typed into the panel, and typed variables.
    for (const auto& [fileName, resultVar] :
         {std::pair{"present.txt", "found"}, {"$missing", "lost"}}) {
        window.addStep(QStringLiteral("file.exists"));
        typeInto(window, "fileName", QString::fromLatin1(fileName));
        typeInto(window, "resultVar", QString::fromLatin1(resultVar));
    }
    VariablesModel* variables = window.variablesModel();
    for (const QStringList& variable : QList<QStringList>{{"found", "bool", ""},
                                                          {"lost", "bool", ""},
                                                          {"missing", "string", "nowhere.txt"},
                                                          {"files", "list", "[\"a\", \"b\"]"},
                                                          {"table", "datatable", "[[\"1\", 2]]"}}) {
        const int row = variables->addVariable();
        for (int column :
             {VariablesModel::NameColumn, VariablesModel::TypeColumn, VariablesModel::ValueColumn})
            QVERIFY(variables->setData(variables->index(row, column), variable.at(column)));
    }
    const Flow built = window.currentFlow();

    const QString path = m_dir.filePath(file);
    QCOMPARE(window.saveFlow(path, format), QString());
    QVERIFY(!window.isWindowModified());
    MainWindow reopened(m_host);
    QCOMPARE(reopened.openFlow(path), QString());
    const Flow read = reopened.currentFlow();
    QCOMPARE(read.steps.size(), built.steps.size());
    for (int i = 0; i < read.steps.size(); ++i) {
        QCOMPARE(read.steps.at(i).type, built.steps.at(i).type);
        QCOMPARE(read.steps.at(i).settings, built.steps.at(i).settings);
    }
    // The steps run on their own thread while the status bar names each in turn.
    QSignalSpy status(reopened.statusBar(), &QStatusBar::messageChanged);
    // The palette's steps keep their empty paths, which the window marks: Run asks first.
    QString question;
    answerModal<QMessageBox>(&reopened, [&question](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    QVERIFY(runToEnd(reopened));
    QCOMPARE(question, QStringLiteral("%1 step(s) have settings marked as not working as meant. "
                                      "Run anyway?")
                           .arg(read.steps.size() - 2));
    QStringList shown;
    for (const QList<QVariant>& message : qAsConst(status))
        shown.append(message.first().toString());
    QCOMPARE(shown.size(), read.steps.size() + 1);
    QVERIFY2(
        shown.first().startsWith(QStringLiteral("Running step 1 of %1: ").arg(read.steps.size())),
        qPrintable(shown.first()));
    const StephostResult stephost = runStephost(
        {QStringLiteral("--plugin"), QStringLiteral(PLUGIN_PATH), QStringLiteral("run"), path},
        m_dir.path());
    QCOMPARE(stephost.exitCode, 0);
    QCOMPARE(reopened.lastReport(), QString::fromUtf8(stephost.out));
    QCOMPARE(stephost.value("found"), QJsonValue(true));
    // The status counts the warnings, which come forward, each line naming its step.
    const QStringList warnings = stephost.log();
    QVERIFY(!warnings.isEmpty());
    QCOMPARE(shown.last(), QStringLiteral("Finished, %1 warning(s)").arg(warnings.size()));
    QCOMPARE(reopened.bottomTabs()->currentIndex(), 1);
    const QStringList lines = reopened.logView()->toPlainText().split('\n');
    QCOMPARE(lines.size(), warnings.size());
    QCOMPARE(warnings.first(), QStringLiteral("[FileCopy] 目标文件夹为空，已跳过"));
    QCOMPARE(lines.first(), QStringLiteral("Step 1 复制文件: 目标文件夹为空，已跳过"));

    // A file that cannot be read names itself and the fault, and leaves the flow being edited.
    QVERIFY(writeFile(QStringLiteral("bad.json"),
                      R"({"steps": [{"type": "file.exists", "settings": {"nope": 1}}]})"));
    const QString error = reopened.openFlow(QStringLiteral("bad.json"));
    QVERIFY2(error.contains("bad.json") && error.contains("nope"), qPrintable(error));
    QCOMPARE(reopened.flowModel()->rowCount(), built.steps.size());
}

void tst_GuiMainWindow::runResolvesPathsInTheFlowsFolder()
{
    // Previews plan in the working folder on a thread of their own, and the current folder is
    // the process's: the test names its files whole while windows are open.
    QVERIFY(QDir().mkpath(QStringLiteral("project")));
    const QString project = m_dir.filePath(QStringLiteral("project"));
    const QString flowFile = m_dir.filePath(QStringLiteral("project/flow.json"));
    {
        MainWindow window(m_host);
        addWriteSteps(window, {QStringLiteral("out.txt")});
        QCOMPARE(window.saveFlow(flowFile, FlowFormat::Json), QString());
        QCOMPARE(window.workingFolder(), project);
    }
    {
        MainWindow reopened(m_host);
        QVERIFY(reopened.workingFolder() != project); // a new flow's folder is the documents one
        QCOMPARE(reopened.openFlow(flowFile), QString());
        QCOMPARE(reopened.workingFolder(), project);
        QVERIFY(runToEnd(reopened));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("project/out.txt"))));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("out.txt"))));
    }
    QCOMPARE(QDir::currentPath(), m_dir.path());
}

void tst_GuiMainWindow::undeclaredVariablesAreMarkedBeforeTheRun()
{
    MainWindow window(m_host);
    window.addStep(QStringLiteral("file.exists"));
    PropertyPanel* panel = window.propertyPanel();
    const int fileName = panel->rowOf("fileName");
    const int resultVar = panel->rowOf("resultVar");
    typeInto(window, "fileName", QStringLiteral("$where.Count"));
    typeInto(window, "resultVar", QStringLiteral("found"));
    QCOMPARE(panel->problem(fileName), QStringLiteral("variable \"where\" is not declared"));
    QCOMPARE(panel->problem(resultVar), QStringLiteral("variable \"found\" is not declared"));
    QCOMPARE(window.flowModel()->problems(0).size(), 2);
    // Declaring the variables clears the marks, once the result is of a type the step can use.
    VariablesModel* variables = window.variablesModel();
    for (const char* name : {"where", "found"})
        variables->setData(variables->index(variables->addVariable(), 0), name);
    QCOMPARE(panel->problem(fileName), QString());
    QCOMPARE(panel->problem(resultVar),
             QStringLiteral("variable \"found\" is not declared as boolean"));
    // Run asks first; answered no, nothing runs.
    QTimer::singleShot(0, []() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box && box->text().startsWith("1 step(s) have settings marked"));
        box->button(QMessageBox::No)->click();
    });
    QVERIFY(!runToEnd(window));
    QCOMPARE(window.lastReport(), QString());
    QVERIFY(variables->setData(variables->index(1, VariablesModel::TypeColumn), "bool"));
    QCOMPARE(window.flowModel()->problems(0), QStringList());
}

void tst_GuiMainWindow::removalIsUndoneAndTypingIsOneChange()
{
    MainWindow window(m_host);
    for (const char* type : {"file.exists", "file.copy", "file.delete"})
        window.addStep(QString::fromLatin1(type));
    window.selectStep(1);
    typeInto(window, "destDir", QStringLiteral("备份"));
    QUndoStack* history = window.history();
    QCOMPARE(history->count(), 4);
    window.removeStep(1);
    QCOMPARE(window.flowModel()->rowCount(), 2);
    QVERIFY(window.isWindowModified());
    history->undo();
    FlowModel* flow = window.flowModel();
    QCOMPARE(flow->rowCount(), 3);
    QCOMPARE(window.selectedStep(), 1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(1));
    QCOMPARE(flow->step(1)->property("destDir").toString(), QStringLiteral("备份"));
    history->undo();
    QCOMPARE(flow->step(1)->property("destDir").toString(), QString());
    history->redo();
    history->redo();
    QCOMPARE(flow->rowCount(), 2);
    QCOMPARE(flow->step(1)->typeId(), QStringLiteral("file.delete"));
}

void tst_GuiMainWindow::stepsAreDroppedFromThePaletteAndWithinTheFlow()
{
    MainWindow window(m_host);
    for (const char* type : {"file.exists", "file.delete"})
        window.addStep(QString::fromLatin1(type));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlowView* view = window.flowView();
    auto drop = [view](QMimeData* data, const QPoint& position) {
        QDragEnterEvent enter(position, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(position, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &dropped);
        QVERIFY(dropped.isAccepted());
        delete data;
    };
    FlowModel* flow = window.flowModel();
    PaletteModel* palette = window.palette();
    const QModelIndex copy =
        palette->index(palette->typeIds().indexOf("file.copy"), 0, palette->index(0, 0));
    // The upper half of a row drops before it, below the last row appends.
    drop(palette->mimeData({copy}), view->visualRect(flow->index(1)).topLeft() + QPoint(4, 2));
    drop(flow->mimeData({flow->index(0)}), QPoint(4, view->viewport()->height() - 2));
    QStringList types;
    for (int row = 0; row < flow->rowCount(); ++row)
        types.append(flow->step(row)->typeId());
    QCOMPARE(types, (QStringList{"file.copy", "file.delete", "file.exists"}));
    window.history()->undo();
    QCOMPARE(flow->step(0)->typeId(), QStringLiteral("file.exists"));
}

void tst_GuiMainWindow::stopEndsTheRunBetweenSteps()
{
    MainWindow window(m_host);
    window.setWorkingFolder(m_dir.path());
    addWriteSteps(window, {"a.stop", "b.stop", "c.stop"});
    // Stop as the second step starts, on the run's thread before the step goes on: it
    // finishes, the third does not run. Meanwhile the File menu waits and Stop is enabled.
    bool fileMenuLocked = false;
    bool stopEnabled = false;
    connect(&window, &MainWindow::runStarted, this, [&](RunJob* job) {
        fileMenuLocked = !window.menuBar()->actions().first()->isEnabled();
        stopEnabled = window.stopAction()->isEnabled();
        connect(
            job, &RunJob::stepStarted, job,
            [job](int index) {
                if (index == 1)
                    job->stop();
            },
            Qt::DirectConnection);
    });
    QVERIFY(runToEnd(window));
    QVERIFY(fileMenuLocked && stopEnabled);
    QVERIFY(window.menuBar()->actions().first()->isEnabled());
    QVERIFY(QFile::exists("a.stop") && QFile::exists("b.stop"));
    QVERIFY(!QFile::exists("c.stop"));
    QCOMPARE(window.logView()->toPlainText(),
             QStringLiteral("Stopped after step 2 of 3; the steps after it did not run"));
    QCOMPARE(window.statusBar()->currentMessage(),
             QStringLiteral("Stopped after step 2 of 3, 0 warning(s)"));
    QVERIFY(!window.stopAction()->isEnabled());
    QVERIFY(!window.runJob());
}

// The flow's name stands at the top of the flow, its note directly under it, where it is edited
// (tst_gui_workingfolder types, saves and reads the note back); once saved, the flow is named
// after its file.
void tst_GuiMainWindow::nameAndNoteHeadTheFlow()
{
    MainWindow window(m_host);
    window.resize(1280, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QLabel* name = window.flowNameLabel();
    QLineEdit* note = window.commentEdit();
    QCOMPARE(name->text(), QStringLiteral("Untitled flow"));
    // The name first, the note right below it, both above the steps.
    const auto top = [&window](QWidget* widget) {
        return widget->mapTo(&window, QPoint(0, 0)).y();
    };
    const int nameBottom = top(name) + name->height();
    QVERIFY(top(note) >= nameBottom && top(note) - nameBottom <= 12);
    QVERIFY(top(note) + note->height() <= top(window.flowView()));
    QCOMPARE(name->mapTo(&window, QPoint(0, 0)).x(), note->mapTo(&window, QPoint(0, 0)).x());
    QCOMPARE(window.saveFlow(m_dir.filePath(QStringLiteral("noted.json")), FlowFormat::Json),
             QString());
    QCOMPARE(name->text(), QStringLiteral("noted.json"));
    MainWindow reopened(m_host);
    QCOMPARE(reopened.openFlow(m_dir.filePath(QStringLiteral("noted.json"))), QString());
    QCOMPARE(reopened.flowNameLabel()->text(), QStringLiteral("noted.json"));
}

QTEST_MAIN(tst_GuiMainWindow)
#include "tst_gui_mainwindow.moc"
