// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window while a run goes: the step under way shows how far it is, the flow, variables, log
// and preview can be looked at while editing waits, Stop says so at once and ends a long copy
// part-way, closing the window asks whether to stop the run, and another window plans in its own
// folder meanwhile. The run is held mid-step, on its own thread,
// for as long as a test looks at it.
#include "flowmodel.h"
#include "flowview.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "previewpanel.h"
#include "propertypanel.h"
#include "runjob.h"
#include "runprogress.h"
#include "testsupport.h"
#include "variablesmodel.h"
#include "variablespanel.h"
#include "windowtest.h"

#include <operation.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSemaphore>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeView>
#include <QtTest>

class tst_GuiRunWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void whileARunGoesTheWindowCanBeLookedAt();
    void stopEndsALongCopyPartWay();
    void closingDuringARunAsks_data();
    void closingDuringARunAsks();
    void anotherWindowPlansInItsFolderWhileARunGoes();

private:
    PluginHost m_host;
};

namespace
{

const int fileCount = 100;

// A folder of files in `src` and a window with one step copying them all to `dst`, listed in
// the variable "copied".
bool prepareCopy(MainWindow& window, const QString& folder)
{
    QStringList files;
    for (int i = 0; i < fileCount; ++i) {
        const QString name = QStringLiteral("src/%1.txt").arg(i, 4, 10, QLatin1Char('0'));
        if (!writeFile(QDir(folder).filePath(name), QByteArray(8192, 'x')))
            return false;
        files.append(name);
    }
    window.setWorkingFolder(folder);
    window.variablesModel()->setVariables({{QStringLiteral("copied"), VarType::List, QVariant()}});
    window.addStep(QStringLiteral("file.copy"));
    Operation* copy = window.flowModel()->step(0);
    copy->setProperty("files", files.join(QLatin1Char('\n')));
    copy->setProperty("destDir", QStringLiteral("dst"));
    copy->setProperty("listVar", QStringLiteral("copied"));
    return true;
}

// Holds the window's next run at the first figures its step reports, on the run's thread,
// until let go.
class HeldRun
{
public:
    explicit HeldRun(MainWindow& window)
    {
        QObject::connect(&window, &MainWindow::runStarted, &window, [this](RunJob* job) {
            QObject::connect(
                job, &RunJob::progress, job,
                [this] {
                    if (m_held)
                        return;
                    m_held = true;
                    m_reached.release();
                    m_letGo.acquire();
                },
                Qt::DirectConnection);
        });
    }
    ~HeldRun() { letGo(); }
    HeldRun(const HeldRun&) = delete;
    HeldRun& operator=(const HeldRun&) = delete;

    bool waitUntilHeld()
    {
        return QTest::qWaitFor([this] { return m_reached.tryAcquire(); });
    }
    void letGo()
    {
        if (m_letGo.available() == 0)
            m_letGo.release();
    }

private:
    std::atomic<bool> m_held{false};
    QSemaphore m_reached;
    QSemaphore m_letGo;
};

// A window copying the files of prepareCopy, its run held at its first figures.
struct HeldCopy {
    explicit HeldCopy(const PluginHost& host)
        : window(host), held(window), finished(&window, &MainWindow::runFinished)
    {
    }
    bool start(const QString& folder)
    {
        return prepareCopy(window, folder) && window.startRun() && held.waitUntilHeld();
    }

    MainWindow window;
    HeldRun held;
    QSignalSpy finished;
};

// The paths the run listed in "copied", as its report has them.
QStringList listed(const MainWindow& window)
{
    const QJsonObject report = QJsonDocument::fromJson(window.lastReport().toUtf8()).object();
    return report.value(QStringLiteral("variables"))
        .toObject()
        .value(QStringLiteral("copied"))
        .toObject()
        .value(QStringLiteral("value"))
        .toVariant()
        .toStringList();
}

} // namespace

void tst_GuiRunWindow::whileARunGoesTheWindowCanBeLookedAt()
{
    const QTemporaryDir folder;
    HeldCopy copy(m_host);
    QVERIFY(copy.start(folder.path()));
    MainWindow& window = copy.window;
    // The step's figures reach the status bar.
    RunProgress* progress = window.runProgress();
    QVERIFY(progress->isVisibleTo(&window));
    QTRY_VERIFY(progress->figures()->text().startsWith(QStringLiteral("0/100 files · ")));
    QCOMPARE(progress->bar()->maximum(), 1000);
    QVERIFY(window.statusBar()->currentMessage().startsWith(QStringLiteral("Running step 1 of 1")));
    // What the run uses can be looked at; nothing can be changed.
    const QList<QWidget*> lookedAt{
        window.flowView(),     window.logView(),    window.resultView(),
        window.previewPanel(), window.bottomTabs(), window.findChild<VariablesPanel*>()->view()};
    for (QWidget* shown : lookedAt)
        QVERIFY2(shown->isEnabled(), shown->metaObject()->className());
    QCOMPARE(window.findChild<VariablesPanel*>()->view()->editTriggers(),
             QAbstractItemView::NoEditTriggers);
    QVERIFY(!window.propertyPanel()->isEnabled());
    QVERIFY(window.commentEdit()->isReadOnly());
    QVERIFY(!window.paletteView()->isEnabled());
    QCOMPARE(window.insertStep(QStringLiteral("file.delete"), 0), -1);
    QCOMPARE(window.flowModel()->rowCount(), 1);
    QVERIFY(!window.undoRunAction()->isEnabled());
    copy.held.letGo();
    QVERIFY(copy.finished.wait());
    QCOMPARE(copy.finished.first().first().toBool(), true);
    QVERIFY(!progress->isVisibleTo(&window));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Finished, 0 warning(s)"));
    QCOMPARE(QDir(folder.filePath(QStringLiteral("dst"))).entryList(QDir::Files).size(), fileCount);
    QCOMPARE(listed(window).size(), fileCount);
    // Editing is back.
    QVERIFY(window.propertyPanel()->isEnabled());
    QCOMPARE(window.insertStep(QStringLiteral("file.delete"), 1), 1);
}

