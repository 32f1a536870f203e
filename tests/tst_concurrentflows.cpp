// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Two flows on two threads, each with its own scope and folder, give what they give one after the
// other: the same report, warnings included, and the same files.
#include "testsupport.h"

#include "jsonflow.h"
#include "pluginhost.h"
#include "report.h"
#include "runner.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace
{

struct FlowRun {
    QString report;
    QStringList tree;
};

const QString kFolder = QStringLiteral("@DIR@");

// Every file below the folder as "path=content", sorted: the current folder is the process's,
// so the threads cannot share the tree helpers that work relative to it.
QStringList snapshot(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files << QDir(folder).relativeFilePath(path) + '=' + QString::fromUtf8(readFile(path));
    }
    files.sort();
    return files;
}

// Runs the flow over a fresh folder, with the folder's path taken out of what it reports.
FlowRun runIn(const QString& folder, const PluginHost& host, const QByteArray& flow)
{
    for (const QString& name : {folder + "/in/a.txt", folder + "/in/b.txt"})
        writeFile(name, name.toUtf8());
    writeFile(folder + "/in/table.csv", "id,名称\n1,\"a,b\"\n");
    FlowRun run;
    try {
        const QByteArray text = QByteArray(flow).replace(kFolder.toUtf8(), folder.toUtf8());
        const RunResult result = runFlow(readJsonFlow(text, host), host);
        run.report = QString::fromStdString(reportText(result)).replace(folder, kFolder);
    } catch (const FlowError& error) {
        run.report = error.message;
    }
    run.tree = snapshot(folder).replaceInStrings(folder, kFolder);
    return run;
}

} // namespace

class tst_ConcurrentFlows : public QObject
{
    Q_OBJECT

private slots:
    void sideBySideLikeOneAfterTheOther();
};

void tst_ConcurrentFlows::sideBySideLikeOneAfterTheOther()
{
    PluginHost host;
    QString error;
    QVERIFY2(host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    const QByteArray flow = readFile(QStringLiteral(FLOWS_DIR "/reliability/concurrent.json"));
    QTemporaryDir root;
    QVERIFY(root.isValid());

    const FlowRun alone = runIn(root.filePath("alone"), host, flow);
    QVERIFY2(alone.report.contains("[FileRead] 文件不存在："), qPrintable(alone.report));
    QVERIFY2(alone.tree.contains("moved/a(1)-001.txt=@DIR@/in/a.txt"),
             qPrintable(alone.tree.join('\n')));

    for (int round = 0; round < 20; ++round) {
        FlowRun first, second;
        std::atomic<int> ready{0};
        auto start = [&](FlowRun* run, const QString& name) {
            return std::thread([&, run, name] {
                ++ready;
                while (ready < 2) {
                }
                *run = runIn(root.filePath(name), host, flow);
            });
        };
        std::thread one = start(&first, QStringLiteral("first%1").arg(round));
        std::thread two = start(&second, QStringLiteral("second%1").arg(round));
        one.join();
        two.join();
        QCOMPARE(first.report, alone.report);
        QCOMPARE(second.report, alone.report);
        QCOMPARE(first.tree.replaceInStrings(QStringLiteral("first%1").arg(round), "alone"),
                 alone.tree);
        QCOMPARE(second.tree.replaceInStrings(QStringLiteral("second%1").arg(round), "alone"),
                 alone.tree);
    }
}

QTEST_GUILESS_MAIN(tst_ConcurrentFlows)
#include "tst_concurrentflows.moc"
