// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window's runs are journaled in the user's data folder and taken back by "Undo last run":
// the tree exactly as before, a file edited since left and reported, the last 20 journals kept,
// no journal with journaling off, and Ctrl+Z undoing the flow edit only in the flow list.
#include "filetree.h"
#include "flowmodel.h"
#include "flowview.h"
#include "journalrun.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "runtoend.h"
#include "undorundialog.h"
#include "windowtest.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUndoStack>

#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class tst_GuiRunJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void init() { m_scratch.emplace(); }
    void cleanup() { m_scratch.reset(); }
    void runIsTakenBackExactly();
    void fileEditedSinceIsLeftAndReported();
    void lastRunsAreKeptAndTakenBackInTurn();
    void journalingOffRunsAsBefore();
    void ctrlZFollowsTheFocus();
    void liveOrDamagedJournalIsNotTakenBack();

private:
    QString flowFile(const QByteArray& json);
    bool openInScratch(MainWindow& window, const QString& flow);
    PluginHost m_host;
    std::optional<WindowScratch> m_scratch;
};

namespace
{

const QByteArray moveFlow = R"({"steps": [{"type": "file.move", "settings":
    {"files": "a.txt\nb.txt", "destDir": "out", "ifExist": 1}}]})";
const QByteArray appendFlow = R"({"steps": [{"type": "file.write", "settings":
    {"filePath": "log.txt", "content": "x", "ifExist": 1, "appendNoNewline": true}}]})";

QStringList column(const QTreeWidget* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts.append(list->topLevelItem(row)->text(column));
    return texts;
}

} // namespace

QString tst_GuiRunJournal::flowFile(const QByteArray& json)
{
    const QString path = m_scratch->data.filePath(QStringLiteral("flow%1.json").arg(qHash(json)));
    return writeFile(path, json) ? path : QString();
}

// Opens the flow to run on the scratch files.
bool tst_GuiRunJournal::openInScratch(MainWindow& window, const QString& flow)
{
    if (!window.openFlow(flow).isEmpty())
        return false;
    window.setWorkingFolder(m_scratch->work.path());
    return true;
}

// The window's runs are journaled as stephost's are, whose tests take back every example flow:
// one of them is enough here.
void tst_GuiRunJournal::runIsTakenBackExactly()
{
    QVERIFY(makeTree(QString::fromLatin1(flowsTree)));
    const QStringList before = fullTreeState();
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, QStringLiteral(FLOWS_DIR "/copy-move.json")));
    QVERIFY(!window.undoRunAction()->isEnabled());
    QVERIFY(runAnsweringYes(window));
    QVERIFY(fullTreeState() != before);
    const QStringList journals = window.runJournals().folders();
    QCOMPARE(journals.size(), 1);
    QVERIFY(journals.first().startsWith(m_scratch->data.path()));
    QVERIFY(window.undoRunAction()->isEnabled());

    int shown = 0;
    answerUndoDialog(&window, true, [&](UndoRunDialog* dialog) {
        shown = dialog->restoredList()->topLevelItemCount();
        QCOMPARE(dialog->leftList()->topLevelItemCount(), 0);
    });
    QVERIFY(window.undoLastRun());
    QCOMPARE(fullTreeState(), before);
    QVERIFY(shown > 0);
    QCOMPARE(window.statusBar()->currentMessage(),
             QStringLiteral("Run undone, %1 path(s) restored").arg(shown));
    QCOMPARE(window.logView()->toPlainText().count('\n'), shown);
    // A journal taken back is not offered again.
    QVERIFY(!window.undoRunAction()->isEnabled());
    QVERIFY(!window.undoLastRun());
}

void tst_GuiRunJournal::fileEditedSinceIsLeftAndReported()
{
    QVERIFY(makeTree(QStringLiteral("a.txt|b.txt")));
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, flowFile(moveFlow)));
    QVERIFY(runToEnd(window));
    QVERIFY(writeFile(QStringLiteral("out/a.txt"), "mine"));

    const QStringList left = {m_scratch->work.filePath(QStringLiteral("out/a.txt")),
                              m_scratch->work.filePath(QStringLiteral("out"))};
    answerUndoDialog(&window, false, [&](UndoRunDialog* dialog) {
        QCOMPARE(column(dialog->leftList(), 0), left);
        // A move is a copy and the original taken into the journal: the original comes back.
        // The sources of a batch go once all its copies have their names, and undo takes the
        // changes back last first.
        QCOMPARE(column(dialog->restoredList(), 1),
                 (QStringList{m_scratch->work.filePath(QStringLiteral("b.txt")),
                              m_scratch->work.filePath(QStringLiteral("a.txt")),
                              m_scratch->work.filePath(QStringLiteral("out/b.txt"))}));
    });
    QVERIFY(!window.undoLastRun());
    QCOMPARE(treeSnapshot(), sortedEntries(QStringLiteral("out/a.txt=mine|out/b.txt=b.txt")));

    answerUndoDialog(&window, true);
    QVERIFY(window.undoLastRun());
    QCOMPARE(treeSnapshot(), sortedEntries(QStringLiteral("a.txt|b.txt|out/a.txt=mine")));
    QCOMPARE(window.statusBar()->currentMessage(),
             QStringLiteral("Run partly undone, 3 restored, 2 left as they were changed since"));
    const QString log = window.logView()->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("Left: %1 (changed since the run; kept)").arg(left.at(0))),
             qPrintable(log));
}

