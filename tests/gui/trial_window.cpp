// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window for real, under an X server (xvfb-run) at 1280x800: every step's properties with
// every choice selected fit the panel without a horizontal scroll bar, the file-list editor sits
// level with its label and as wide as the other fields; the Preview tab shows a plan with a
// conflict, and in Chinese one that replaces a file and leaves one alone, under the flow's name
// and note. Screenshots go under build/screenshots/.
#include "chinesefortest.h"
#include "flowmodel.h"
#include "mainwindow.h"
#include "palettemodel.h"
#include "previewpanel.h"
#include "propertypanel.h"
#include "runjob.h"
#include "runprogress.h"
#include "testsupport.h"
#include "undorundialog.h"
#include "variablesmodel.h"
#include "windowtest.h"

#include <operation.h>

#include <QComboBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSemaphore>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

class WindowTrial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_window.reset(new MainWindow(m_host)); }
    void cleanup() { m_window.reset(); }
    void everyChoiceFitsThePanel();
    void screenshotWithACopyStep();
    void undoRunDialogShowsPathsWhole();
    void screenshotOfAPreviewWithAConflict();
    void screenshotOfACopyUnderWay();
    void screenshotOfAPreviewMarkingAReplaceInChinese();

private:
    void settle();
    void checkPanelFits(const QString& where);
    void save(const QString& name, QWidget* window = nullptr);
    PluginHost m_host;
    std::unique_ptr<MainWindow> m_window; // a fresh window for each test
};

void WindowTrial::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "run under an X server: xvfb-run -a -s '-screen 0 1280x800x24' trial_window");
    loadPlugin(m_host);
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
}

void WindowTrial::settle()
{
    // Layouts and the scroll area react to posted events.
    for (int i = 0; i < 3; ++i)
        QTest::qWait(10);
}

void WindowTrial::save(const QString& name, QWidget* window)
{
    if (!window)
        window = m_window.get();
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    const QString path = QStringLiteral(SCREENSHOT_DIR "/%1.png").arg(name);
    QVERIFY(!shot.isNull() && shot.save(path));
    qInfo("screenshot: %s", qPrintable(path));
}

void WindowTrial::checkPanelFits(const QString& where)
{
    auto* scroll = m_window->findChild<QScrollArea*>(QStringLiteral("propertyScroll"));
    QVERIFY2(!scroll->horizontalScrollBar()->isVisible(), qPrintable(where));
    PropertyPanel* panel = m_window->propertyPanel();
    const int width = scroll->viewport()->width();
    int fieldWidth = 0;
    for (int row = 0; row < panel->rowCount(); ++row) {
        if (!panel->isRowShown(row))
            continue;
        QWidget* outer = panel->browseButton(row) ? panel->browseButton(row) : panel->editor(row);
        const int right = outer->mapTo(scroll->viewport(), QPoint(outer->width(), 0)).x();
        QVERIFY2(right <= width, qPrintable(where + " " + panel->desc(row).name));
        // The file list starts level with its label and is as wide as the line fields.
        QWidget* editor = panel->editor(row);
        if (qobject_cast<QLineEdit*>(editor) && panel->browseButton(row))
            fieldWidth = editor->width();
        if (auto* list = qobject_cast<QPlainTextEdit*>(editor)) {
            const int labelTop = panel->label(row)->mapTo(panel, QPoint()).y();
            QVERIFY2(qAbs(list->mapTo(panel, QPoint()).y() - labelTop) <= 4, qPrintable(where));
            if (fieldWidth > 0)
                QVERIFY2(qAbs(list->width() - fieldWidth) <= 2, qPrintable(where));
        }
    }
}

void WindowTrial::everyChoiceFitsThePanel()
{
    MainWindow& window = *m_window;
    window.resize(1280, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QString& type : window.palette()->typeIds()) {
        window.addStep(type);
        settle();
        checkPanelFits(type);
        PropertyPanel* panel = window.propertyPanel();
        for (int row = 0; row < panel->rowCount(); ++row) {
            auto* combo = qobject_cast<QComboBox*>(panel->editor(row));
            if (!combo)
                continue;
            for (int choice = 0; choice < combo->count(); ++choice) {
                combo->setCurrentIndex(choice);
                settle();
                checkPanelFits(QStringLiteral("%1 %2=%3")
                                   .arg(type, panel->desc(row).name, combo->itemText(choice)));
            }
            combo->setCurrentIndex(combo->count() - 1);
        }
        settle();
        save(QStringLiteral("panel-%1").arg(type));
    }
}

