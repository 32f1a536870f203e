// Lines into cells and cells into lines: the delimited and fixed-width splitters, the walk of a
// text's lines, and the CSV line the writer makes (which the delimited splitter must read back).
#include "csv/csvformat.h"
#include "csv/csvsplit.h"

#include <QtTest>

class tst_CsvSplit : public QObject
{
    Q_OBJECT

private slots:
    void delimited_data();
    void delimited();
    void fixedWidth_data();
    void fixedWidth();
    void lines_data();
    void lines();
    void formatLine_data();
    void formatLine();
    void formattedLineReadsBack_data();
    void formattedLineReadsBack();
};

// The cells as texts, after checking that each one is a QVariant holding a QString.
static QStringList cellTexts(const QVariantList& cells)
{
    QStringList texts;
    for (const QVariant& cell : cells) {
        if (cell.userType() != QMetaType::QString)
            return {QStringLiteral("<not a QString cell>")};
        texts << cell.toString();
    }
    return texts;
}

void tst_CsvSplit::delimited_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QStringList>("cells");

    const QString comma = QStringLiteral(",");
    QTest::newRow("plain") << "a,b,c" << comma << false << QStringList{"a", "b", "c"};
    QTest::newRow("trailing delimiter") << "a,b," << comma << false << QStringList{"a", "b", ""};
    QTest::newRow("only a delimiter") << "," << comma << false << QStringList{"", ""};
    QTest::newRow("empty line") << "" << comma << false << QStringList{""};
    QTest::newRow("empty cells between") << "a,,b" << comma << false << QStringList{"a", "", "b"};
    QTest::newRow("quoted delimiter") << "\"a,b\",c" << comma << false << QStringList{"a,b", "c"};
    QTest::newRow("doubled quotes")
        << "\"say \"\"hi\"\"\"" << comma << false << QStringList{"say \"hi\""};
    QTest::newRow("one quote") << "\"\"\"\"" << comma << false << QStringList{"\""};
    QTest::newRow("empty quotes") << "\"\",x" << comma << false << QStringList{"", "x"};
    QTest::newRow("doubled quote unquoted") << "a\"\"b" << comma << false << QStringList{"ab"};
    QTest::newRow("quotes mid cell")
        << "a\"b,c\"d,e" << comma << false << QStringList{"ab,cd", "e"};
    QTest::newRow("unterminated quote") << "\"abc,def" << comma << false << QStringList{"abc,def"};
    QTest::newRow("unterminated after cells")
        << "a,\"b,c" << comma << false << QStringList{"a", "b,c"};
    // A quoted cell written across two lines: the lines are split first, so each half stands alone.
    QTest::newRow("first half of a broken cell")
        << "a,\"x" << comma << false << QStringList{"a", "x"};
    QTest::newRow("second half of a broken cell")
        << "y\",b" << comma << false << QStringList{"y,b"};
    QTest::newRow("quote as delimiter") << "a\"b,c\"d"
                                        << "\"" << false << QStringList{"ab,cd"};
    QTest::newRow("trim on") << "  \"  a  \" , b " << comma << true << QStringList{"a", "b"};
    QTest::newRow("trim off") << "  \"  a  \" , b " << comma << false
                              << QStringList{"    a   ", " b "};
    QTest::newRow("trim quoted blanks") << "\"   \",x" << comma << true << QStringList{"", "x"};
    QTest::newRow("trim tab, no-break and ideographic space")
        << QString::fromUtf8("\t\u00a0a\u3000,\u3000中 文\u3000") << comma << true
        << QStringList{"a", QString::fromUtf8("中 文")};
    QTest::newRow("first character of delimiter")
        << "a;b;;c"
        << ";;" << false << QStringList{"a", "b", "", "c"};
    QTest::newRow("blank delimiter") << "a  b"
                                     << " " << false << QStringList{"a", "", "b"};
    QTest::newRow("empty delimiter is comma") << "a,b;c"
                                              << "" << false << QStringList{"a", "b;c"};
    QTest::newRow("tab delimiter") << "a\tb,c"
                                   << "\t" << false << QStringList{"a", "b,c"};
    QTest::newRow("backslash t is a backslash") << "a\\tb"
                                                << "\\t" << false << QStringList{"a", "tb"};
    QTest::newRow("chinese") << QString::fromUtf8("名称,\"数量，单位\",备注") << comma << false
                             << QStringList{QString::fromUtf8("名称"),
                                            QString::fromUtf8("数量，单位"),
                                            QString::fromUtf8("备注")};
    QTest::newRow("chinese delimiter")
        << QString::fromUtf8("甲，乙") << QString::fromUtf8("，") << false
        << QStringList{QString::fromUtf8("甲"), QString::fromUtf8("乙")};
    QTest::newRow("outside the basic plane")
        << QString::fromUtf8("😀,x") << comma << false << QStringList{QString::fromUtf8("😀"), "x"};
}

void tst_CsvSplit::delimited()
{
    QFETCH(QString, line);
    QFETCH(QString, delimiter);
    QFETCH(bool, trim);
    QTEST(cellTexts(splitDelimitedLine(line, delimiter, trim)), "cells");
}