void tst_GuiRunJournal::lastRunsAreKeptAndTakenBackInTurn()
{
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, flowFile(appendFlow)));
    const int runs = RunJournals::kept + 2;
    QStringList journals;
    for (int run = 0; run < runs; ++run) {
        QVERIFY(runToEnd(window));
        journals.append(window.runJournals().lastUndoable());
    }
    const QByteArray written = readFile(QStringLiteral("log.txt"));
    QVERIFY(written.endsWith(QByteArray(runs, 'x')));
    QCOMPARE(QSet<QString>(journals.cbegin(), journals.cend()).size(), runs);
    QCOMPARE(window.runJournals().folders(), journals.mid(2));
    // Each undo takes back the run before the one undone last.
    for (int undone = 1; undone <= 2; ++undone) {
        answerUndoDialog(&window, true);
        QVERIFY(window.undoLastRun());
        QCOMPARE(readFile(QStringLiteral("log.txt")), written.chopped(undone));
        QCOMPARE(window.runJournals().lastUndoable(), journals.at(runs - undone - 1));
    }
}

void tst_GuiRunJournal::journalingOffRunsAsBefore()
{
    QVERIFY(makeTree(QString::fromLatin1(flowsTree)));
    QStringList reports, trees;
    for (bool journaling : {true, false}) {
        const QStringList before = fullTreeState();
        MainWindow window(m_host);
        QCOMPARE(window.journalingAction()->isChecked(), true);
        window.journalingAction()->setChecked(journaling);
        QVERIFY(openInScratch(window, QStringLiteral(FLOWS_DIR "/copy-move.json")));
        QVERIFY(runAnsweringYes(window));
        reports.append(window.lastReport());
        trees.append(fullTreeState().join('\n'));
        QCOMPARE(window.runJournals().folders().size(), 1);
        if (journaling) {
            answerUndoDialog(&window, true);
            QVERIFY(window.undoLastRun());
            QCOMPARE(fullTreeState(), before);
        }
    }
    QCOMPARE(reports.at(1), reports.at(0));
    QCOMPARE(trees.at(1), trees.at(0));
    // The choice is kept for the next window.
    QVERIFY(!MainWindow(m_host).journalingAction()->isChecked());
}

void tst_GuiRunJournal::ctrlZFollowsTheFocus()
{
    QVERIFY(makeTree(QStringLiteral("a.txt|b.txt")));
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, flowFile(moveFlow)));
    QVERIFY(runToEnd(window));
    window.addStep(QStringLiteral("file.exists"));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    bool asked = false;
    const auto pressCtrlZIn = [&](QWidget* widget) {
        widget->setFocus();
        QVERIFY(widget->hasFocus());
        asked = false;
        QObject owner;
        answerUndoDialog(&owner, false, [&](UndoRunDialog*) { asked = true; });
        QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier);
    };
    pressCtrlZIn(window.flowView());
    QCOMPARE(window.flowModel()->rowCount(), 1);
    QVERIFY(!asked);
    pressCtrlZIn(window.paletteView());
    QVERIFY(asked);
    QCOMPARE(window.history()->index(), 0);
    QCOMPARE(treeSnapshot(), sortedEntries(QStringLiteral("out/a.txt=a.txt|out/b.txt=b.txt")));
}

// A journal whose log is locked (its run still going, in this window or another) is not offered
// for undo and nothing is taken back; one that is damaged is kept, not cleared away as a run of
// no change; a refused undo says why.
void tst_GuiRunJournal::liveOrDamagedJournalIsNotTakenBack()
{
    QVERIFY(makeTree(QStringLiteral("a.txt|b.txt")));
    MainWindow window(m_host);
    QVERIFY(openInScratch(window, flowFile(moveFlow)));
    QVERIFY(runToEnd(window));
    const QString journal = window.runJournals().lastUndoable();
    QVERIFY(!journal.isEmpty());
    const QStringList afterRun = fullTreeState();
    const int fd = ::open(QFile::encodeName(journal + QStringLiteral("/journal.log")).constData(),
                          O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    RunJournals(window.runJournals().root()).finish(journal);
    QVERIFY(QFileInfo::exists(journal));
    QVERIFY(window.runJournals().lastUndoable().isEmpty());
    QVERIFY(!window.undoLastRun());
    QCOMPARE(fullTreeState(), afterRun);
    const QJsonObject refused = undoRun(journal, UndoMode::DryRun).report;
    QCOMPARE(UndoRunDialog::summary(refused), QStringLiteral("Not undone: the run is still going"));
    ::close(fd);

    QVERIFY(QFile::resize(journal + QStringLiteral("/journal.log"), 0));
    RunJournals(window.runJournals().root()).finish(journal);
    QVERIFY(QFileInfo::exists(journal + QStringLiteral("/backup")));
    QCOMPARE(window.runJournals().lastUndoable(), journal);
}

QTEST_MAIN(tst_GuiRunJournal)

#include "tst_gui_runjournal.moc"
