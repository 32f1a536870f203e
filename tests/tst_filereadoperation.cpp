// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filereadoperation.h"

#include <QDir>
#include <QJsonArray>
#include <QtTest>

#include <sys/stat.h>

class tst_FileReadOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void texts_data();
    void texts();
    void flowThroughStephost();
};

void tst_FileReadOperation::run_data()
{
    QTest::addColumn<QByteArray>("bytes"); // of "in file.txt"
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QVariant>("value"); // stored in the target; invalid: both targets kept
    QTest::addColumn<QString>("warning");
    const auto add = [](const char* tag, const QByteArray& bytes, const char* settings,
                        const QVariant& value, const char* warning = "") {
        QTest::newRow(tag) << bytes << QString::fromUtf8(settings) << value
                           << QString::fromUtf8(warning);
    };
    const QVariant ab = QVariantList{"a", "b"};
    const QVariant emptyLine = QVariantList{QString()};
    add("lines, final LF", "a\nb\n", "storeAs=1", ab);
    add("lines, no final LF", "a\nb", "storeAs=1", ab);
    add("lines, two final LFs", "a\n\n", "storeAs=1", QVariantList{"a", QString()});
    add("lines, empty file", "", "storeAs=1", emptyLine);
    add("lines, CR LF keeps CR", "a\r\nb\r\n", "storeAs=1", QVariantList{"a\r", "b\r"});
    add("lines, UTF-16LE with mark", hexBytes("fffe 2d4e 0a00 6200"), "storeAs=1",
        QVariantList{"中", "b"});
    add("text, mark removed, line ends kept", hexBytes("efbbbf 610d0a 620a"), "", "a\r\nb\n");
    add("text, storeAs outside the choices", "a\nb\n", "storeAs=2", "a\nb\n");
    add("text, empty file", "", "", QString());

    const QVariant kept;
    add("empty path", {}, "filePath=", kept, "[FileRead] 文件路径为空，已跳过");
    add("blank path and no target", {}, "filePath=  |targetVarStr=", kept,
        "[FileRead] 文件路径为空，已跳过");
    add("missing file, no target", {}, "filePath=missing.txt|targetVarStr=", kept,
        "[FileRead] 文件不存在： \"missing.txt\"");
    add("missing file, quotes escaped", {}, "filePath=x\"y\\z.txt|storeAs=1", kept,
        "[FileRead] 文件不存在： \"x\\\"y\\\\z.txt\"");
    add("folder", {}, "filePath=folder", kept, "[FileRead] 读取失败： \"folder\"");
    add("FIFO is not waited for", {}, "filePath=pipe", kept, "[FileRead] 读取失败： \"pipe\"");
    add("no list target", {}, "storeAs=1|targetVarList=", kept,
        "[FileRead] 未指定列表目标变量，已跳过");
    add("list target declared as string", {}, "storeAs=1|targetVarList=text", kept,
        "[FileRead] 目标变量 \"text\" 未声明为列表，已跳过");
    add("list target with dollar", {}, "storeAs=1|targetVarList=$lines", kept,
        "[FileRead] 目标变量 \"$lines\" 未声明为列表，已跳过");
    add("no text target", {}, "targetVarStr=", kept, "[FileRead] 未指定字符串目标变量，已跳过");
    add("text target declared as list", {}, "targetVarStr=lines", kept,
        "[FileRead] 目标变量 \"lines\" 未声明为字符串，已跳过");
    add("text target undeclared", {}, "targetVarStr=nowhere", kept,
        "[FileRead] 目标变量 \"nowhere\" 未声明为字符串，已跳过");
    // The host always sets a scope; without one the target cannot be declared, so it is reported.
    add("without a scope", {}, "filePath=in file.txt|noscope", kept,
        "[FileRead] 目标变量 \"text\" 未声明为字符串，已跳过");
}

// The path from a variable, trimmed; a skipped step leaves the targets' old values alone.
void tst_FileReadOperation::run()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, settings);
    QFETCH(QVariant, value);
    const ScratchCwd dir;
    QVERIFY(writeFile("in file.txt", bytes));
    QVERIFY(QDir().mkdir("folder"));
    QCOMPARE(mkfifo("pipe", 0600), 0);
    VariableScope scope;
    scope.declare("text", VarType::String, "old");
    scope.declare("lines", VarType::List, QVariant(QVariantList{"old"}));
    scope.declare("p", VarType::String, "  in file.txt \t");
    FileReadOperation op;
    QVERIFY(applySettings(&op, "filePath=$p|targetVarStr=text|targetVarList=lines|" + settings));
    QTEST(warningsOf(op, settings.contains("noscope") ? nullptr : &scope).join('|'), "warning");
    const bool lines = op.storeAs() == 1;
    QCOMPARE(scope.get("text"), value.isValid() && !lines ? value : QVariant("old"));
    QCOMPARE(scope.get("lines"), value.isValid() && lines ? value : QVariant(QVariantList{"old"}));
    QCOMPARE(scope.get("lines").userType(), int(QMetaType::QVariantList));
    QVERIFY(!scope.contains("nowhere"));
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
