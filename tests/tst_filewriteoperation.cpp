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
    void write_data();
    void write();
    void warnings_data();
    void warnings();
    void texts_data();
    void texts();
};

static void declareContentVariables(VariableScope& scope)
{
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
}

void tst_FileWriteOperation::write_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<bool>("appendNoNewline");
    QTest::addColumn<QByteArray>("after");

    const QByteArray none;
    const QByteArray old = "old";
    QTest::newRow("literal") << none << "abc" << 0 << false << kMark + "abc";
    QTest::newRow("number literal 007") << none << "007" << 0 << false << kMark + "7";
    QTest::newRow("not a number") << none << "007a" << 0 << false << kMark + "007a";
    QTest::newRow("string variable")
        << none << "$text" << 0 << false << kMark + "\x20\xE4\xB8\xAD\xE6\x96\x87\r\n";
    QTest::newRow("list, one line per item") << none << "$list" << 0 << false << kMark + "a\nb\nc";
    QTest::newRow("string list") << none << "$strings" << 0 << false << kMark + "s1\ns2";
    QTest::newRow("data table, cells joined")
        << none << "$table" << 0 << false << kMark + "1, 2\n3, 4.5";
    QTest::newRow("nested lists") << none << "$nested" << 0 << false << kMark + "x\ny, z1, z2";
    QTest::newRow("empty list") << none << "$empty" << 0 << false << kMark;
    QTest::newRow("list Count member") << none << "$list.Count" << 0 << false << kMark + "3";
    QTest::newRow("missing variable") << none << "$missing" << 0 << false << kMark;
    QTest::newRow("map has no text") << none << "$map" << 0 << false << kMark;

    QTest::newRow("overwrite") << old << "abc" << 0 << false << kMark + "abc";
    QTest::newRow("ifExist outside the choices overwrites")
        << old << "abc" << 2 << true << kMark + "abc";
    QTest::newRow("append without newline")
        << QByteArray("abc") << "x" << 1 << true << QByteArray("abcx");
    QTest::newRow("append nothing adds the line break")
        << QByteArray("abc") << QString() << 1 << false << QByteArray("abc\n");
    QTest::newRow("append a list to UTF-16LE") << hexBytes("fffe 6100") << "$list" << 1 << false
                                               << hexBytes("fffe 6100 0a00 6100 0a00 6200 0a00 "
                                                           "6300");
    // clang-format on
}

void tst_FileWriteOperation::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, content);
    QFETCH(int, ifExist);
    QFETCH(bool, appendNoNewline);
    const ScratchCwd dir;
    if (!before.isNull())
        QVERIFY(writeFile(QStringLiteral("out.txt"), before));
    VariableScope scope;
    declareContentVariables(scope);
    FileWriteOperation op;
    op.setFilePath(QStringLiteral("$path"));
    op.setContent(content);
    op.setIfExist(ifExist);
    op.setAppendNoNewline(appendNoNewline);
    QCOMPARE(warningsOf(op, &scope), QStringList());
    QTEST(readFile(QStringLiteral("out.txt")), "after");
}

void tst_FileWriteOperation::warnings_data()
{
    // clang-format off
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("warning");

    QTest::newRow("blank path") << " \t" << 1 << "[FileWrite] 文件路径为空，已跳过";
    QTest::newRow("reference to nothing") << "$missing" << 0 << "[FileWrite] 文件路径为空，已跳过";
    QTest::newRow("missing folder")
        << "nofolder/out.txt" << 0 << "[FileWrite] 写入失败： \"nofolder/out.txt\"";
    QTest::newRow("parent is a file")
        << "keep.txt/out.txt" << 1 << "[FileWrite] 写入失败： \"keep.txt/out.txt\"";
    QTest::newRow("target is a folder") << "folder" << 0 << "[FileWrite] 写入失败： \"folder\"";
    QTest::newRow("target is a folder, append") << "folder" << 1 << "[FileWrite] 写入失败： \"folder\"";
    QTest::newRow("FIFO does not hang") << "pipe" << 0 << "[FileWrite] 写入失败： \"pipe\"";
    QTest::newRow("FIFO, append, does not hang") << "pipe" << 1 << "[FileWrite] 写入失败： \"pipe\"";
    QTest::newRow("quote and backslash escaped")
        << "no\"dir\\/x" << 0 << "[FileWrite] 写入失败： \"no\\\"dir\\\\/x\"";
    // clang-format on
}

void tst_FileWriteOperation::warnings()
{
    QFETCH(QString, filePath);
    QFETCH(int, ifExist);
    QFETCH(QString, warning);
    const ScratchCwd dir;
    QVERIFY(writeFile(QStringLiteral("keep.txt"), "keep"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    QCOMPARE(mkfifo("pipe", 0600), 0);
    const QStringList entriesBefore = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    FileWriteOperation op;
    op.setFilePath(filePath);
    op.setContent(QStringLiteral("x"));
    op.setIfExist(ifExist);
    VariableScope scope;
    QCOMPARE(warningsOf(op, &scope), QStringList{warning});
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entriesBefore);
    QCOMPARE(readFile(QStringLiteral("keep.txt")), QByteArray("keep"));
    QVERIFY(QDir(QStringLiteral("folder")).isEmpty());
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
