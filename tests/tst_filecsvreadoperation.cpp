// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "csv/datatable.h"
#include "filetree.h"
#include "operations/filecsvreadoperation.h"

#include <QtTest>

#include <sys/stat.h>

class tst_FileCsvReadOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void referencesResolve();
    void largeFileInParts_data();
    void largeFileInParts();
    void longRows();
    void tableBeyondMemory();
};

static QByteArray utf16le(const QString& text)
{
    return QByteArray("\xff\xfe") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

void tst_FileCsvReadOperation::run_data()
{
    QTest::addColumn<QByteArray>("bytes"); // of in.csv
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("table"); // as JSON text; empty: the variable keeps its value
    QTest::addColumn<QString>("warning");
    const auto add = [](const char* tag, const QByteArray& bytes, const char* settings,
                        const char* table, const char* warning = "") {
        QTest::newRow(tag) << bytes << QString::fromUtf8(settings) << QString::fromUtf8(table)
                           << QString::fromUtf8(warning);
    };
    const auto warn = [&add](const char* tag, const char* settings, const char* warning) {
        add(tag, "a,b\n", settings, "", warning);
    };
    warn("blank path", "filePath= \t ", "[CsvRead] 文件路径为空，已跳过");
    warn("path from missing variable", "filePath=$nothing", "[CsvRead] 文件路径为空，已跳过");
    warn("missing file, checked before the target",
         "filePath= missing.csv |targetVar=", "[CsvRead] 文件不存在： \"missing.csv\"");
    warn("folder", "filePath=folder", "[CsvRead] 读取失败： \"folder\"");
    // Opening a FIFO would wait for a writer that never comes.
    warn("fifo", "filePath=pipe.csv", "[CsvRead] 读取失败： \"pipe.csv\"");
    warn("empty target", "targetVar=", "[CsvRead] 未指定数据表目标变量，已跳过");
    warn("list target", "targetVar=list", "[CsvRead] 目标变量 \"list\" 未声明为数据表，已跳过");
    warn("undeclared target, quoted in the message", "targetVar=a\"b\\c",
         "[CsvRead] 目标变量 \"a\\\"b\\\\c\" 未声明为数据表，已跳过");
    warn("start past a one-line file", "readScope=1|startRow=1",
         "[CsvRead] 起始行大于结束行，已跳过");
    warn("without a scope nothing is said", "filePath=missing.csv|targetVar=|noscope", "");

    add("empty file", "", "", R"([[""]])");
    add("empty file, fixed width", "", "delimType=1|fixedWidth=3", "[[]]");
    add("only a mark", "\xef\xbb\xbf", "", R"([[""]])");
    add("trailing line breaks dropped", "a,b\r\nc\n\n\r\n", "", R"([["a","b"],["c"]])");
    add("empty line inside", "a\n\nb", "", R"([["a"],[""],["b"]])");
    add("empty line inside, fixed width", "abcd\n\nef", "delimType=1|fixedWidth=2",
        R"([["ab","cd"],[],["ef"]])");
    add("quoted cell across lines", "a,\"x\ny\",b", "", R"([["a","x"],["y,b"]])");
    add("trim", " a , \" b \" \n\t c\t", "trim=1", R"([["a","b"],["c"]])");
    add("trim choice 2 does not trim", " a ", "trim=2", R"([[" a "]])");
    add("delimiter from variable", "a\tb", "delimChar=$tab", R"([["a","b"]])");
    add("delimiter first character", "a#b;c", "delimChar=#;", R"([["a","b;c"]])");
    add("delimiter not resolved is comma", "a,b", "delimChar=$nothing", R"([["a","b"]])");
    add("fixed width", "abcdefgh\nxy", "delimType=1|fixedWidth=3",
        R"([["abc","def","gh"],["xy"]])");
    add("fixed width from variable", "abcd", "delimType=1|fixedWidth=$w", R"([["ab","cd"]])");
    add("fixed width list is no number", "abc,d", "delimType=1|fixedWidth=3,5,8", R"([["abc,d"]])");
    add("fixed width trimmed", " a  b ", "delimType=1|fixedWidth=3|trim=1", R"([["a","b"]])");
    add("delimType 2 is delimited", "a,b", "delimType=2|fixedWidth=1", R"([["a","b"]])");
    add("middle rows", "0\n1\n2\n3", "readScope=1|startRow=1|endRow=2", R"([["1"],["2"]])");
    add("blank lines count as rows", "0\n\n2", "readScope=1|startRow=2", R"([["2"]])");
    add("columns picked", "a,b,c\nd", "readScope=1|columns=2,0", R"([["c","a"],["","d"]])");
    add("columns from list variable", "a,b,c", "readScope=1|columns=$cols", R"([["c","b"]])");
    add("readScope 0 ignores the block", "a,b\nc", "startRow=1|endRow=0|columns=1",
        R"([["a","b"],["c"]])");
    add("utf-8 with mark, chinese", "\xef\xbb\xbf名称,数量\n苹果,\"1,000\"", "",
        R"([["名称","数量"],["苹果","1,000"]])");
    add("utf-8 without mark", "名称，数量", "delimChar=，", R"([["名称","数量"]])");
    add("utf-16le with mark", utf16le("名,值\r\n甲,\"乙\"\r\n"), "",
        R"([["名","值"],["甲","乙"]])");
}

// The previous value of the variable is replaced whole, by a table of texts.
void tst_FileCsvReadOperation::run()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, settings);
    QFETCH(QString, table);
    const ScratchCwd dir;
    QVERIFY(writeFile("in.csv", bytes) && QDir().mkdir("folder"));
    QCOMPARE(mkfifo("pipe.csv", 0600), 0);
    const QVariant previous = parseDataTableJson(R"([["a","b"],["c","d"],["e"]])");
    VariableScope scope;
    scope.declare("t", VarType::DataTable, previous);
    scope.declare("list", VarType::List, "untouched");
    scope.declare("tab", VarType::String, "\t");
    scope.declare("w", VarType::String, "2");
    scope.declare("cols", VarType::List, QVariantList{"2", "1"});
    FileCsvReadOperation op;
    QVERIFY(applySettings(&op, "filePath=in.csv|targetVar=t|" + settings));
    QTEST(warningsOf(op, settings.contains("noscope") ? nullptr : &scope).join('|'), "warning");
    QCOMPARE(scope.names().size(), 5);
    QCOMPARE(scope.get("list"), QVariant("untouched"));
    const QVariant stored = scope.get("t");
    QCOMPARE(stored, table.isEmpty() ? previous : QVariant(parseDataTableJson(table)));
    QCOMPARE(stored.userType(), int(QMetaType::QVariantList));
    for (const QVariant& row : stored.toList()) {
        QCOMPARE(row.userType(), int(QMetaType::QVariantList));
        for (const QVariant& cell : row.toList())
            QCOMPARE(cell.userType(), int(QMetaType::QString));
    }
}