// A copy step selected, its settings and list variables filled in.
void WindowTrial::screenshotWithACopyStep()
{
    MainWindow& window = *m_window;
    window.variablesModel()->setVariables(
        {{QStringLiteral("copied"), VarType::List, QVariant()},
         {QStringLiteral("reports"), VarType::List, QStringList{"月报.txt", "周报.txt"}}});
    for (const char* type : {"file.exists", "file.copy", "file.delete"})
        window.addStep(QString::fromLatin1(type));
    Operation* copy = window.flowModel()->step(1);
    copy->setProperty("files", QStringLiteral("报告/月报.txt\n$reports"));
    copy->setProperty("destDir", QStringLiteral("备份"));
    copy->setProperty("ifExist", 2);
    copy->setProperty("listVar", QStringLiteral("copied"));
    window.selectStep(1);
    window.setWorkingFolder(QStringLiteral("/home/user/Documents")); // not the tester's home
    window.resize(1280, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    settle();
    checkPanelFits(QStringLiteral("copy"));
    save(QStringLiteral("stephost-gui"));
}

// What "Undo last run" asks before it takes a run back, with paths as long as users' are.
void WindowTrial::undoRunDialogShowsPathsWhole()
{
    const QString folder = QStringLiteral("/home/user/Documents/报告/2024");
    const QJsonObject renamed{{"action", "renamed back"},
                              {"path", folder + "/月报.txt"},
                              {"from", folder + "/001_月报.txt"}};
    const QJsonObject putBack{{"action", "put back"}, {"path", folder + "/周报.txt"}};
    const QJsonObject left{{"path", folder + "/002_季报.txt"},
                           {"reason", "changed since the run; kept"}};
    const QJsonObject foretold{{"restored", QJsonArray{renamed, putBack}},
                               {"left", QJsonArray{left}}};
    UndoRunDialog dialog(foretold, QDateTime(QDate(2024, 5, 6), QTime(9, 30), Qt::UTC));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    settle();
    for (const QTreeWidget* list : {dialog.restoredList(), dialog.leftList()}) {
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            for (int column = 0; column < list->columnCount(); ++column) {
                const QString text = list->topLevelItem(row)->text(column);
                QVERIFY2(list->fontMetrics().horizontalAdvance(text) <=
                             list->header()->sectionSize(column),
                         qPrintable(text));
            }
        }
    }
    save(QStringLiteral("undo-run-dialog"), &dialog);
}

// Reports backed up under "覆盖", two of one name among them, a file missing, and two names
// swapped.
void WindowTrial::screenshotOfAPreviewWithAConflict()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QDir documents(scratch.filePath(QStringLiteral("Documents")));
    for (const char* file :
         {"reports/2026-11/sales.txt", "reports/2026-12/sales.txt", "draft.txt", "final.txt"}) {
        QVERIFY(writeFile(documents.filePath(QString::fromUtf8(file)), file));
    }
    MainWindow& window = *m_window;
    window.setWorkingFolder(documents.path());
    for (const char* type : {"file.copy", "file.rename", "file.rename"})
        window.addStep(QString::fromLatin1(type));
    Operation* copy = window.flowModel()->step(0);
    copy->setProperty("files", QStringLiteral("reports/2026-11/sales.txt\nreports/2026-12/"
                                              "sales.txt\nreports/2026-12/notes.txt"));
    copy->setProperty("destDir", QStringLiteral("backup"));
    copy->setProperty("ifExist", 1);
    window.flowModel()->step(1)->setProperty("files", QStringLiteral("draft.txt"));
    window.flowModel()->step(1)->setProperty("newName", QStringLiteral("final"));
    window.flowModel()->step(2)->setProperty("files", QStringLiteral("final.txt"));
    window.flowModel()->step(2)->setProperty("newName", QStringLiteral("draft"));
    window.selectStep(0);
    window.resize(1280, 800);
    qobject_cast<QSplitter*>(window.centralWidget())->setSizes({440, 300});
    window.bottomTabs()->setCurrentWidget(window.previewPanel());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy planned(window.previewPanel()->scheduler(), &PlanScheduler::planned);
    window.previewPanel()->updateNow();
    QTRY_COMPARE(planned.count(), 1);
    QCOMPARE(window.previewPanel()->conflictCount(), 2);
    QTableWidget* table = window.previewPanel()->table();
    const int lastRow = table->rowCount() - 1;
    QVERIFY(table->viewport()->rect().contains(table->visualItemRect(table->item(lastRow, 0))));
    settle();
    save(QStringLiteral("preview"));
}

