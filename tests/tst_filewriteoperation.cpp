// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filewriteoperation.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>

static const QByteArray kMark = "\xEF\xBB\xBF";

class tst_FileWriteOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void texts_data();
    void texts();
};

void tst_FileWriteOperation::run_data()
{
    QTest::addColumn<QByteArray>("before"); // of out.txt; null: no file yet
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("after"); // of out.txt; null: no file
    QTest::addColumn<QString>("warning");
    const auto add = [](const char* tag, const QByteArray& before, const char* settings,
                        const QByteArray& after, const char* warning = "") {
        QTest::newRow(tag) << before << QString::fromUtf8(settings) << after
                           << QString::fromUtf8(warning);
    };
    const QByteArray none;
    add("literal", none, "content=abc", kMark + "abc");
    add("number literal 007", none, "content=007", kMark + "7");
    add("not a number", none, "content=007a", kMark + "007a");
    add("string variable", none, "content=$text", kMark + "\x20\xE4\xB8\xAD\xE6\x96\x87\r\n");
    add("list, one line per item", none, "content=$list", kMark + "a\nb\nc");
    add("string list", none, "content=$strings", kMark + "s1\ns2");
    add("data table, cells joined", none, "content=$table", kMark + "1, 2\n3, 4.5");
    add("nested lists", none, "content=$nested", kMark + "x\ny, z1, z2");
    add("empty list", none, "content=$empty", kMark);
    add("list Count member", none, "content=$list.Count", kMark + "3");
    add("missing variable", none, "content=$missing", kMark);
    add("map has no text", none, "content=$map", kMark);

    add("overwrite", "old", "content=abc", kMark + "abc");
    add("ifExist outside the choices overwrites", "old",
        "content=abc|ifExist=2|appendNoNewline=true", kMark + "abc");
    add("append without newline", "abc", "content=x|ifExist=1|appendNoNewline=true", "abcx");
    add("append nothing adds the line break", "abc", "content=|ifExist=1", "abc\n");

    const char* emptyPath = "[FileWrite] 文件路径为空，已跳过";
    add("blank path", none, "filePath= \t|ifExist=1", none, emptyPath);
    add("reference to nothing", none, "filePath=$missing", none, emptyPath);
    add("parent is a file", none, "filePath=keep.txt/out.txt|ifExist=1", none,
        "[FileWrite] 写入失败： \"keep.txt/out.txt\"");
    add("target is a folder", none, "filePath=folder", none, "[FileWrite] 写入失败： \"folder\"");
    add("target is a folder, append", none, "filePath=folder|ifExist=1", none,
        "[FileWrite] 写入失败： \"folder\"");
    add("FIFO does not hang", none, "filePath=pipe", none, "[FileWrite] 写入失败： \"pipe\"");
    add("FIFO, append, does not hang", none, "filePath=pipe|ifExist=1", none,
        "[FileWrite] 写入失败： \"pipe\"");
    add("missing folder, quote and backslash escaped", none, "filePath=no\"dir\\/x", none,
        "[FileWrite] 写入失败： \"no\\\"dir\\\\/x\"");
}

// The path from a variable, trimmed; a write that fails leaves every other entry as it was.
void tst_FileWriteOperation::run()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, settings);
    QFETCH(QByteArray, after);
    const ScratchCwd dir;
    QVERIFY(writeFile("keep.txt", "keep") && QDir().mkdir("folder"));
    QCOMPARE(mkfifo("pipe", 0600), 0);
    if (!before.isNull())
        QVERIFY(writeFile("out.txt", before));
    QStringList entries = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (before.isNull() && !after.isNull())
        entries = QStringList{"folder", "keep.txt", "out.txt"}; // a FIFO is no entry to QDir

    VariableScope scope;
    scope.declare("path", VarType::String, " out.txt ");
    scope.declare("list", VarType::List, QVariantList{"a", "b", "c"});
    scope.declare("strings", VarType::List, QStringList{"s1", "s2"});
    scope.declare("table", VarType::DataTable,
                  QVariantList{QVariantList{"1", "2"}, QVariantList{3.0, 4.5}});
    scope.declare("nested", VarType::List,
                  QVariantList{"x", QVariantList{"y", QVariantList{"z1", "z2"}}});
    scope.declare("empty", VarType::List, QVariantList());
    scope.declare("text", VarType::String, " 中文\r\n");
    scope.declare("map", VarType::Object, QVariantMap{{"k", "v"}});
    FileWriteOperation op;
    QVERIFY(applySettings(&op, "filePath=$path|content=x|" + settings));
    QTEST(warningsOf(op, &scope).join('|'), "warning");
    QCOMPARE(readFile("out.txt"), after);
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
    QCOMPARE(readFile("keep.txt"), QByteArray("keep"));
    QVERIFY(QDir("folder").isEmpty());
}

void tst_FileWriteOperation::texts_data()
{
    // clang-format off
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("description");

    QTest::newRow("overwrite") << "$t" << 0 << "将文本$t写入 $p（覆盖）";
    QTest::newRow("append") << "hello" << 1 << "将文本hello写入 $p（追加）";
    QTest::newRow("outside the choices") << QString() << 2 << "将文本写入 $p（覆盖）";
    // clang-format on
}

void tst_FileWriteOperation::texts()
{
    QFETCH(QString, content);
    QFETCH(int, ifExist);
    FileWriteOperation op;
    op.setFilePath(QStringLiteral("$p"));
    op.setContent(content);
    op.setIfExist(ifExist);
    QCOMPARE(op.toString(), QStringLiteral("将文本写入文件: -> $p"));
    QTEST(op.description(), "description");
}

QTEST_GUILESS_MAIN(tst_FileWriteOperation)
#include "tst_filewriteoperation.moc"