void tst_FileCsvReadOperation::referencesResolve()
{
    // The path is resolved and trimmed; the target name is used exactly as typed, blanks included.
    const ScratchCwd dir;
    QVERIFY(writeFile("sub/in.csv", "a,b"));
    VariableScope scope;
    scope.declare("p", VarType::String, "  sub/in.csv \t");
    scope.declare(" t ", VarType::DataTable);
    FileCsvReadOperation op;
    QVERIFY(applySettings(&op, "filePath=$p|targetVar= t "));
    QCOMPARE(warningsOf(op, &scope), QStringList());
    QCOMPARE(scope.get(" t "), QVariant(parseDataTableJson(R"([["a","b"]])")));
}

void tst_FileCsvReadOperation::largeFileInParts_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("whole file") << QString() << 0 << 150001 << QList<int>();
    QTest::newRow("block") << "readScope=1|startRow=7|endRow=140000|columns=2,0" << 7 << 140000
                           << QList<int>{2, 0};
}

// Enough rows for the file to be split on several threads: the parts must join into exactly the
// table a single pass gives, whatever line end falls on a part's edge. Two columns repeat a few
// texts, one of them quoted, and the last turns from repeating to distinct half way.
void tst_FileCsvReadOperation::largeFileInParts()
{
    QFETCH(QString, settings);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, columns);
    const char* const ends[] = {"\n", "\r\n", "\r"};
    QByteArray bytes;
    QVariantList expected;
    for (int row = 0; row <= 150001; ++row) {
        const QByteArray number = QByteArray::number(row);
        const QByteArray few = QByteArray::number(row % 7);
        const QByteArray turning = row < 75000 ? "城" + few : "id" + number;
        bytes += number + ",名" + number + ",\"q," + number + "\",\"s," + few + "\"," + turning +
                 ends[row % 3];
        const QVariantList cells{QString::fromUtf8(number), QString::fromUtf8("名" + number),
                                 QString::fromUtf8("q," + number), QString::fromUtf8("s," + few),
                                 QString::fromUtf8(turning)};
        if (row >= first && row <= last)
            expected.append(QVariant(columns.isEmpty() ? cells : pickColumns(cells, columns)));
    }
    const ScratchCwd dir;
    QVERIFY(writeFile("big.csv", bytes));
    VariableScope scope;
    scope.declare("t", VarType::DataTable);
    FileCsvReadOperation op;
    QVERIFY(applySettings(&op, "filePath=big.csv|targetVar=t|" + settings));
    op.setVariableScope(&scope);
    op.doOperation();
    const QVariantList table = scope.get("t").toList();
    QCOMPARE(table.size(), expected.size());
    for (int row = 0; row < table.size(); ++row) {
        if (table.at(row) != expected.at(row))
            QFAIL(qPrintable(QStringLiteral("row %1 differs").arg(row)));
    }
    if (!columns.isEmpty())
        return;
    // Rows 0 and 7 repeat a text and are read by one thread: one buffer (which a change to one
    // cell detaches, as tst_celltexts checks).
    const QString zero = table.at(0).toList().at(3).toString();
    QCOMPARE(zero.constData(), table.at(7).toList().at(3).toString().constData());
}

