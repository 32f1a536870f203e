// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filereadoperation.h"

#include <QDir>
#include <QJsonArray>
#include <QtTest>

#include <sys/stat.h>

// A text and a list variable whose old values a skipped step must leave alone.
static void declareTargets(VariableScope& scope)
{
    scope.declare("text", VarType::String, "old");
    scope.declare("lines", VarType::List, QVariant(QVariantList{"old"}));
}

class tst_FileReadOperation : public QObject
{
    Q_OBJECT

private slots:
    void stores_data();
    void stores();
    void warnings_data();
    void warnings();
    void withoutScopeNothingIsStored();
    void texts_data();
    void texts();
    void flowThroughStephost();
};

void tst_FileReadOperation::stores_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QVariant>("value");

    const QVariant ab = QVariantList{"a", "b"};
    QTest::newRow("lines, final LF") << QByteArray("a\nb\n") << 1 << ab;
    QTest::newRow("lines, no final LF") << QByteArray("a\nb") << 1 << ab;
    QTest::newRow("lines, two final LFs")
        << QByteArray("a\n\n") << 1 << QVariant(QVariantList{"a", QString()});
    QTest::newRow("lines, empty file") << QByteArray("") << 1 << QVariant(QVariantList{QString()});
    QTest::newRow("lines, only LF") << QByteArray("\n") << 1 << QVariant(QVariantList{QString()});
    QTest::newRow("lines, CR LF keeps CR")
        << QByteArray("a\r\nb\r\n") << 1 << QVariant(QVariantList{"a\r", "b\r"});
    QTest::newRow("lines, UTF-16LE with mark") << hexBytes("fffe 2d4e 0a00 6200") << 1
        << QVariant(QVariantList{"中", "b"});
    QTest::newRow("text, mark removed, line ends kept")
        << hexBytes("efbbbf 610d0a 620a") << 0 << QVariant("a\r\nb\n");
    QTest::newRow("text, storeAs outside the choices")
        << QByteArray("a\nb\n") << 2 << QVariant("a\nb\n");
    QTest::newRow("text, empty file") << QByteArray("") << 0 << QVariant(QString());
    // clang-format on
}

void tst_FileReadOperation::stores()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, storeAs);
    const ScratchCwd dir;
    QVERIFY(writeFile("in file.txt", bytes));
    VariableScope scope;
    declareTargets(scope);
    scope.declare("p", VarType::String, "  in file.txt \t");
    FileReadOperation op;
    QVERIFY(applySettings(&op, "filePath=$p|targetVarStr=text|targetVarList=lines"));
    op.setStoreAs(storeAs);
    QCOMPARE(warningsOf(op, &scope), QStringList());
    const QVariant stored = scope.get(storeAs == 1 ? "lines" : "text");
    QTEST(stored, "value");
    if (storeAs == 1)
        QCOMPARE(stored.userType(), int(QMetaType::QVariantList));
}

void tst_FileReadOperation::warnings_data()
{
    // clang-format off
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("warning");

    const QString file = "a.txt";
    QTest::newRow("empty path") << QString() << 0 << "text" << "[FileRead] 文件路径为空，已跳过";
    QTest::newRow("blank path and no target") << "  " << 0 << QString() << "[FileRead] 文件路径为空，已跳过";
    QTest::newRow("missing file, no target")
        << "missing.txt" << 0 << QString() << "[FileRead] 文件不存在： \"missing.txt\"";
    QTest::newRow("missing file, quotes escaped") << "x\"y\\z.txt" << 1 << "lines"
                                                  << "[FileRead] 文件不存在： \"x\\\"y\\\\z.txt\"";
    QTest::newRow("folder") << "folder" << 0 << "text" << "[FileRead] 读取失败： \"folder\"";
    QTest::newRow("FIFO is not waited for") << "pipe" << 0 << "text" << "[FileRead] 读取失败： \"pipe\"";
    QTest::newRow("no list target") << file << 1 << QString() << "[FileRead] 未指定列表目标变量，已跳过";
    QTest::newRow("list target declared as string") << file << 1 << "text"
        << "[FileRead] 目标变量 \"text\" 未声明为列表，已跳过";
    QTest::newRow("list target with dollar") << file << 1 << "$lines"
        << "[FileRead] 目标变量 \"$lines\" 未声明为列表，已跳过";
    QTest::newRow("no text target") << file << 0 << QString() << "[FileRead] 未指定字符串目标变量，已跳过";
    QTest::newRow("text target declared as list") << file << 0 << "lines"
        << "[FileRead] 目标变量 \"lines\" 未声明为字符串，已跳过";
    QTest::newRow("text target undeclared") << file << 0 << "nowhere"
        << "[FileRead] 目标变量 \"nowhere\" 未声明为字符串，已跳过";
    // clang-format on
}

