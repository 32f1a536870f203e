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
    void run_data();
    void run();
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

void tst_FileCsvWriteOperation::run_data()
{
    QTest::addColumn<QByteArray>("before"); // of out.csv; null: no file yet
    QTest::addColumn<QVariant>("value");    // of the variable t
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("after"); // of out.csv; null: no file
    QTest::addColumn<QString>("warning");
    const auto add = [](const char* tag, const QByteArray& before, const QVariant& value,
                        const char* settings, const QByteArray& after, const char* warning = "") {
        QTest::newRow(tag) << before << value << QString::fromUtf8(settings) << after
                           << QString::fromUtf8(warning);
    };
    const QByteArray none;
    const QVariant a = table(R"([["a"]])");
    add("empty source", none, a, "sourceVar=", none, "[CsvWrite] 未指定数据表变量，已跳过");
    add("list source", none, a, "sourceVar=list", none,
        "[CsvWrite] 变量 \"list\" 未声明为数据表，已跳过");
    add("source checked before the path, never trimmed", none, a, "sourceVar= t |filePath=", none,
        "[CsvWrite] 变量 \" t \" 未声明为数据表，已跳过");
    add("empty table, scope 1, before the path", none, a, "sourceVar=empty|filePath=|writeScope=1",
        none, "[CsvWrite] 起始行大于结束行，已跳过");
    add("empty path", none, a, "filePath=", none, "[CsvWrite] 文件路径为空，已跳过");
    add("blank path", none, a, "filePath= \t|ifExist=1", none, "[CsvWrite] 文件路径为空，已跳过");
    add("give up before the path", none, a, "filePath=|ifExist=2", none);
    add("parent is a file", none, a, "filePath=plain.txt/out.csv", none,
        "[CsvWrite] 写入失败： \"plain.txt/out.csv\"");
    add("target is a folder", none, a, "filePath= folder |ifExist=1", none,
        "[CsvWrite] 写入失败： \"folder\"");
    add("without a scope nothing is said or written", none, a, "sourceVar=|noscope", none);

    add("two rows, no break at the end", none, table(R"([["a","b"],["c"]])"), "", kMark + "a,b\nc");
    add("delimiter from variable", none, table(R"([["a","b"]])"), "delimiter=$tab", kMark + "a\tb");
    add("no escapes in the delimiter", none, table(R"([["a","b"]])"), "delimiter=\\t",
        kMark + "a\\b");
    add("json text", none, R"([["1","2"],["3"]])", "", kMark + "1,2\n3");
    add("rows without cells", none, table(R"([[],["a"],[]])"), "", kMark + "\na\n");
    add("row that is no list gives no cells", none,
        QVariantList{QVariant(QVariantList{"a"}), 5, QVariant(QVariantList{"b"})}, "",
        kMark + "a\n\nb");
    add("columns 1,5", none, table(R"([["a","b","c"],["d","e","f","g","h","i"]])"),
        "writeScope=1|columns=1,5", kMark + "b,\ne,i");
    add("columns from list", none, table(R"([["a","b","c"]])"), "writeScope=1|columns=$cols",
        kMark + "c,b");
    add("block of rows", none, table(R"([["0"],["1"],["2"],["3"]])"),
        "writeScope=1|startRow=1|endRow=2", kMark + "1\n2");
    add("scope 0 ignores the block", none, table(R"([["a","b"],["c"]])"),
        "startRow=1|endRow=0|columns=1", kMark + "a,b\nc");
    // An empty list held by the variable is one row without cells, so a block finds a row.
    add("empty list, scope 1", none, QVariantList(), "writeScope=1", kMark);

    // Large tables are formatted and encoded in parts, each on a thread of its own.
    QVariantList rows;
    QByteArray lines;
    for (int row = 0; row < 150002; ++row) {
        const QByteArray number = QByteArray::number(row);
        rows.append(QVariant(QVariantList{QString::fromUtf8(number), QString::fromUtf8("名,")}));
        lines += (row ? "\n" : "") + number + ",\"名,\"";
    }
    add("large table in parts", none, rows, "", kMark + lines);
    // The text is encoded a chunk of about 2^20 characters at a time; a high surrogate at a
    // chunk's end would be held back for its low half and lost.
    const QString chunk(1048575, QLatin1Char('a'));
    add("lone high surrogate at a chunk's end", none,
        QVariantList{QVariant(QVariantList{chunk + QChar(0xD800)}), QVariant(QVariantList{"b"})},
        "", kMark + chunk.toLatin1() + "?\nb");
    add("block of a large table", none, rows, "writeScope=1|startRow=60000|endRow=60001|columns=1",
        kMark + "\"名,\"\n\"名,\"");

    const QVariant xyz = table(R"([["x","y"],["z"]])");
    const QByteArray old = kMark + "old";
    const QByteArray written = kMark + "x,y\nz";
    add("overwrite", old, xyz, "ifExist=0", written);
    add("choice 7 overwrites", old, xyz, "ifExist=7", written);
    add("append with guard", old, xyz, "ifExist=1", old + "\nx,y\nz");
    add("append without guard", old, xyz, "ifExist=1|appendNoNewline=true", old + "x,y\nz");
    add("append to missing file", none, xyz, "ifExist=1", written);
    add("append in the file's encoding", hexBytes("fffe 6100"), xyz, "ifExist=1",
        hexBytes("fffe 6100 0a00 7800 2c00 7900 0a00 7a00"));
    add("give up keeps the file", old, xyz, "ifExist=2", old);
    add("give up creates nothing", none, xyz, "ifExist=2", none);
}

// The path from a variable, trimmed; the variable keeps its value and nothing else is written.
void tst_FileCsvWriteOperation::run()
{
    QFETCH(QByteArray, before);
    QFETCH(QVariant, value);
    QFETCH(QString, settings);
    QFETCH(QByteArray, after);
    const ScratchCwd dir;
    QVERIFY(makeTree("plain.txt|folder/"));
    if (!before.isNull())
        QVERIFY(writeFile("out.csv", before));
    VariableScope scope;
    scope.declare("t", VarType::DataTable, value);
    scope.declare("empty", VarType::DataTable); // holds nothing: the empty table
    scope.declare("list", VarType::List, QVariantList{"a"});
    scope.declare("tab", VarType::String, "\t");
    scope.declare("cols", VarType::List, QVariantList{"2", "1"});
    scope.declare("p", VarType::String, " out.csv ");
    FileCsvWriteOperation op;
    QVERIFY(applySettings(&op, "sourceVar=t|filePath=$p|" + settings));
    QTEST(warningsOf(op, settings.contains("noscope") ? nullptr : &scope).join('|'), "warning");
    QCOMPARE(QFile::exists("out.csv"), !after.isNull());
    QCOMPARE(readFile("out.csv"), after);
    QCOMPARE(scope.get("t"), value);
    QFile::remove("out.csv");
    QCOMPARE(treeSnapshot(), QStringList({"folder/", "plain.txt"}));
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
    QTest::newRow("empty rows in the middle stay")
        << R"([["a"],[],[""],["b"]])" << QByteArray("a\n\n\nb") << R"([["a"],[""],[""],["b"]])"
        << true;
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