void tst_CsvSplit::fixedWidth_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QStringList>("cells");

    QTest::newRow("last piece shorter")
        << "abcdefgh" << 3 << false << QStringList{"abc", "def", "gh"};
    QTest::newRow("exact multiple") << "abcdef" << 3 << false << QStringList{"abc", "def"};
    QTest::newRow("width longer than line") << "abc" << 10 << false << QStringList{"abc"};
    QTest::newRow("empty line") << "" << 3 << false << QStringList{};
    QTest::newRow("width 0") << "abc def" << 0 << false << QStringList{"abc def"};
    QTest::newRow("negative width") << " abc " << -4 << false << QStringList{" abc "};
    QTest::newRow("width 0, empty line") << "" << 0 << false << QStringList{""};
    QTest::newRow("width 0, trimmed") << " abc " << 0 << true << QStringList{"abc"};
    QTest::newRow("pieces trimmed") << " a  b  c" << 3 << true << QStringList{"a", "b", "c"};
    QTest::newRow("no quote handling") << "\"a,b\"" << 2 << false << QStringList{"\"a", ",b", "\""};
    QTest::newRow("chinese counts characters")
        << QString::fromUtf8("中文测试") << 2 << false
        << QStringList{QString::fromUtf8("中文"), QString::fromUtf8("测试")};
}

void tst_CsvSplit::fixedWidth()
{
    QFETCH(QString, line);
    QFETCH(int, width);
    QFETCH(bool, trim);
    QTEST(cellTexts(splitFixedWidthLine(line, width, trim)), "cells");
}

void tst_CsvSplit::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("mixed breaks, trailing empties") << "a\rb\r\nc\n\n\n"
                                                    << QStringList{"a", "b", "c"};
    QTest::newRow("only breaks") << "\n\n" << QStringList{""};
    QTest::newRow("only mixed breaks") << "\r\r\n\n" << QStringList{""};
    QTest::newRow("empty text") << "" << QStringList{""};
    QTest::newRow("no break") << "abc" << QStringList{"abc"};
    QTest::newRow("empty line inside") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("empty CR LF lines inside") << "a\r\n\r\nb\r\n\r\n" << QStringList{"a", "", "b"};
    QTest::newRow("CR CR is two breaks") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("last line of blanks stays") << "a\n  \n" << QStringList{"a", "  "};
    QTest::newRow("leading empty line") << "\na" << QStringList{"", "a"};
    QTest::newRow("quoted cell across lines") << "a,\"x\ny\",b" << QStringList{"a,\"x", "y\",b"};
}

void tst_CsvSplit::lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);

    TextLines walker(text);
    QCOMPARE(walker.count(), lines.size());
    QStringList walked;
    QStringView line;
    while (walker.next(&line))
        walked << line.toString();
    QCOMPARE(walked, lines);
}

void tst_CsvSplit::formatLine_data()
{
    QTest::addColumn<QVariantList>("cells");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("line");

    const QString comma = QStringLiteral(",");
    QTest::newRow("quoting") << QVariantList{"a", "b,c", "say \"hi\""} << comma
                             << "a,\"b,c\",\"say \"\"hi\"\"\"";
    QTest::newRow("LF quoted") << QVariantList{"x\ny", "z"} << comma << "\"x\ny\",z";
    QTest::newRow("CR quoted") << QVariantList{"x\ry"} << comma << "\"x\ry\"";
    QTest::newRow("other delimiter") << QVariantList{"b,c", "b;c"} << ";"
                                     << "b,c;\"b;c\"";
    QTest::newRow("first character of delimiter") << QVariantList{"a", "b|c"} << "|x"
                                                  << "a|\"b|c\"";
    QTest::newRow("empty delimiter is comma") << QVariantList{"a", "b"} << ""
                                              << "a,b";
    QTest::newRow("no cells") << QVariantList{} << comma << "";
    QTest::newRow("one empty cell") << QVariantList{""} << comma << "";
    QTest::newRow("empty cells") << QVariantList{"", "", ""} << comma << ",,";
    QTest::newRow("blanks and tabs bare")
        << QVariantList{" a ", "\tb", "007"} << comma << " a ,\tb,007";
    QTest::newRow("non-text cells")
        << QVariantList{1.5, true, 42, QVariant()} << comma << "1.5,true,42,";
    QTest::newRow("only a quote") << QVariantList{"\""} << comma << "\"\"\"\"";
    QTest::newRow("chinese") << QVariantList{QString::fromUtf8("中文"), QString::fromUtf8("逗,号")}
                             << comma << QString::fromUtf8("中文,\"逗,号\"");
}

void tst_CsvSplit::formatLine()
{
    QFETCH(QVariantList, cells);
    QFETCH(QString, delimiter);
    QTEST(formatCsvLine(cells, delimiter), "line");
}

void tst_CsvSplit::formattedLineReadsBack_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("delimiter");

    QTest::newRow("awkward") << QStringList{"a", "b,c", "\"", "\"\"", "x\"y", "", " a ", "a\"\"b"}
                             << ",";
    QTest::newRow("semicolon") << QStringList{"a;b", "c,d", "\"q\""} << ";";
    QTest::newRow("tab") << QStringList{"a\tb", "", "c"} << "\t";
    QTest::newRow("chinese") << QStringList{QString::fromUtf8("数据，表"),
                                            QString::fromUtf8("“引号”")}
                             << QString::fromUtf8("，");
}

void tst_CsvSplit::formattedLineReadsBack()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, delimiter);
    QVariantList row;
    for (const QString& cell : cells)
        row << cell;
    const QString line = formatCsvLine(row, delimiter);
    QCOMPARE(cellTexts(splitDelimitedLine(line, delimiter, false)), cells);
}

QTEST_GUILESS_MAIN(tst_CsvSplit)
#include "tst_csvsplit.moc"
