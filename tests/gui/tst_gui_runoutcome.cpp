// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// What the window says around a run that replaces a file the user had, and leaves others alone:
// with no journal Run asks first; the status counts the warnings, the files left alone and the
// files replaced (naming Undo when a journal can bring them back); Last run lists the changes;
// the Preview after the run is headed as the next run's, not the run's result.
#include "chinesefortest.h"
#include "filetree.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "pluginhost.h"
#include "previewpanel.h"
#include "runjob.h"
#include "runtoend.h"
#include "undorundialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

class tst_GuiRunOutcome : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void runTellsWhatItReplacedAndLeft_data();
    void runTellsWhatItReplacedAndLeft();
    void outcomeIsTheRunsNotThePlans_data();
    void outcomeIsTheRunsNotThePlans();
    void noJournalAsksBeforeReplacing_data();
    void noJournalAsksBeforeReplacing();
    void chineseWindowTellsReasonsInChinese();
    void textReadWithBadBytesIsNamed();
    void writeFailureTellsTheSystemsReason_data();
    void writeFailureTellsTheSystemsReason();

private:
    bool openInScratch(MainWindow& window, const QByteArray& steps);
    PluginHost m_host;
    std::unique_ptr<QTemporaryDir> m_data; // the user's data folder, journals included
    std::unique_ptr<QTemporaryDir> m_flows;
    std::unique_ptr<ScratchCwd> m_work;
};

namespace
{

// Copies over 备份/a.txt, which the user has just edited, and finds no `missing`.
const QByteArray backupSteps = R"({"type": "file.copy", "settings":
    {"files": "a.txt\nmissing", "destDir": "备份", "ifExist": 1}})";
const char backupTree[] = "a.txt|备份/a.txt";

QStringList texts(const QListWidget* list)
{
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines.append(list->item(row)->text());
    return lines;
}

} // namespace

void tst_GuiRunOutcome::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

void tst_GuiRunOutcome::init()
{
    m_data.reset(new QTemporaryDir);
    m_flows.reset(new QTemporaryDir);
    m_work.reset(new ScratchCwd);
    qputenv("HOME", QFile::encodeName(m_data->path())); // the data folder under Qt's test mode
    RunJournals::setEnabled(true);
}

void tst_GuiRunOutcome::cleanup()
{
    m_work.reset();
}

bool tst_GuiRunOutcome::openInScratch(MainWindow& window, const QByteArray& steps)
{
    const QString path = m_flows->filePath(QStringLiteral("flow.json"));
    if (!writeFile(path, "{\"steps\": [" + steps + "]}") || !window.openFlow(path).isEmpty())
        return false;
    window.setWorkingFolder(m_work->path());
    return true;
}

void tst_GuiRunOutcome::runTellsWhatItReplacedAndLeft_data()
{
    QTest::addColumn<QByteArray>("steps");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("changes");
    QTest::newRow("replaces and leaves one alone")
        << backupSteps
        << "Finished, 0 warning(s), 1 file(s) left alone, 1 existing file(s) replaced; Undo "
           "last run brings them back"
        << "Step 1 copy 备份/a.txt ← a.txt (replaced an existing file)";
    QTest::newRow("a warning, nothing changed")
        << QByteArray(R"({"type": "file.copy", "settings": {"files": "a.txt", "destDir": ""}})")
        << "Finished, 1 warning(s)"
        << "";
    QTest::newRow("deletes one, finds no other")
        << QByteArray(R"({"type": "file.delete", "settings": {"files": "a.txt\nmissing"}})")
        << "Finished, 0 warning(s), 1 file(s) left alone"
        << "Step 1 delete a.txt";
    QTest::newRow("moves over a file there")
        << QByteArray(R"({"type": "file.move", "settings": {"files": "a.txt", "destDir": "备份",
                         "ifExist": 1}})")
        << "Finished, 0 warning(s), 1 existing file(s) replaced; Undo last run brings them back"
        << "Step 1 move 备份/a.txt ← a.txt (replaced an existing file)";
    QTest::newRow("all quiet")
        << QByteArray(R"({"type": "file.copy", "settings": {"files": "a.txt", "destDir": "新"}})")
        << "Finished, 0 warning(s)"
        << "Step 1 mkdir 新|Step 1 copy 新/a.txt ← a.txt";
}

