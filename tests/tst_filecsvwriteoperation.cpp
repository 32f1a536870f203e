// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "csv/datatable.h"
#include "filetree.h"
#include "operations/filecsvreadoperation.h"
#include "operations/filecsvwriteoperation.h"

#include <QtTest>

class tst_FileCsvWriteOperation : public QObject
{
    Q_OBJECT

private slots:
    void description();
    void warnings_data();
    void warnings();
    void writes_data();
    void writes();
    void ifExist_data();
    void ifExist();
    void roundTrip_data();
    void roundTrip();
};

static const QByteArray kMark("\xef\xbb\xbf");

static QVariant table(const char* json)
{
    return parseDataTableJson(QString::fromUtf8(json));
}

void tst_FileCsvWriteOperation::description()
{
    // The clash choice is named; a value outside the choices reads as the first.
    FileCsvWriteOperation op;
    op.setSourceVar("t");
    op.setFilePath("$p");
    const QStringList expected{"将数据表 $t 写入 $p（覆盖）", "将数据表 $t 写入 $p（追加）",
                               "将数据表 $t 写入 $p（放弃）", "将数据表 $t 写入 $p（覆盖）"};
    for (int choice = 0; choice < expected.size(); ++choice) {
        op.setIfExist(choice == 3 ? 7 : choice);
        QCOMPARE(op.description(), expected.at(choice));
    }
}

void tst_FileCsvWriteOperation::warnings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("warning"); // empty: none
    const auto add = [](const char* tag, const char* settings, const char* warning) {
        QTest::newRow(tag) << QString::fromUtf8(settings) << QString::fromUtf8(warning);
    };
    add("empty source", "sourceVar=", "[CsvWrite] 未指定数据表变量，已跳过");
    add("undeclared source", "sourceVar=u", "[CsvWrite] 变量 \"u\" 未声明为数据表，已跳过");
    add("list source", "sourceVar=list", "[CsvWrite] 变量 \"list\" 未声明为数据表，已跳过");
    add("source checked before the path, never trimmed",
        "sourceVar= t |filePath=", "[CsvWrite] 变量 \" t \" 未声明为数据表，已跳过");
    add("empty table, scope 1, before the path", "sourceVar=empty|filePath=|writeScope=1",
        "[CsvWrite] 起始行大于结束行，已跳过");
    add("empty path", "filePath=", "[CsvWrite] 文件路径为空，已跳过");
    add("blank path", "filePath= \t|ifExist=1", "[CsvWrite] 文件路径为空，已跳过");
    add("give up before the path", "filePath=|ifExist=2", "");
    add("parent is a file", "filePath=plain.txt/out.csv",
        "[CsvWrite] 写入失败： \"plain.txt/out.csv\"");
    add("target is a folder", "filePath= folder |ifExist=1", "[CsvWrite] 写入失败： \"folder\"");
    add("without a scope nothing is said or written", "sourceVar=|noscope", "");
}

void tst_FileCsvWriteOperation::warnings()
{
    QFETCH(QString, settings);
    const ScratchCwd dir;
    QVERIFY(makeTree("plain.txt|folder/"));
    VariableScope scope;
    scope.declare("t", VarType::DataTable, table(R"([["a"]])"));
    scope.declare("empty", VarType::DataTable); // holds nothing: the empty table
    scope.declare("list", VarType::List, QVariantList{"a"});
    FileCsvWriteOperation op;
    QVERIFY(applySettings(&op, "sourceVar=t|filePath=out.csv|" + settings));
    QTEST(warningsOf(op, settings.contains("noscope") ? nullptr : &scope).join('|'), "warning");
    QCOMPARE(treeSnapshot(), QStringList({"folder/", "plain.txt"}));
}

