// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The CSV steps end to end through stephost: tests/flows/csv.json and the example flow.
#include "testsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class tst_CsvFlows : public QObject
{
    Q_OBJECT

private slots:
    void csvFlow();
    void exampleFlow();
    void legacyExampleFlow_data();
    void legacyExampleFlow();
};

static const QByteArray kMark("\xef\xbb\xbf");

static QDir examplesDir()
{
    return QDir(QStringLiteral(FLOWS_DIR "/../../examples"));
}

// A table as the report shows it.
static QByteArray tableJson(const QJsonValue& table)
{
    return QJsonDocument(table.toArray()).toJson(QJsonDocument::Compact);
}

// Every step saved and loaded again before it runs: the settings survive the trip too.
void tst_CsvFlows::csvFlow()
{
    const QTemporaryDir dir;
    const QByteArray input =
        kMark + "id,名称,\"say \"\"hi\"\"\"\r\n1, 苹果 ,\"a,b\"\r\n2,梨\r\n\r\n";
    QVERIFY(writeFile(dir.filePath("in.csv"), input));

    const StephostResult result = runStephost(
        QStringList{"run", QStringLiteral(FLOWS_DIR "/csv.json"), "--roundtrip"}, dir.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.log(), (QStringList{"[CsvRead] 文件不存在： \"missing.csv\"",
                                        "[CsvRead] 目标变量 \"notTable\" 未声明为数据表，已跳过",
                                        "[CsvWrite] 文件路径为空，已跳过",
                                        "[CsvRead] 起始行大于结束行，已跳过"}));

    const auto table = [&](const char* name) { return tableJson(result.value(name)); };
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
    const QDir examples = examplesDir();
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

void tst_CsvFlows::legacyExampleFlow_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("lcAll"); // null: unset
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<bool>("legacy"); // whether the GBK file is read and continued as GBK

    const QStringList none;
    const QStringList gb18030{"--legacy-encoding", "GB18030"};
    const QByteArray unset;
    QTest::newRow("option") << gb18030 << QByteArray("C.UTF-8") << unset << true;
    QTest::newRow("no option, C locale") << none << QByteArray("C.UTF-8") << unset << false;
    QTest::newRow("no option, LANG=zh_CN.UTF-8")
        << none << unset << QByteArray("zh_CN.UTF-8") << true;
    QTest::newRow("UTF-8 named in a Chinese locale")
        << QStringList{"--legacy-encoding", "UTF-8"} << unset << QByteArray("zh_CN.UTF-8") << false;
}

// The GBK CSV of the example: read into a table, a row appended, read again. Without a legacy
// code page the file reads and grows as it always did (UTF-8, the GBK bytes as U+FFFD).
void tst_CsvFlows::legacyExampleFlow()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lang);
    QFETCH(bool, legacy);
    const QTemporaryDir dir;
    const QString csv = QStringLiteral("订单.csv");
    const QByteArray before = readFile(examplesDir().filePath("legacy-files/" + csv));
    QVERIFY(writeFile(dir.filePath(csv), before));

    const QByteArray savedLcAll = qgetenv("LC_ALL");
    const QByteArray savedLang = qgetenv("LANG");
    const auto setOrUnset = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    setOrUnset("LC_ALL", lcAll);
    setOrUnset("LANG", lang);
    const StephostResult result = runStephost(
        options + QStringList{"run", examplesDir().filePath("legacy-orders.json")}, dir.path());
    setOrUnset("LC_ALL", savedLcAll);
    setOrUnset("LANG", savedLang);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.log(), QStringList());

    const QString row = QStringLiteral("1004,赵六,机械键盘,3,399.00");
    QTextCodec* codec = QTextCodec::codecForName(legacy ? "GB18030" : "UTF-8");
    QCOMPARE(readFile(dir.filePath(csv)), before + codec->fromUnicode(row));
    QJsonArray orders;
    for (const QString& line : codec->toUnicode(before).split("\r\n", Qt::SkipEmptyParts))
        orders.append(QJsonArray::fromStringList(line.split(',')));
    QCOMPARE(tableJson(result.value("orders")), tableJson(orders));
    if (legacy) {
        QVERIFY(tableJson(orders).startsWith(R"([["订单号","客户","产品")"));
        orders.append(QJsonArray::fromStringList(row.split(',')));
        QCOMPARE(tableJson(result.value("updated")), tableJson(orders));
    }
}

QTEST_GUILESS_MAIN(tst_CsvFlows)
#include "tst_csvflows.moc"
