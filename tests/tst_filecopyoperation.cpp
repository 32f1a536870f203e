#include "operations/filecopyoperation.h"
#include "operations/filemoveoperation.h"
#include "transferscenario.h"

#include <QDataStream>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>

class tst_FileCopyOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void emptyDestination_data();
    void emptyDestination();
    void listVariableNotAList();
    void fifoSkipped();
    void withoutScope();
    void texts();
    void cloneCarriesSettings();
    void loadsMovePayload();
    void flowThroughStephost_data();
    void flowThroughStephost();
    void exampleFlow();
};

// The tree every row starts from, plus the row's own entries, sorted as readTree gives them.
static QStringList sources(const QStringList& more = QStringList())
{
    QStringList tree = QStringList{"src/", "src/a.txt=A", "src/b.txt=B"} + more;
    tree.sort();
    return tree;
}

void tst_FileCopyOperation::run_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("destDir");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("listed");

    const QStringList copied = sources({"out/", "out/a.txt=A", "out/b.txt=B"});
    QTest::newRow("two files into a new folder")
        << sources() << "src/a.txt\nsrc/b.txt"
        << "out" << 0 << copied << QStringList{"out/a.txt", "out/b.txt"};
    QTest::newRow("list variable and reference destination")
        << sources() << "$srcs"
        << "$dest" << 0 << copied << QStringList{"out/a.txt", "out/b.txt"};
    QTest::newRow("missing sources skipped")
        << sources() << "src/none.txt\n$nothing\nsrc/b.txt"
        << "out" << 0 << sources({"out/", "out/b.txt=B"}) << QStringList{"out/b.txt"};
    QTest::newRow("nested folder made though nothing copied")
        << sources() << "src/none.txt"
        << "out/x/y" << 0 << sources({"out/", "out/x/", "out/x/y/"}) << QStringList();
    QTest::newRow("a folder source is not copied")
        << sources({"src/sub/"}) << "src/sub"
        << "out" << 0 << sources({"src/sub/", "out/"}) << QStringList();

    // Clash policies.
    QTest::newRow("policy 0 leaves the target")
        << sources({"out/a.txt=old"}) << "src/a.txt\nsrc/b.txt"
        << "out" << 0 << sources({"out/", "out/a.txt=old", "out/b.txt=B"})
        << QStringList{"out/b.txt"};
    QTest::newRow("policy 1 overwrites")
        << sources({"out/a.txt=old"}) << "src/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt=A"}) << QStringList{"out/a.txt"};
    QTest::newRow("policy 2 takes the first free number")
        << QStringList{"src/report.pdf=new", "out/report.pdf=0", "out/report(1).pdf=1",
                       "out/report(2).pdf=2"}
        << "src/report.pdf"
        << "out" << 2
        << QStringList{"src/",
                       "src/report.pdf=new",
                       "out/",
                       "out/report.pdf=0",
                       "out/report(1).pdf=1",
                       "out/report(2).pdf=2",
                       "out/report(3).pdf=new"}
        << QStringList{"out/report(3).pdf"};
    QTest::newRow("policy 5 acts as 2")
        << sources({"out/a.txt=old"}) << "src/a.txt"
        << "out" << 5 << sources({"out/", "out/a.txt=old", "out/a(1).txt=A"})
        << QStringList{"out/a(1).txt"};
    QTest::newRow("numbered names without and with several dots")
        << QStringList{"src/README=r", "src/archive.tar.gz=z", "src/.profile=p",
                       "out/README=",  "out/archive.tar.gz=",  "out/.profile="}
        << "src/README\nsrc/archive.tar.gz\nsrc/.profile"
        << "out" << 2
        << QStringList{"src/",
                       "src/README=r",
                       "src/archive.tar.gz=z",
                       "src/.profile=p",
                       "out/",
                       "out/README=",
                       "out/README(1)=r",
                       "out/archive.tar.gz=",
                       "out/archive.tar(1).gz=z",
                       "out/.profile=",
                       "out/(1).profile=p"}
        << QStringList{"out/README(1)", "out/archive.tar(1).gz", "out/(1).profile"};
    QTest::newRow("numbered next to a folder in the way")
        << sources({"out/a.txt/"}) << "src/a.txt"
        << "out" << 2 << sources({"out/", "out/a.txt/", "out/a(1).txt=A"})
        << QStringList{"out/a(1).txt"};

    // The source already lies in the destination.
    QTest::newRow("in place, policy 0") << sources() << "src/a.txt"
                                        << "src" << 0 << sources() << QStringList();
    QTest::newRow("in place, policy 2")
        << sources() << "src/a.txt"
        << "src" << 2 << sources({"src/a(1).txt=A"}) << QStringList{"src/a(1).txt"};

    // Listed twice.
    QTest::newRow("twice, policy 0")
        << sources() << "src/a.txt\n$srcs"
        << "out" << 0 << copied << QStringList{"out/a.txt", "out/b.txt"};
    QTest::newRow("twice, policy 2")
        << sources() << "src/a.txt\nsrc/a.txt"
        << "out" << 2 << sources({"out/", "out/a.txt=A", "out/a(1).txt=A"})
        << QStringList{"out/a.txt", "out/a(1).txt"};
    QTest::newRow("twice, policy 1")
        << sources() << "src/a.txt\nsrc/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt=A"}) << QStringList{"out/a.txt"};

    // No lost files under overwrite.
    for (const char* spelling : {"src/a.txt", "./src/a.txt", "src/sub/../a.txt", "srclink/a.txt"}) {
        QTest::addRow("onto itself as %s", spelling)
            << sources({"src/sub/", "srclink->src"}) << QString::fromLatin1(spelling) << "src" << 1
            << sources({"src/sub/", "srclink->src"}) << QStringList();
    }
    QTest::newRow("onto itself through a linked destination")
        << sources({"srclink->src"}) << "src/a.txt"
        << "srclink/" << 1 << sources({"srclink->src"}) << QStringList();
    QTest::newRow("a folder in the way stays")
        << sources({"out/a.txt/in=keep"}) << "src/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt/", "out/a.txt/in=keep"}) << QStringList();
    // A dangling link is not an existing target, but the copy will not replace it either.
    QTest::newRow("a dangling link in the way stays")
        << sources({"out/a.txt->gone"}) << "src/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt->gone"}) << QStringList();
    QTest::newRow("a link to a folder in the way stays")
        << sources({"keep/in=keep", "out/a.txt->keep"}) << "src/a.txt"
        << "out" << 1 << sources({"keep/", "keep/in=keep", "out/", "out/a.txt->keep"})
        << QStringList();
    QTest::newRow("a folder source does not clear the target")
        << sources({"src/sub/", "out/sub=keep"}) << "src/sub"
        << "out" << 1 << sources({"src/sub/", "out/", "out/sub=keep"}) << QStringList();
    QTest::newRow("two sources with one name")
        << sources({"other/a.txt=O"}) << "src/a.txt\nother/a.txt"
        << "out" << 1 << sources({"other/", "other/a.txt=O", "out/", "out/a.txt=A"})
        << QStringList{"out/a.txt"};

    // Links: the target's bytes are copied, the target itself never touched.
    QTest::newRow("linked source")
        << QStringList{"data/real.txt=R", "src/l.txt->data/real.txt"} << "src/l.txt"
        << "out" << 1 << QStringList{"data/", "data/real.txt=R", "src/", "src/l.txt->data/real.txt",
                                     "out/",  "out/l.txt=R"}
        << QStringList{"out/l.txt"};
    QTest::newRow("linked source that is the target")
        << QStringList{"out/l.txt=T", "src/l.txt->out/l.txt"} << "src/l.txt"
        << "out" << 1 << QStringList{"out/", "out/l.txt=T", "src/", "src/l.txt->out/l.txt"}
        << QStringList();
    QTest::newRow("dangling link does not exist")
        << QStringList{"src/l.txt->gone"} << "src/l.txt"
        << "out" << 0 << QStringList{"out/", "src/", "src/l.txt->gone"} << QStringList();
}