void tst_FileCsvWriteOperation::writes_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("text"); // after the mark
    const auto add = [](const char* tag, const QVariant& value, const char* settings,
                        const QByteArray& text) {
        QTest::newRow(tag) << value << QString::fromUtf8(settings) << text;
    };
    add("two rows, no break at the end", table(R"([["a","b"],["c"]])"), "", "a,b\nc");
    add("quoting", table(R"([["a","b,c","say \"hi\""]])"), "", "a,\"b,c\",\"say \"\"hi\"\"\"");
    add("delimiter from variable", table(R"([["a","b"]])"), "delimiter=$tab", "a\tb");
    add("no escapes in the delimiter", table(R"([["a","b"]])"), "delimiter=\\t", "a\\b");
    add("empty table", QVariantList(), "", "");
    add("json text", R"([["1","2"],["3"]])", "", "1,2\n3");
    add("rows without cells", table(R"([[],["a"],[]])"), "", "\na\n");
    add("row that is no list gives no cells",
        QVariantList{QVariant(QVariantList{"a"}), 5, QVariant(QVariantList{"b"})}, "", "a\n\nb");
    add("columns 1,5", table(R"([["a","b","c"],["d","e","f","g","h","i"]])"),
        "writeScope=1|columns=1,5", "b,\ne,i");
    add("columns from list", table(R"([["a","b","c"]])"), "writeScope=1|columns=$cols", "c,b");
    add("block of rows", table(R"([["0"],["1"],["2"],["3"]])"), "writeScope=1|startRow=1|endRow=2",
        "1\n2");
    add("scope 0 ignores the block", table(R"([["a","b"],["c"]])"), "startRow=1|endRow=0|columns=1",
        "a,b\nc");
    // An empty list held by the variable is one row without cells, so a block finds a row.
    add("empty list, scope 1", QVariantList(), "writeScope=1", "");

    // Large tables are formatted and encoded in parts, each on a thread of its own.
    QVariantList rows;
    QByteArray lines;
    for (int row = 0; row < 150002; ++row) {
        const QByteArray number = QByteArray::number(row);
        rows.append(QVariant(QVariantList{QString::fromUtf8(number), QString::fromUtf8("名,")}));
        lines += (row ? "\n" : "") + number + ",\"名,\"";
    }
    add("large table in parts", rows, "", lines);
    // The text is encoded a chunk of about 2^20 characters at a time; a high surrogate at a
    // chunk's end would be held back for its low half and lost.
    const QString chunk(1048575, QLatin1Char('a'));
    add("lone high surrogate at a chunk's end",
        QVariantList{QVariant(QVariantList{chunk + QChar(0xD800)}), QVariant(QVariantList{"b"})},
        "", chunk.toLatin1() + "?\nb");
    add("block of a large table", rows, "writeScope=1|startRow=60000|endRow=60001|columns=1",
        "\"名,\"\n\"名,\"");
}

void tst_FileCsvWriteOperation::writes()
{
    QFETCH(QVariant, value);
    QFETCH(QString, settings);
    QFETCH(QByteArray, text);
    const ScratchCwd dir;
    VariableScope scope;
    scope.declare("t", VarType::DataTable, value);
    scope.declare("tab", VarType::String, "\t");
    scope.declare("cols", VarType::List, QVariantList{"2", "1"});
    scope.declare("p", VarType::String, " out.csv ");
    FileCsvWriteOperation op;
    QVERIFY(applySettings(&op, "sourceVar=t|filePath=$p|" + settings));
    QCOMPARE(warningsOf(op, &scope), QStringList());
    QCOMPARE(readFile("out.csv"), kMark + text);
    QCOMPARE(scope.get("t"), value);
}

void tst_FileCsvWriteOperation::ifExist_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("after"); // empty: no file

    const QByteArray old = kMark + "old";
    const QByteArray written = kMark + "x,y\nz";
    QTest::newRow("overwrite") << true << old << "ifExist=0" << written;
    QTest::newRow("choice 7 overwrites") << true << old << "ifExist=7" << written;
    QTest::newRow("overwrite missing") << false << QByteArray() << "ifExist=0" << written;
    QTest::newRow("append with guard") << true << old << "ifExist=1" << old + "\nx,y\nz";
    QTest::newRow("append without guard")
        << true << old << "ifExist=1|appendNoNewline=true" << old + "x,y\nz";
    QTest::newRow("append after LF") << true << old + "\n"
                                     << "ifExist=1" << old + "\nx,y\nz";
    QTest::newRow("append to empty file")
        << true << QByteArray() << "ifExist=1" << QByteArray("x,y\nz");
    QTest::newRow("append to missing file") << false << QByteArray() << "ifExist=1" << written;
    QTest::newRow("append in the file's encoding")
        << true << hexBytes("fffe 6100") << "ifExist=1"
        << hexBytes("fffe 6100 0a00 7800 2c00 7900 0a00 7a00");
    QTest::newRow("give up keeps the file") << true << old << "ifExist=2" << old;
    QTest::newRow("give up creates nothing")
        << false << QByteArray() << "ifExist=2" << QByteArray();
}