void tst_FileReadOperation::warnings()
{
    QFETCH(QString, filePath);
    QFETCH(int, storeAs);
    QFETCH(QString, target);
    QFETCH(QString, warning);
    const ScratchCwd dir;
    QVERIFY(writeFile("a.txt", "content"));
    QVERIFY(QDir().mkdir("folder"));
    QCOMPARE(mkfifo("pipe", 0600), 0);

    VariableScope scope;
    declareTargets(scope);
    FileReadOperation op;
    op.setFilePath(filePath);
    op.setStoreAs(storeAs);
    op.setTargetVarStr(target);
    op.setTargetVarList(target);
    QCOMPARE(warningsOf(op, &scope), QStringList{warning});
    QCOMPARE(scope.get("text"), QVariant("old"));
    QCOMPARE(scope.get("lines"), QVariant(QVariantList{"old"}));
    QVERIFY(!scope.contains("nowhere"));
}

// The host always sets a scope; without one the target cannot be declared, so it is reported.
void tst_FileReadOperation::withoutScopeNothingIsStored()
{
    const ScratchCwd dir;
    QVERIFY(writeFile("a.txt", "content"));
    FileReadOperation op;
    op.setFilePath("a.txt");
    op.setTargetVarStr("text");
    QCOMPARE(warningsOf(op, nullptr),
             QStringList{"[FileRead] 目标变量 \"text\" 未声明为字符串，已跳过"});
}

void tst_FileReadOperation::texts_data()
{
    // clang-format off
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("text target") << 0 << "从文件读取文本: $p -> $s" << "读取 $p 的内容存入 $s";
    QTest::newRow("list target") << 1 << "从文件读取文本: $p -> $list" << "读取 $p 的内容存入 $list";
    QTest::newRow("storeAs outside the choices") << 5 << "从文件读取文本: $p -> $s" << "读取 $p 的内容存入 $s";
    // clang-format on
}

void tst_FileReadOperation::texts()
{
    QFETCH(int, storeAs);
    FileReadOperation op;
    op.setFilePath("$p");
    op.setStoreAs(storeAs);
    op.setTargetVarStr("s");
    op.setTargetVarList("$list");
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");
}

// Writes, appends (a list, a table, to a UTF-16 file) and reads back through the loaded plug-in.
void tst_FileReadOperation::flowThroughStephost()
{
    const ScratchCwd dir;
    QVERIFY(QDir().mkdir("out"));
    QVERIFY(writeFile("utf16.txt", hexBytes("fffe 4100")));
    const StephostResult run =
        runStephost(QStringList{"run", QStringLiteral(FLOWS_DIR "/text.json")}, dir.path());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.log(), (QStringList{"[FileRead] 目标变量 \"notList\" 未声明为列表，已跳过",
                                     "[FileRead] 文件不存在： \"missing.txt\"",
                                     "[FileWrite] 写入失败： \"nofolder/x.txt\""}));
    QCOMPARE(run.value("text").toString(), "第一行\n第二行\nthird1, 2\n3, 4");
    QCOMPARE(run.value("items").toArray(), (QJsonArray{"第一行", "第二行", "third1, 2", "3, 4"}));
    QCOMPARE(run.value("utf16").toString(), "A\n尾");
    QCOMPARE(run.value("notList").toString(), "kept");

    QCOMPARE(readFile("out/new.txt"), QByteArray("\xEF\xBB\xBF第一行\n第二行\nthird1, 2\n3, 4"));
    QCOMPARE(readFile("utf16.txt"), hexBytes("fffe 4100 0a00 3e5c"));
    QVERIFY(!QFileInfo::exists("nofolder"));
}

QTEST_GUILESS_MAIN(tst_FileReadOperation)
#include "tst_filereadoperation.moc"