void tst_GuiRunWindow::stopEndsALongCopyPartWay()
{
    const QTemporaryDir folder;
    HeldCopy copy(m_host);
    QVERIFY(copy.start(folder.path()));
    MainWindow& window = copy.window;
    window.stopAction()->trigger();
    // Said at once, before the step has heard of it.
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Stopping…"));
    QVERIFY(!window.stopAction()->isEnabled());
    copy.held.letGo();
    QVERIFY(copy.finished.wait());
    QCOMPARE(window.statusBar()->currentMessage(),
             QStringLiteral("Step 1 of 1 stopped part-way with 100 file(s) left, 1 warning(s)"));
    // Held at its first figures, the step had copied nothing yet; its warning says what was
    // left. That the list holds what was copied is the step's own test (tst_stepprogress).
    QCOMPARE(window.logView()->toPlainText(),
             QStringLiteral("Step 1 复制文件: 已停止，还有 100 个文件未处理\n"
                            "Step 1 of 1 was stopped part-way with 100 file(s) left; the steps "
                            "after it did not run"));
}

// Closing the window while a run goes asks; kept running, the window stays and the run ends in
// full; stopped, the run stops part-way and the window closes once it has.
void tst_GuiRunWindow::closingDuringARunAsks_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("keep running") << false;
    QTest::newRow("stop and close") << true;
}

void tst_GuiRunWindow::closingDuringARunAsks()
{
    QFETCH(bool, stop);
    const QTemporaryDir folder;
    HeldCopy copy(m_host);
    QVERIFY(copy.start(folder.path()));
    MainWindow& window = copy.window;
    window.history()->setClean(); // nothing to save: the close asks only about the run
    window.show();
    QString question;
    QStringList buttons;
    answerModal<QMessageBox>(&window, [&](QMessageBox* box) {
        question = box->text();
        for (QAbstractButton* button : box->buttons()) {
            buttons.append(button->text());
            if (button->text() == QLatin1String(stop ? "Stop and close" : "Keep running"))
                button->click();
        }
    });
    QVERIFY(!window.close());
    QCOMPARE(question, QStringLiteral("A run of the flow is going on. Stop it and close the "
                                      "window? What it has done so far stays done."));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Keep running", "Stop and close"}));
    QVERIFY(window.isVisible());
    if (stop)
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("Stopping… the window closes once the run has stopped"));
    copy.held.letGo();
    QVERIFY(copy.finished.wait());
    QCOMPARE(window.isVisible(), !stop);
    const int copied = QDir(folder.filePath(QStringLiteral("dst"))).entryList(QDir::Files).size();
    QCOMPARE(copied == fileCount, !stop);
}

// The second window's working folder holds a file the first one's does not: its plan finds it
// there, while the first window's run copies in its own folder, and neither is the process's.
void tst_GuiRunWindow::anotherWindowPlansInItsFolderWhileARunGoes()
{
    const ScratchCwd elsewhere;
    const QTemporaryDir running;
    const QTemporaryDir planning;
    QVERIFY(writeFile(QDir(planning.path()).filePath(QStringLiteral("only-here.txt")), "x"));
    HeldCopy copy(m_host);
    QVERIFY(copy.start(running.path()));

    MainWindow planner(m_host);
    planner.setWorkingFolder(planning.path());
    planner.addStep(QStringLiteral("file.delete"));
    planner.flowModel()->step(0)->setProperty("files",
                                              QStringLiteral("only-here.txt\nsrc/0000.txt"));
    QSignalSpy planned(planner.previewPanel()->scheduler(), &PlanScheduler::planned);
    planner.previewPanel()->updateNow();
    QVERIFY(planned.wait());
    QTableWidget* rows = planner.previewPanel()->table();
    QCOMPARE(rows->rowCount(), 2);
    QCOMPARE(rows->item(0, PreviewPanel::StateColumn)->text(), QStringLiteral("ok"));
    QCOMPARE(rows->item(1, PreviewPanel::StateColumn)->text(),
             QStringLiteral("skipped: no such file"));

    copy.held.letGo();
    QVERIFY(copy.finished.wait());
    QCOMPARE(QDir(running.filePath(QStringLiteral("dst"))).entryList(QDir::Files).size(),
             fileCount);
    QVERIFY(QFile::exists(planning.filePath(QStringLiteral("only-here.txt"))));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
}

QTEST_MAIN(tst_GuiRunWindow)
#include "tst_gui_runwindow.moc"