void tst_GuiRunOutcome::runTellsWhatItReplacedAndLeft()
{
    QFETCH(QByteArray, steps);
    QFETCH(QString, status);
    QFETCH(QString, changes);
    QVERIFY(makeTree(QString::fromUtf8(backupTree)));
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, steps));
    QVERIFY(!window.previewPanel()->isAfterRun());
    // An empty destination folder is marked, and Run asks first.
    QTimer* answering = answerModal<QMessageBox>(
        &window, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, 0);
    QVERIFY(runToEnd(window));
    delete answering;
    QCOMPARE(window.statusBar()->currentMessage(), status);
    QCOMPARE(texts(window.changesView()), entries(changes));
    // The plan shown now is of the next run: the Preview says so, until the result goes.
    QVERIFY(window.previewPanel()->isAfterRun());
    QVERIFY(window.previewPanel()->heading().startsWith(QLatin1String("Next run preview")));
    const bool quiet = status == QLatin1String("Finished, 0 warning(s)");
    QCOMPARE(window.bottomTabs()->currentIndex() == 1, !quiet);
    QVERIFY(window.openFlow(m_flows->filePath(QStringLiteral("flow.json"))).isEmpty());
    QVERIFY(!window.previewPanel()->isAfterRun());
    QCOMPARE(window.changesView()->count(), 0);
}

// The disk changes between the plan the window made and the run: what the status and Last run
// tell is what the run did, from its journal or, with none, from the step's result list.
void tst_GuiRunOutcome::outcomeIsTheRunsNotThePlans_data()
{
    QTest::addColumn<bool>("journaled");
    QTest::addColumn<QString>("change"); // "+path" made, "-path" removed once the plan is made
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("changes");
    for (const bool journaled : {true, false}) {
        const char* name = journaled ? "journaled" : "no journal";
        QTest::addRow("%s, a source appears", name)
            << journaled << "+b.txt"
            << "Finished, 0 warning(s)"
            << "Step 1 mkdir 出|Step 1 copy 出/a.txt ← a.txt|Step 1 copy 出/b.txt";
        QTest::addRow("%s, a source goes", name) << journaled << "-a.txt"
                                                 << "Finished, 0 warning(s), 2 file(s) left alone"
                                                 << "Step 1 mkdir 出";
    }
    // Only the journal can tell a target that came after the plan and was replaced.
    QTest::newRow("journaled, a target appears")
        << true << "+出/a.txt"
        << "Finished, 0 warning(s), 1 file(s) left alone, 1 existing file(s) replaced; Undo last "
           "run brings them back"
        << "Step 1 copy 出/a.txt ← a.txt (replaced an existing file)";
}

void tst_GuiRunOutcome::outcomeIsTheRunsNotThePlans()
{
    QFETCH(bool, journaled);
    QFETCH(QString, change);
    QFETCH(QString, status);
    QFETCH(QString, changes);
    QVERIFY(makeTree(QStringLiteral("a.txt")));
    const QString path = m_flows->filePath(QStringLiteral("flow.json"));
    QVERIFY(writeFile(path, R"({"variables": {"copied": {"type": "list"}}, "steps": [
        {"type": "file.copy", "settings": {"files": "a.txt\nb.txt", "destDir": "出",
         "ifExist": 1, "listVar": "copied"}}]})"));
    MainWindow window(m_host);
    window.journalingAction()->setChecked(journaled);
    QVERIFY(window.openFlow(path).isEmpty());
    window.setWorkingFolder(m_work->path());
    QVERIFY(window.previewPanel()->awaitCurrentPlan());
    const QString changed = change.mid(1);
    connect(&window, &MainWindow::runStarted, this, [&] {
        if (change.startsWith(QLatin1Char('+')))
            QVERIFY(makeTree(changed));
        else
            QVERIFY(QFile::remove(changed));
    });
    QVERIFY(runToEnd(window));
    QCOMPARE(window.statusBar()->currentMessage(), status);
    QCOMPARE(texts(window.changesView()), entries(changes));
}