// Rows far wider than any table's columns share texts in: the cells past them are read as any.
void tst_FileCsvReadOperation::longRows()
{
    const int width = 5000;
    QByteArray line;
    QVariantList cells;
    for (int column = 0; column < width; ++column) {
        const QByteArray text = QByteArray::number(column % 3);
        line += (column > 0 ? "," : "") + text;
        cells.append(QString::fromUtf8(text));
    }
    const ScratchCwd dir;
    QVERIFY(writeFile("wide.csv", line + "\n" + line + "\n" + line));
    VariableScope scope;
    scope.declare("t", VarType::DataTable);
    FileCsvReadOperation op;
    QVERIFY(applySettings(&op, "filePath=wide.csv|targetVar=t"));
    op.setVariableScope(&scope);
    op.doOperation();
    QCOMPARE(scope.get("t").toList(), (QVariantList{cells, cells, cells}));
}

// A table the process may not hold (its address space limited here) is refused as a file that
// cannot be read: the step warns, the variable keeps its value, the host goes on.
void tst_FileCsvReadOperation::tableBeyondMemory()
{
    if (!addressSpaceLimitsWork())
        QSKIP("an AddressSanitizer build cannot run under an address-space limit");
    const ScratchCwd dir;
    QByteArray line;
    for (int i = 0; line.size() < 16 * 1000 * 1000; ++i)
        line += QByteArray::number(i) + ',';
    QVERIFY(writeFile("line.csv", line));
    QVERIFY(
        writeFile("flow.json", R"({"variables": {"t": {"type": "datatable", "value": [["kept"]]}},
        "steps": [{"type": "file.readcsv", "settings": {"filePath": "line.csv", "targetVar": "t"}},
                  {"type": "file.write", "settings": {"filePath": "after.txt", "content": "on"}}]})"));
    StephostLimits limits;
    limits.memoryLimit = qint64(200) << 20;
    const StephostResult run = runStephost({"run", "flow.json"}, dir.path(), limits);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.log(), QStringList{QStringLiteral("[CsvRead] 读取失败： \"line.csv\"")});
    QCOMPARE(run.value("t").toVariant(), QVariant(QVariantList{QVariantList{"kept"}}));
    QVERIFY(QFile::exists("after.txt"));
}

QTEST_GUILESS_MAIN(tst_FileCsvReadOperation)
#include "tst_filecsvreadoperation.moc"
