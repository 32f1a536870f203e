// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Which folder a flow acts on is plain: it stands at the top of the flow, a notice says when the
// files the flow starts from are not in it, a new flow starts where the window was started, and
// a missing folder is offered to be made before a run. The flow's note is shown, editable, undone
// like any edit and kept by Save in both formats.
#include "filetree.h"
#include "flowio.h"
#include "mainwindow.h"
#include "modalanswers.h"
#include "runtoend.h"
#include "windowtest.h"
#include "workingfolderbar.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QUndoStack>
#include <QtTest>

#include <optional>

Q_DECLARE_METATYPE(FlowFormat)

class tst_GuiWorkingFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        loadPlugin(m_host);
        m_startFolder = QDir::currentPath();
    }
    void init() { m_scratch.emplace(); }
    void cleanup() { m_scratch.reset(); }
    void noteIsShownEditedAndSaved_data();
    void noteIsShownEditedAndSaved();
    void noticeWhenTheStartFilesAreElsewhere();
    void newFlowStartsWhereTheWindowStarted();
    void missingFolderIsOfferedToBeMade_data();
    void missingFolderIsOfferedToBeMade();

private:
    PluginHost m_host;
    QString m_startFolder;
    std::optional<WindowScratch> m_scratch;
};

namespace
{

const QByteArray copyFlow = R"({"comment": "Run it in a copy of office-files.",
    "steps": [{"type": "file.copy", "settings": {"files": "a.txt\nb.txt", "destDir": "备份"}}]})";

} // namespace

void tst_GuiWorkingFolder::noteIsShownEditedAndSaved_data()
{
    QTest::addColumn<FlowFormat>("format");
    QTest::addColumn<QString>("file");
    QTest::newRow("json") << FlowFormat::Json << "saved.json";
    QTest::newRow("binary") << FlowFormat::Binary << "saved.stepflow";
}

void tst_GuiWorkingFolder::noteIsShownEditedAndSaved()
{
    QFETCH(FlowFormat, format);
    QFETCH(QString, file);
    QVERIFY(writeFile(QStringLiteral("flow.json"), copyFlow));
    MainWindow window(m_host);
    QCOMPARE(window.openFlow(QStringLiteral("flow.json")), QString());
    QLineEdit* note = window.commentEdit();
    QCOMPARE(note->text(), QStringLiteral("Run it in a copy of office-files."));
    note->setFocus();
    note->end(false);
    QTest::keyClicks(note, QStringLiteral(" Twice"));
    QCOMPARE(window.currentFlow().comment,
             QStringLiteral("Run it in a copy of office-files. Twice"));
    // Typing is one edit, undone as one.
    QCOMPARE(window.history()->count(), 1);
    window.history()->undo();
    QCOMPARE(note->text(), QStringLiteral("Run it in a copy of office-files."));
    window.history()->redo();
    QCOMPARE(window.saveFlow(file, format), QString());
    MainWindow reopened(m_host);
    QCOMPARE(reopened.openFlow(file), QString());
    QCOMPARE(reopened.commentEdit()->text(),
             QStringLiteral("Run it in a copy of office-files. Twice"));
}

void tst_GuiWorkingFolder::noticeWhenTheStartFilesAreElsewhere()
{
    QVERIFY(makeTree(QStringLiteral("flows/|files/a.txt|files/b.txt")));
    QVERIFY(writeFile(QStringLiteral("flows/flow.json"), copyFlow));
    MainWindow window(m_host);
    QCOMPARE(window.openFlow(QStringLiteral("flows/flow.json")), QString());
    WorkingFolderBar* bar = window.workingFolderBar();
    QCOMPARE(bar->folderText(), QStringLiteral("Working folder: %1")
                                    .arg(m_scratch->work.filePath(QStringLiteral("flows"))));
    QCOMPARE(bar->noticeText(),
             QStringLiteral("⚠ The files the flow starts from are not in this folder (a.txt, "
                            "b.txt): choose the folder with Change…."));
    window.setWorkingFolder(m_scratch->work.filePath(QStringLiteral("files")));
    QCOMPARE(bar->noticeText(), QString());
    // One of them there is enough: the other is the Preview's to report.
    QVERIFY(QFile::remove(QStringLiteral("files/a.txt")));
    window.setWorkingFolder(m_scratch->work.filePath(QStringLiteral("flows")));
    window.setWorkingFolder(m_scratch->work.filePath(QStringLiteral("files")));
    QCOMPARE(bar->noticeText(), QString());
}

void tst_GuiWorkingFolder::newFlowStartsWhereTheWindowStarted()
{
    MainWindow window(m_host);
    QCOMPARE(window.workingFolder(), m_startFolder);
}

void tst_GuiWorkingFolder::missingFolderIsOfferedToBeMade_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void tst_GuiWorkingFolder::missingFolderIsOfferedToBeMade()
{
    QFETCH(bool, yes);
    QVERIFY(writeFile(QStringLiteral("flow.json"),
                      R"({"steps": [{"type": "file.write", "settings":
                          {"filePath": "note.txt", "content": "x"}}]})"));
    MainWindow window(m_host);
    QCOMPARE(window.openFlow(QStringLiteral("flow.json")), QString());
    const QString folder = m_scratch->work.filePath(QStringLiteral("new/sub"));
    window.setWorkingFolder(folder);
    QString question;
    answerQuestion(&window, yes ? QMessageBox::Yes : QMessageBox::No, &question);
    QCOMPARE(runToEnd(window), yes);
    QCOMPARE(question, QStringLiteral("The working folder %1 does not exist. Make it and run the "
                                      "flow there?")
                           .arg(folder));
    QCOMPARE(QFile::exists(QStringLiteral("new/sub/note.txt")), yes);
    QCOMPARE(QFileInfo::exists(QStringLiteral("new")), yes);
}

QTEST_MAIN(tst_GuiWorkingFolder)

#include "tst_gui_workingfolder.moc"
