// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// "Undo last run" belongs to the flow file and the working folder: another window's run, or one
// of this flow in another folder, is never offered; the dialog names flow, folder and time.
// Ctrl+Z takes back the edit wherever the flow is edited, the variables included.
#include "filetree.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "runtoend.h"
#include "undorundialog.h"
#include "variablesmodel.h"
#include "windowtest.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QUndoStack>
#include <QtTest>

#include <optional>

class tst_GuiRunOwner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void init() { m_scratch.emplace(); }
    void cleanup() { m_scratch.reset(); }
    void undoOffersOnlyThisFlowsRunHere();
    void ctrlZTakesBackTheVariableJustAdded();

private:
    PluginHost m_host;
    std::optional<WindowScratch> m_scratch;
};

namespace
{

const QByteArray writeFlow = R"({"steps": [{"type": "file.write", "settings":
    {"filePath": "note.txt", "content": "x", "ifExist": 1}}]})";

} // namespace

void tst_GuiRunOwner::undoOffersOnlyThisFlowsRunHere()
{
    QVERIFY(makeTree(QStringLiteral("one/|two/|flows/")));
    QVERIFY(writeFile(QStringLiteral("flows/a.json"), writeFlow));
    QVERIFY(writeFile(QStringLiteral("flows/b.json"), writeFlow));
    const QString one = m_scratch->work.filePath(QStringLiteral("one"));
    const QString two = m_scratch->work.filePath(QStringLiteral("two"));
    MainWindow first(m_host);
    QCOMPARE(first.openFlow(QStringLiteral("flows/a.json")), QString());
    first.setWorkingFolder(one);
    QVERIFY(runToEnd(first));
    QVERIFY(first.undoRunAction()->isEnabled());

    // Another window, another flow, the same folder: not its run.
    MainWindow second(m_host);
    QCOMPARE(second.openFlow(QStringLiteral("flows/b.json")), QString());
    second.setWorkingFolder(one);
    QVERIFY(!second.undoRunAction()->isEnabled());
    QVERIFY(!second.undoLastRun());
    // The same flow in another folder: not its run either, until it runs there.
    QCOMPARE(second.openFlow(QStringLiteral("flows/a.json")), QString());
    second.setWorkingFolder(two);
    QVERIFY(!second.undoRunAction()->isEnabled());
    second.setWorkingFolder(one);
    QVERIFY(second.undoRunAction()->isEnabled());

    QString owner;
    answerUndoDialog(&first, true, [&owner](UndoRunDialog* dialog) {
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->text().startsWith(QLatin1String("Flow: ")))
                owner = label->text();
        }
    });
    QVERIFY(first.undoLastRun());
    QCOMPARE(owner, QStringLiteral("Flow: %1, working folder: %2")
                        .arg(m_scratch->work.filePath(QStringLiteral("flows/a.json")), one));
    QVERIFY(!QFile::exists(QStringLiteral("one/note.txt")));
    QVERIFY(!first.undoRunAction()->isEnabled());
}

void tst_GuiRunOwner::ctrlZTakesBackTheVariableJustAdded()
{
    QVERIFY(writeFile(QStringLiteral("flow.json"), writeFlow));
    MainWindow window(m_host);
    QCOMPARE(window.openFlow(QStringLiteral("flow.json")), QString());
    window.setWorkingFolder(m_scratch->work.path());
    QVERIFY(runToEnd(window)); // a run to undo is there too
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.bottomTabs()->setCurrentIndex(0);
    auto* table = window.bottomTabs()->currentWidget()->findChild<QTableView*>();
    QVERIFY(table);
    window.variablesModel()->addVariable();
    table->setFocus();
    QVERIFY(table->hasFocus());
    QCOMPARE(window.variablesModel()->rowCount(), 1);
    bool asked = false;
    answerUndoDialog(&window, false, [&asked](UndoRunDialog*) { asked = true; });
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.variablesModel()->rowCount(), 0);
    QVERIFY(!asked);
    QVERIFY(QFile::exists(QStringLiteral("note.txt")));
}

QTEST_MAIN(tst_GuiRunOwner)

#include "tst_gui_runowner.moc"