void tst_FileCopyOperation::run()
{
    QFETCH(QStringList, before);
    QFETCH(QString, files);
    QFETCH(QString, destDir);
    QFETCH(int, ifExist);
    QFETCH(QStringList, after);
    QFETCH(QStringList, listed);

    const TransferOutcome outcome = runTransfer<FileCopyOperation>(before, files, destDir, ifExist);
    QVERIFY(outcome.ready);
    after.sort();
    QCOMPARE(outcome.tree, after);
    QCOMPARE(outcome.listed, listValue(listed));
    QCOMPARE(outcome.warnings, QStringList());
}

void tst_FileCopyOperation::emptyDestination_data()
{
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("destDir");
    QTest::newRow("empty") << "src/a.txt" << QString();
    QTest::newRow("blank") << "src/a.txt"
                           << " \t ";
    QTest::newRow("missing variable") << "src/a.txt"
                                      << "$nothing";
    QTest::newRow("no files either") << QString() << QString();
}

void tst_FileCopyOperation::emptyDestination()
{
    QFETCH(QString, files);
    QFETCH(QString, destDir);
    const TransferOutcome outcome = runTransfer<FileCopyOperation>(sources(), files, destDir, 1);
    QVERIFY(outcome.ready);
    QCOMPARE(outcome.tree, sources());
    QCOMPARE(outcome.listed, listValue({"previous"}));
    QCOMPARE(outcome.warnings, QStringList{"[FileCopy] 目标文件夹为空，已跳过"});
}

