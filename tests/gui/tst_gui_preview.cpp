// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window's preview of what a flow will do: the plan's rows with conflicts marked, made again
// by itself after edits (once for a burst of them) and for another working folder, only the latest
// request shown, a flow that cannot be planned explained, made again for a new code page; Run asks
// when the plan shows conflicts; previews leave the files as they were.
#include "filetree.h"
#include "legacyencodingmenu.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "previewpanel.h"
#include "propertypanel.h"
#include "runtoend.h"
#include "windowtest.h"

#include <QAction>
#include <QMessageBox>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

class tst_GuiPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void showsThePlanWithConflictsMarked_data();
    void showsThePlanWithConflictsMarked();
    void followsSettingsAndTheWorkingFolder();
    void showsOnlyTheLatestRequest();
    void runAsksWhenThePlanShowsConflicts_data();
    void runAsksWhenThePlanShowsConflicts();
    void aNewCodePagePlansAgain();

private:
    PluginHost m_host;
};

namespace
{

const char swapSteps[] =
    R"({"type": "file.rename", "settings": {"files": "a.txt", "newName": "b"}},
       {"type": "file.rename", "settings": {"files": "b.txt", "newName": "a"}})";

// Opens a flow of these steps, kept in a folder of its own, and plans it in the current folder.
bool openSteps(MainWindow& window, const QTemporaryDir& flows, const char* steps)
{
    const QString path = flows.filePath(QStringLiteral("flow.json"));
    if (!writeFile(path, QByteArray("{\"steps\": [") + steps + "]}") ||
        !window.openFlow(path).isEmpty())
        return false;
    window.setWorkingFolder(QDir::currentPath());
    return true;
}

// Each row of the table as "step action path from state", "*" before a row marked as a conflict
// (bold, a sign and a tint), "+" before one marked as replacing a file (a sign and another tint).
QStringList shownRows(const QTableWidget& table)
{
    QStringList rows;
    QColor conflictTint;
    QColor replaceTint;
    for (int row = 0; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table.columnCount(); ++column)
            cells << table.item(row, column)->text();
        const QTableWidgetItem* state = table.item(row, PreviewPanel::StateColumn);
        const bool tinted = !state->icon().isNull() && state->background().style() != Qt::NoBrush;
        QString mark;
        if (tinted && state->font().bold()) {
            mark = QStringLiteral("*");
            conflictTint = state->background().color();
        } else if (tinted) {
            mark = QStringLiteral("+");
            replaceTint = state->background().color();
        }
        rows << mark + cells.join(QLatin1Char(' '));
    }
    if (conflictTint.isValid() && replaceTint.isValid() && conflictTint == replaceTint)
        rows << QStringLiteral("a replace has the tint of a conflict");
    return rows;
}

} // namespace

void tst_GuiPreview::showsThePlanWithConflictsMarked_data()
{
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("notes");
    QTest::newRow("a source missing")
        << "a.txt"
        << R"({"type": "file.copy", "settings": {"files": "a.txt\nmissing", "destDir": "out"}})"
        << "1 mkdir out  ok|1 copy out/a.txt a.txt ok|1 copy missing missing skipped: no such file"
        << "2 change(s), 0 replacing existing file(s), 0 conflict(s), 1 skipped"
        << "Step 1 leaves missing alone: no such file";
    // The edit the user just made to 备份/a.txt goes: the row says so, in a tint of its own.
    QTest::newRow("copies over a file there, and a conflict beside")
        << "a.txt|b.txt|备份/a.txt"
        << QStringLiteral(R"({"type": "file.copy", "settings": {"files": "a.txt\nmissing",
                             "destDir": "备份", "ifExist": 1}}, )") +
               swapSteps
        << "+1 copy 备份/a.txt a.txt replaces an existing file|"
           "1 copy missing missing skipped: no such file|"
           "*2 rename ./b.txt a.txt conflict: replaces a file that step 3 later renames|"
           "3 rename ./a.txt b.txt ok"
        << "3 change(s), 1 replacing existing file(s), 1 conflict(s), 1 skipped"
        << "Step 1 leaves missing alone: no such file";
    QTest::newRow("a warning and nothing to change")
        << "a.txt"
        << R"({"type": "file.copy", "settings": {"files": "a.txt", "destDir": ""}})"
        << ""
        << "The flow would change no file, 0 skipped"
        << "Step 1 复制文件: 目标文件夹为空，已跳过";
}

void tst_GuiPreview::showsThePlanWithConflictsMarked()
{
    QFETCH(QString, files);
    QFETCH(QString, steps);
    QFETCH(QString, rows);
    QFETCH(QString, summary);
    QFETCH(QString, notes);
    const ScratchCwd dir;
    const QTemporaryDir flows;
    QVERIFY(makeTree(files));
    const QStringList before = stampedTree();
    MainWindow window(m_host);
    QSignalSpy planned(window.previewPanel()->scheduler(), &PlanScheduler::planned);
    QVERIFY(openSteps(window, flows, steps.toUtf8().constData()));
    QTRY_COMPARE(planned.count(), 1);
    QCOMPARE(shownRows(*window.previewPanel()->table()), entries(rows));
    QCOMPARE(window.previewPanel()->summary(), summary);
    QCOMPARE(window.previewPanel()->notes(), entries(notes));
    QCOMPARE(stampedTree(), before);
}

