// The CSV steps end to end through stephost: tests/flows/csv.json and the example flow.
#include "testsupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

class tst_CsvFlows : public QObject
{
    Q_OBJECT

private slots:
    void csvFlow_data();
    void csvFlow();
    void exampleFlow();
};

static const QByteArray kMark("\xef\xbb\xbf");

void tst_CsvFlows::csvFlow_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("json flow") << QStringList();
    // Every step saved and loaded again before it runs: the settings survive the trip.
    QTest::newRow("round trip") << QStringList{"--roundtrip"};
}

void tst_CsvFlows::csvFlow()
{
    QFETCH(QStringList, options);
    const QTemporaryDir dir;
    const QByteArray input =
        kMark + "id,名称,\"say \"\"hi\"\"\"\r\n1, 苹果 ,\"a,b\"\r\n2,梨\r\n\r\n";
    QVERIFY(writeFile(dir.filePath("in.csv"), input));

    const StephostResult result = runStephost(
        QStringList{"run", QStringLiteral(FLOWS_DIR "/csv.json")} + options, dir.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.log(), (QStringList{"[CsvRead] 文件不存在： \"missing.csv\"",
                                        "[CsvRead] 目标变量 \"notTable\" 未声明为数据表，已跳过",
                                        "[CsvWrite] 文件路径为空，已跳过",
                                        "[CsvRead] 起始行大于结束行，已跳过"}));

    const auto table = [&](const char* name) {
        return QJsonDocument(result.value(name).toArray()).toJson(QJsonDocument::Compact);
    };
    QCOMPARE(table("t"),
             QByteArray(R"([["id","名称","say \"hi\""],["1"," 苹果 ","a,b"],["2","梨"]])"));
    QCOMPARE(table("block"), QByteArray(R"([["a,b","1"],["","2"]])"));
    QCOMPARE(result.value("notTable"), QJsonValue());

    QCOMPARE(readFile(dir.filePath("copy.csv")),
             kMark + "id,名称,\"say \"\"hi\"\"\"\n1, 苹果 ,\"a,b\"\n2,梨");
    QCOMPARE(readFile(dir.filePath("block.tsv")), kMark + "a,b\t1\n\t2\n\"a,b\",1\n,2");
    QCOMPARE(readFile(dir.filePath("json.csv")), kMark + "\"j,2\",j1");
}

void tst_CsvFlows::exampleFlow()
{
    const QTemporaryDir dir;
    const QDir examples(QStringLiteral(FLOWS_DIR "/../../examples"));
    const QDir files(examples.filePath("csv-files"));
    for (const QString& name : files.entryList(QDir::Files))
        QVERIFY(QFile::copy(files.filePath(name), dir.filePath(name)));

    const StephostResult result =
        runStephost({"run", examples.filePath("csv-block.json")}, dir.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.log(), QStringList());
    QCOMPARE(readFile(dir.filePath("block.csv")),
             kMark + "笔记本, 14寸;3;2024-01-05\n鼠标;25;2024-01-06\n显示器;7;2024-01-07\n"
                     "键盘;12;2024-01-08\n\"耳机;降噪\";9;2024-01-09");
}

QTEST_GUILESS_MAIN(tst_CsvFlows)
#include "tst_csvflows.moc"