void tst_FileCopyOperation::listVariableNotAList()
{
    const TransferOutcome outcome =
        runTransfer<FileCopyOperation>(sources(), "src/a.txt", "out", 0, "text");
    QVERIFY(outcome.ready);
    QCOMPARE(outcome.tree, sources({"out/", "out/a.txt=A"}));
    QCOMPARE(outcome.warnings, QStringList{"[OpVar] 目标变量 \"text\" 未声明为列表，已跳过"});
}

void tst_FileCopyOperation::fifoSkipped()
{
    // Opening a FIFO for reading would wait for a writer that never comes.
    QTemporaryDir dir;
    QVERIFY(makeTree(dir.path(), sources()));
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("src/pipe")).constData(), 0600), 0);
    VariableScope scope;
    scope.declare("done", VarType::List);
    FileCopyOperation op;
    op.setFiles(dir.filePath("src/pipe") + "\n" + dir.filePath("src/a.txt"));
    op.setDestDir(dir.filePath("out"));
    op.setListVar("done");
    op.setVariableScope(&scope);
    op.doOperation();
    QCOMPARE(scope.get("done"), listValue({dir.filePath("out/a.txt")}));
    QVERIFY(!QFile::exists(dir.filePath("out/pipe")));
}

void tst_FileCopyOperation::withoutScope()
{
    QTemporaryDir dir;
    QVERIFY(makeTree(dir.path(), sources()));
    FileCopyOperation op;
    op.setFiles(dir.filePath("src/a.txt") + "\n$srcs");
    op.setDestDir(dir.filePath("out"));
    op.setListVar("done");
    WarningLog log;
    op.doOperation();
    QCOMPARE(readTree(dir.path()), sources({"out/", "out/a.txt=A"}));
    QCOMPARE(log.messages(), QStringList());
}

void tst_FileCopyOperation::texts()
{
    FileCopyOperation op;
    op.setFiles("a.txt\n$list");
    op.setDestDir("$dest");
    QCOMPARE(op.toString(), QStringLiteral("复制文件: a.txt\n$list -> $dest"));
    QCOMPARE(op.description(), QStringLiteral("复制 a.txt\n$list 到 $dest"));
    // Filled one placeholder at a time: a "%1" in the first setting is taken up by the second.
    op.setFiles("%1");
    op.setDestDir("d");
    QCOMPARE(op.description(), QStringLiteral("复制 d 到 %2"));
    QCOMPARE(FileCopyOperation().toString(), QStringLiteral("复制文件:  -> "));
}

void tst_FileCopyOperation::cloneCarriesSettings()
{
    QObject parent;
    FileCopyOperation op;
    op.setFiles("a\nb");
    op.setDestDir("out");
    op.setIfExist(7);
    op.setListVar("$done");
    op.setCarriedState(0xfeedu);
    VariableScope scope;
    op.setVariableScope(&scope);
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* clone = qobject_cast<FileCopyOperation*>(copy.data());
    QVERIFY(clone);
    QCOMPARE(clone->parent(), &parent);
    QCOMPARE(clone->files(), op.files());
    QCOMPARE(clone->destDir(), op.destDir());
    QCOMPARE(clone->ifExist(), 7);
    QCOMPARE(clone->listVar(), op.listVar());
    QCOMPARE(clone->carriedState(), 0xfeedu);
    QCOMPARE(clone->variableScope(), nullptr);
}