void tst_GuiPreview::followsSettingsAndTheWorkingFolder()
{
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("one/a.txt|one/b.txt|two/")));
    MainWindow window(m_host);
    window.setWorkingFolder(dir.filePath(QStringLiteral("one")));
    window.addStep(QStringLiteral("file.delete"));
    PreviewPanel* preview = window.previewPanel();
    QSignalSpy planned(preview->scheduler(), &PlanScheduler::planned);
    // Typing a name changes the setting at every key; the plan is made once they settle.
    auto* files = qobject_cast<QWidget*>(
        window.propertyPanel()->editor(window.propertyPanel()->rowOf("files")));
    QVERIFY(files);
    QTest::keyClicks(files, QStringLiteral("a.txt"));
    QTRY_COMPARE(planned.count(), 1);
    QCOMPARE(shownRows(*preview->table()), QStringList{"1 delete a.txt  ok"});
    // The Preview action plans at once and shows the tab.
    QTest::keyClick(files, Qt::Key_Backspace);
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == QLatin1String("Preview"))
            action->trigger();
    }
    QCOMPARE(window.bottomTabs()->currentWidget(), preview);
    QTRY_COMPARE(planned.count(), 2);
    QCOMPARE(shownRows(*preview->table()), QStringList{"1 delete a.tx  skipped: no such file"});
    window.setWorkingFolder(dir.filePath(QStringLiteral("two")));
    QTRY_COMPARE(planned.count(), 3);
    QCOMPARE(preview->table()->item(0, PreviewPanel::StateColumn)->text(),
             QStringLiteral("skipped: no such file"));
}

void tst_GuiPreview::showsOnlyTheLatestRequest()
{
    const ScratchCwd dir;
    Flow flow;
    PreviewPanel preview(m_host, [&flow]() { return flow; });
    preview.setWorkingFolder(dir.path());
    QSignalSpy planned(preview.scheduler(), &PlanScheduler::planned);
    const FlowStep write{QStringLiteral("file.write"), {{"filePath", "old.txt"}, {"content", "x"}}};
    flow.steps = {write};
    preview.updateNow();
    // A step of a type no plug-in has: the flow cannot be planned, and the panel says why.
    flow.steps = {{QStringLiteral("file.none"), {}}};
    preview.updateNow();
    QTRY_VERIFY(!preview.scheduler()->isPending());
    QCOMPARE(planned.count(), 1);
    QCOMPARE(preview.failure(), QStringLiteral("step 1 (file.none): unknown step type"));
    QVERIFY(!preview.table()->isVisibleTo(&preview));
    QCOMPARE(preview.conflictCount(), 0);
    // A run holds the plans: the one under way is dropped, no other is made until the run is
    // over, and then it is made again; the process's current folder is never touched.
    QVERIFY(QDir().mkdir(QStringLiteral("work")));
    preview.setWorkingFolder(dir.filePath(QStringLiteral("work")));
    flow.steps = {write};
    preview.updateNow();
    QVERIFY(preview.holdPlans());
    QCOMPARE(QDir::currentPath(), dir.path());
    QTest::qWait(2 * PreviewPanel::settleMs);
    QCOMPARE(planned.count(), 1);
    preview.releasePlans();
    QTRY_COMPARE(planned.count(), 2);
    QCOMPARE(preview.summary(),
             QStringLiteral("1 change(s), 0 replacing existing file(s), 0 conflict(s), 0 skipped"));
    QVERIFY(!QFile::exists(QStringLiteral("work/old.txt")));
}

void tst_GuiPreview::runAsksWhenThePlanShowsConflicts_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("after");
    QTest::newRow("no") << false << "a.txt|b.txt";
    QTest::newRow("yes") << true << "a.txt";
}

void tst_GuiPreview::runAsksWhenThePlanShowsConflicts()
{
    QFETCH(bool, yes);
    QFETCH(QString, after);
    const ScratchCwd dir;
    const QTemporaryDir flows;
    QVERIFY(makeTree(QStringLiteral("a.txt|b.txt")));
    const QStringList before = stampedTree();
    MainWindow window(m_host);
    QVERIFY(openSteps(window, flows, swapSteps));
    // Run right away: the plan is made first, then the question asked.
    QString question;
    answerQuestion(&window, yes ? QMessageBox::Yes : QMessageBox::No, &question);
    QCOMPARE(runToEnd(window), yes);
    QCOMPARE(question,
             QStringLiteral("The plan shows 1 conflict(s): changes that replace files the flow "
                            "still uses, or that will fail. Run anyway?"));
    // Run, the first rename replaced b.txt: Last run tells so.
    QCOMPARE(window.bottomTabs()->currentWidget() == window.previewPanel(), !yes);
    QCOMPARE(window.lastReport().isEmpty(), !yes);
    if (!yes)
        QCOMPARE(stampedTree(), before);
    QCOMPARE(treeSnapshot(), sortedEntries(after));
}

// Steps read text in the legacy code page on the plan's thread: it changes between plans.
void tst_GuiPreview::aNewCodePagePlansAgain()
{
    const ScratchCwd dir;
    QSettings settings(dir.filePath(QStringLiteral("gui.ini")), QSettings::IniFormat);
    LegacyEncodingMenu menu(&settings);
    Flow flow{{}, {{QStringLiteral("file.read"), {{"filePath", "a.txt"}}}}, QString()};
    PreviewPanel preview(m_host, [&flow]() { return flow; });
    preview.setWorkingFolder(dir.path());
    QSignalSpy planned(preview.scheduler(), &PlanScheduler::planned);
    preview.updateNow();
    menu.choose(QStringLiteral("Big5")); // while the plan is under way: it is made again
    QTRY_VERIFY(!preview.scheduler()->isPending());
    QCOMPARE(planned.count(), 1);
    menu.choose(QString());
    QTRY_COMPARE(planned.count(), 2);
    qApp->setProperty("stephost.legacyEncoding", QVariant());
}

QTEST_MAIN(tst_GuiPreview)
#include "tst_gui_preview.moc"