void tst_GuiRunOutcome::noJournalAsksBeforeReplacing_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void tst_GuiRunOutcome::noJournalAsksBeforeReplacing()
{
    QFETCH(bool, yes);
    QVERIFY(makeTree(QString::fromUtf8(backupTree)));
    QVERIFY(writeFile(QStringLiteral("备份/a.txt"), "the user's edit"));
    MainWindow window(m_host);
    window.journalingAction()->setChecked(false);
    QVERIFY(openInScratch(window, backupSteps));
    QString question;
    answerModal<QMessageBox>(&window, [&](QMessageBox* box) {
        question = box->text();
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QCOMPARE(runToEnd(window), yes);
    QCOMPARE(question, QStringLiteral("The flow replaces 1 file(s) that are there now, and no "
                                      "journal is kept to undo the run. Run anyway?"));
    QCOMPARE(readFile(QStringLiteral("备份/a.txt")) == "the user's edit", !yes);
    if (yes)
        QCOMPARE(window.statusBar()->currentMessage(),
                 QStringLiteral("Finished, 0 warning(s), 1 file(s) left alone, 1 existing "
                                "file(s) replaced"));
    QCOMPARE(window.runJournals().folders().size(), 0);
}

void tst_GuiRunOutcome::chineseWindowTellsReasonsInChinese()
{
    const ChineseForTest chinese;
    QVERIFY(chinese.loaded());
    static const QRegularExpression englishWord(QStringLiteral("[A-Za-z]{4,}"));
    QVERIFY(makeTree(QString::fromUtf8(backupTree)));
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, backupSteps));
    PreviewPanel* preview = window.previewPanel();
    QVERIFY(preview->awaitCurrentPlan());
    QStringList states;
    for (int row = 0; row < preview->table()->rowCount(); ++row)
        states << preview->table()->item(row, PreviewPanel::StateColumn)->text();
    QCOMPARE(states, QStringList({"替换现有文件", "已跳过：文件不存在"}));
    QCOMPARE(preview->summary(), QStringLiteral("1 项更改，1 项替换现有文件，0 项冲突，1 项跳过"));
    QCOMPARE(preview->notes(), QStringList{"第 1 步未处理 missing：文件不存在"});

    QVERIFY(runToEnd(window));
    QCOMPARE(
        window.statusBar()->currentMessage(),
        QStringLiteral("完成，0 条警告，1 个文件未处理，替换了 1 个现有文件，可用“撤销上次运行”"
                       "找回"));
    QVERIFY(preview->heading().startsWith(QStringLiteral("后续预览")));
    // An edit after the run is kept by the undo, and the dialog says why in Chinese.
    QVERIFY(writeFile(QStringLiteral("备份/a.txt"), "edited after the run"));
    QStringList reasons;
    answerModal<UndoRunDialog>(&window, [&](UndoRunDialog* dialog) {
        for (int row = 0; row < dialog->leftList()->topLevelItemCount(); ++row)
            reasons << dialog->leftList()->topLevelItem(row)->text(1);
        dialog->reject();
    });
    QVERIFY(!window.undoLastRun());
    QCOMPARE(reasons.size(), 2);
    QCOMPARE(reasons.at(0), QStringLiteral("运行后已被更改，已保留"));
    QVERIFY2(reasons.at(1).startsWith(QStringLiteral("这个路径又被占用；原来的文件留在 ")),
             qPrintable(reasons.at(1)));
    reasons[1] = reasons.at(1).section(QLatin1Char(' '), 0, 0); // the path is the journal's
    for (const QString& text : states + reasons)
        QVERIFY2(!text.contains(englishWord), qPrintable(text));
}

void tst_GuiRunOutcome::textReadWithBadBytesIsNamed()
{
    // "中文" in GBK, which the code page in force here (UTF-8) cannot read.
    QVERIFY(writeFile(QStringLiteral("gbk.txt"), "\xd6\xd0\xce\xc4"));
    QVERIFY(writeFile(QStringLiteral("utf8.txt"), "中文"));
    const QString path = m_flows->filePath(QStringLiteral("flow.json"));
    QVERIFY(writeFile(path, R"({"variables": {"old": {"type": "string"}, "new": {"type": "string"}},
        "steps": [{"type": "file.read", "settings": {"filePath": "gbk.txt", "targetVarStr": "old"}},
                  {"type": "file.read", "settings": {"filePath": "utf8.txt", "targetVarStr": "new"}}]})"));
    MainWindow window(m_host);
    QVERIFY(window.openFlow(path).isEmpty());
    window.setWorkingFolder(m_work->path());
    QVERIFY(runToEnd(window));
    const QStringList log = window.logView()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(log.filter(QStringLiteral("UTF-8")),
             QStringList{QStringLiteral(
                 "\"old\" holds text with bytes that are not UTF-8, shown as �; a Chinese file "
                 "from an older system reads right with Legacy code page → Chinese, simplified "
                 "(GB18030, GBK)")});
}

// A file where the folder should be: a refusal root cannot bypass, told in the window's language.
void tst_GuiRunOutcome::writeFailureTellsTheSystemsReason_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("failure");
    QTest::newRow("English") << false << "Step 1 could not write keep.txt/out.txt: Not a directory";
    QTest::newRow("Chinese") << true << "第 1 步无法写入 keep.txt/out.txt：不是文件夹";
}

void tst_GuiRunOutcome::writeFailureTellsTheSystemsReason()
{
    QFETCH(bool, chinese);
    QFETCH(QString, failure);
    std::unique_ptr<ChineseForTest> language(chinese ? new ChineseForTest : nullptr);
    QVERIFY(writeFile(QStringLiteral("keep.txt"), "kept"));
    MainWindow window(m_host);
    QVERIFY(openInScratch(
        window,
        R"({"type": "file.write", "settings": {"filePath": "keep.txt/out.txt", "content": "x"}})"));
    // The plan already shows the step failing, so Run asks first.
    QTimer* answering = answerModal<QMessageBox>(
        &window, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, 0);
    QVERIFY(runToEnd(window));
    delete answering;
    const QStringList log = window.logView()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(log.filter(QRegularExpression(QStringLiteral("could not write|无法写入"))),
             QStringList{failure});
    QVERIFY2(log.filter(QStringLiteral("写入失败")).size() == 1, qPrintable(log.join('\n')));
    QCOMPARE(readFile(QStringLiteral("keep.txt")), QByteArray("kept"));
}

QTEST_MAIN(tst_GuiRunOutcome)

#include "tst_gui_runoutcome.moc"