void tst_FileCopyOperation::loadsMovePayload()
{
    FileMoveOperation move;
    move.setFiles("a.txt\n$srcs");
    move.setDestDir(QString());
    move.setIfExist(-3);
    move.setListVar("$moved");
    move.setCarriedState(9);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        move.saveOperation(out);
    }
    // Base payload, then files, destDir, ifExist as qint32, listVar.
    QByteArray expected;
    {
        QDataStream out(&expected, QIODevice::WriteOnly);
        out << quint32(9) << move.files() << QString() << qint32(-3) << move.listVar();
    }
    QCOMPARE(bytes, expected);

    FileCopyOperation copy;
    QDataStream in(bytes);
    copy.loadOperation(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(copy.carriedState(), 9u);
    QCOMPARE(copy.files(), move.files());
    QCOMPARE(copy.destDir(), QString());
    QCOMPARE(copy.ifExist(), -3);
    QCOMPARE(copy.listVar(), move.listVar());
}

static QJsonObject variableValues(const QJsonObject& report)
{
    QJsonObject values;
    const QJsonObject variables = report.value("variables").toObject();
    for (auto it = variables.begin(); it != variables.end(); ++it)
        values.insert(it.key(), it.value().toObject().value("value"));
    return values;
}

void tst_FileCopyOperation::flowThroughStephost_data()
{
    QTest::addColumn<bool>("roundtrip");
    QTest::newRow("JSON flow") << false;
    QTest::newRow("saved and loaded steps") << true;
}

void tst_FileCopyOperation::flowThroughStephost()
{
    QFETCH(bool, roundtrip);
    if (!QFile::exists(STEPHOST_PATH))
        QSKIP("stephost is not built");
    QTemporaryDir dir;
    QVERIFY(makeTree(dir.path(), {"in/a.txt=A", "in/b.txt=B"}));
    QStringList arguments{"run", FLOWS_DIR "/copy-move.json"};
    if (roundtrip)
        arguments << "--roundtrip";
    const StephostResult result = runStephost(arguments, dir.path());
    QCOMPARE(result.exitCode, 0);
    const QJsonObject report = result.report();

    QCOMPARE(readTree(dir.path()), (QStringList{"archive/", "archive/2024/", "archive/2024/b.txt=B",
                                                "in/", "in/a.txt=A", "out/", "out/a(1).txt=A",
                                                "out/a.txt=A", "out/b(1).txt=B", "out/b.txt=B"}));
    const QJsonObject values = variableValues(report);
    QCOMPARE(values.value("firstCopy"), QJsonValue(QJsonArray{"out/a.txt", "out/b.txt"}));
    QCOMPARE(values.value("secondCopy"), QJsonValue(QJsonArray{"out/a(1).txt", "out/b(1).txt"}));
    QCOMPARE(values.value("ontoItself"), QJsonValue(QJsonArray()));
    QCOMPARE(values.value("notAList"), QJsonValue("kept"));
    QCOMPARE(values.value("untouched"), QJsonValue(QJsonArray{"kept"}));
    QCOMPARE(report.value("log").toArray(),
             (QJsonArray{"[OpVar] 目标变量 \"notAList\" 未声明为列表，已跳过",
                         "[FileMove] 目标文件夹为空，已跳过"}));
}

void tst_FileCopyOperation::exampleFlow()
{
    if (!QFile::exists(STEPHOST_PATH))
        QSKIP("stephost is not built");
    const QString examples = QStringLiteral(FLOWS_DIR "/../../examples");
    QTemporaryDir dir;
    QVERIFY(makeTree(dir.path(), {"inbox/"}));
    for (const QString& name : QDir(examples + "/copy-files/inbox").entryList(QDir::Files))
        QVERIFY(QFile::copy(examples + "/copy-files/inbox/" + name, dir.filePath("inbox/" + name)));
    const StephostResult result =
        runStephost({"run", examples + "/copy-numbered.json"}, dir.path());
    QCOMPARE(result.exitCode, 0);
    const QJsonObject values = variableValues(result.report());
    QCOMPARE(values.value("firstCopy"),
             QJsonValue(QJsonArray{"backup/inbox/notes.txt", "backup/inbox/budget.2024.csv",
                                   "backup/inbox/README"}));
    QCOMPARE(values.value("secondCopy"),
             QJsonValue(QJsonArray{"backup/inbox/notes(1).txt", "backup/inbox/budget.2024(1).csv",
                                   "backup/inbox/README(1)"}));
}

QTEST_GUILESS_MAIN(tst_FileCopyOperation)
#include "tst_filecopyoperation.moc"