void tst_FileCsvWriteOperation::ifExist()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, settings);
    QFETCH(QByteArray, after);
    const ScratchCwd dir;
    if (exists)
        QVERIFY(writeFile("out.csv", before));
    VariableScope scope;
    scope.declare("t", VarType::DataTable, table(R"([["x","y"],["z"]])"));
    FileCsvWriteOperation op;
    QVERIFY(applySettings(&op, "sourceVar=t|filePath=out.csv|" + settings));
    QCOMPARE(warningsOf(op, &scope), QStringList());
    QCOMPARE(QFile::exists("out.csv"), !after.isEmpty());
    QCOMPARE(readFile("out.csv"), after);
}

void tst_FileCsvWriteOperation::roundTrip_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QByteArray>("text");   // the file after the mark
    QTest::addColumn<QString>("readBack");  // the table read from it
    QTest::addColumn<bool>("rewritesSame"); // whether writing what was read gives the same file

    const char* awkward = R"([["a","b,c","say \"hi\"","\"","",""],["x\"\"y"," lead","trail "]])";
    QTest::newRow("quotes and delimiters")
        << awkward
        << QByteArray("a,\"b,c\",\"say \"\"hi\"\"\",\"\"\"\",,\n\"x\"\"\"\"y\", lead,trail ")
        << awkward << true;
    const char* chinese = R"([["名称","数量，单位","“引号”"],["甲","乙,丙"]])";
    QTest::newRow("chinese") << chinese << QByteArray("名称,数量，单位,“引号”\n甲,\"乙,丙\"")
                             << chinese << true;
    QTest::newRow("empty rows in the middle stay")
        << R"([["a"],[],[""],["b"]])" << QByteArray("a\n\n\nb") << R"([["a"],[""],[""],["b"]])"
        << true;
    QTest::newRow("empty rows at the end go")
        << R"([["a"],[],[""]])" << QByteArray("a\n\n") << R"([["a"]])" << false;
    QTest::newRow("line breaks in cells split rows")
        << R"([["a","x\ny"],["b\r\nc"]])" << QByteArray("a,\"x\ny\"\n\"b\r\nc\"")
        << R"([["a","x"],["y"],["b"],["c"]])" << false;
}

// Writes the variable t to out.csv and reads it back into the variable r.
static void writeAndRead(VariableScope& scope)
{
    FileCsvWriteOperation writer;
    applySettings(&writer, "sourceVar=t|filePath=out.csv");
    writer.setVariableScope(&scope);
    writer.doOperation();
    FileCsvReadOperation reader;
    applySettings(&reader, "filePath=out.csv|targetVar=r");
    reader.setVariableScope(&scope);
    reader.doOperation();
}

void tst_FileCsvWriteOperation::roundTrip()
{
    QFETCH(QString, table);
    QFETCH(QByteArray, text);
    QFETCH(QString, readBack);
    QFETCH(bool, rewritesSame);
    const ScratchCwd dir;
    VariableScope scope;
    scope.declare("t", VarType::DataTable, parseDataTableJson(table));
    scope.declare("r", VarType::DataTable);
    const WarningLog log;
    writeAndRead(scope);
    const QByteArray first = readFile("out.csv");
    QCOMPARE(first, kMark + text);
    QCOMPARE(scope.get("r"), QVariant(parseDataTableJson(readBack)));

    // What was read back, written again, gives the same file and reads back the same table.
    scope.set("t", scope.get("r"));
    writeAndRead(scope);
    QCOMPARE(readFile("out.csv") == first, rewritesSame);
    QCOMPARE(scope.get("r"), QVariant(parseDataTableJson(readBack)));
    QCOMPARE(log.messages(), QStringList());
}

QTEST_GUILESS_MAIN(tst_FileCsvWriteOperation)
#include "tst_filecsvwriteoperation.moc"