// A copy of three hundred files a third of the way through: the bar, the files and bytes done,
// the speed and the time left in the status bar. The run is held on its thread while the
// picture is taken, and once at its start for a second, so that its speed is known.
void WindowTrial::screenshotOfACopyUnderWay()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QDir documents(scratch.filePath(QStringLiteral("Documents")));
    const int total = 300;
    QStringList files;
    for (int i = 0; i < total; ++i) {
        const QString name = QStringLiteral("photos/IMG_%1.jpg").arg(4000 + i);
        QVERIFY(QDir().mkpath(documents.filePath(QStringLiteral("photos"))));
        QFile out(documents.filePath(name));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(QByteArray(256 * 1024, 'x')) > 0);
        files.append(name);
    }
    MainWindow& window = *m_window;
    window.setWorkingFolder(documents.path());
    window.variablesModel()->setVariables({{QStringLiteral("photos"), VarType::List, files}});
    window.addStep(QStringLiteral("file.copy"));
    Operation* copy = window.flowModel()->step(0);
    copy->setProperty("files", QStringLiteral("$photos"));
    copy->setProperty("destDir", QStringLiteral("backup"));
    window.commentEdit()->setText(
        QStringLiteral("Copies this month's photos into backup; run it in Documents"));
    QCOMPARE(
        window.saveFlow(documents.filePath(QStringLiteral("photo-backup.json")), FlowFormat::Json),
        QString());
    window.selectStep(-1); // the panel shows the settings of a step as it is selected
    window.selectStep(0);
    window.resize(1280, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSemaphore reached;
    QSemaphore letGo;
    std::atomic<int> holds{0};
    connect(&window, &MainWindow::runStarted, this, [&](RunJob* job) {
        connect(
            job, &RunJob::progress, job,
            [&](int, int, const FileProgress& progress) {
                const bool first = holds == 0;
                if (!first && (holds > 1 || progress.filesDone * 3 < progress.filesTotal))
                    return;
                ++holds;
                reached.release();
                letGo.acquire();
            },
            Qt::DirectConnection);
    });
    QSignalSpy finished(&window, &MainWindow::runFinished);
    QVERIFY(window.startRun());
    QVERIFY(QTest::qWaitFor([&] { return reached.tryAcquire(); }));
    QTest::qWait(1000);
    letGo.release();
    QVERIFY(QTest::qWaitFor([&] { return reached.tryAcquire(); }));
    QTRY_VERIFY(window.runProgress()->figures()->text().contains(QStringLiteral(" left")));
    QVERIFY(window.runProgress()->bar()->value() > 0);
    settle();
    qInfo("progress: %s", qPrintable(window.runProgress()->figures()->text()));
    save(QStringLiteral("progress"));
    letGo.release();
    QVERIFY(finished.wait());
}

void WindowTrial::screenshotOfAPreviewMarkingAReplaceInChinese()
{
    const ChineseForTest chinese;
    QVERIFY(chinese.loaded());
    m_window.reset(new MainWindow(m_host)); // its texts are read as it is made
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QDir documents(scratch.filePath(QStringLiteral("Documents")));
    // 备份/月报.txt holds the edit the user has just made.
    for (const char* file : {"月报.txt", "周报.txt", "备份/月报.txt"}) {
        QVERIFY(writeFile(documents.filePath(QString::fromUtf8(file)), file));
    }
    MainWindow& window = *m_window;
    window.setWorkingFolder(documents.path());
    window.addStep(QStringLiteral("file.copy"));
    Operation* copy = window.flowModel()->step(0);
    copy->setProperty("files", QStringLiteral("月报.txt\n周报.txt\n年报.txt"));
    copy->setProperty("destDir", QStringLiteral("备份"));
    copy->setProperty("ifExist", 1);
    window.flowModel()->stepsChanged();
    // Saved beside the files, the flow is named after its file, its note under the name.
    window.commentEdit()->setText(
        QStringLiteral("把月报和周报复制到“备份”，覆盖同名文件；在文档文件夹里运行"));
    QCOMPARE(window.saveFlow(documents.filePath(QStringLiteral("备份报告.json")), FlowFormat::Json),
             QString());
    QCOMPARE(window.flowNameLabel()->text(), QStringLiteral("备份报告.json"));
    window.selectStep(-1); // the panel shows the settings as they are now
    window.selectStep(0);
    window.resize(1280, 800);
    qobject_cast<QSplitter*>(window.centralWidget())->setSizes({440, 300});
    window.bottomTabs()->setCurrentWidget(window.previewPanel());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PreviewPanel* preview = window.previewPanel();
    QVERIFY(preview->awaitCurrentPlan());
    QCOMPARE(preview->summary(), QStringLiteral("2 项更改，1 项替换现有文件，0 项冲突，1 项跳过"));
    // Each row's state in Chinese is the plan table's (tst_hostlanguage); here the picture.
    QTableWidget* table = preview->table();
    const int lastRow = table->rowCount() - 1;
    QVERIFY(table->viewport()->rect().contains(table->visualItemRect(table->item(lastRow, 0))));
    settle();
    save(QStringLiteral("preview-replace-zh"));
}

QTEST_MAIN(WindowTrial)
#include "trial_window.moc"
