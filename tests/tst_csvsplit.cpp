// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Lines into cells and cells into lines: the delimited and fixed-width splitters, the walk of a
// text's lines, and the CSV line the writer makes (which the delimited splitter must read back).
// Lists of cells or lines are written as one text with "|" between the items.
#include "csv/csvformat.h"
#include "csv/csvsplit.h"

#include <QtTest>

class tst_CsvSplit : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void lines_data();
    void lines();
    void formatLine_data();
    void formatLine();
};

// The cells as one text, after checking that each one is a QVariant holding a QString.
static QString cellTexts(const QVariantList& cells)
{
    QStringList texts;
    for (const QVariant& cell : cells)
        texts << (cell.userType() == QMetaType::QString ? cell.toString() : "<not a QString>");
    return cells.isEmpty() ? QStringLiteral("<no cells>") : texts.join('|');
}

// A `how` of digits (or "-4") splits at that fixed width, anything else at that delimiter.
static void addSplit(const char* tag, const char* line, const char* how, bool trim,
                     const char* cells)
{
    QTest::newRow(tag) << QString::fromUtf8(line) << QString::fromUtf8(how) << trim
                       << QString::fromUtf8(cells);
}

// Quoted cells, doubled quotes, the delimiter's first character and Chinese text are read back
// from the lines formatLine makes, which every one-line row of it splits again.
void tst_CsvSplit::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QString>("cells");

    addSplit("trailing delimiter", "a,b,", ",", false, "a|b|");
    addSplit("only a delimiter", ",", ",", false, "|");
    addSplit("empty line", "", ",", false, "");
    addSplit("doubled quote unquoted", R"(a""b)", ",", false, "ab");
    addSplit("quotes mid cell", R"(a"b,c"d,e)", ",", false, "ab,cd|e");
    addSplit("unterminated quote", "\"abc,def", ",", false, "abc,def");
    // A quoted cell written across two lines: the lines are split first, so each half stands alone.
    addSplit("first half of a broken cell", "a,\"x", ",", false, "a|x");
    addSplit("second half of a broken cell", "y\",b", ",", false, "y,b");
    addSplit("quote as delimiter", R"(a"b,c"d)", "\"", false, "ab,cd");
    addSplit("trim on", R"(  "  a  " , b )", ",", true, "a|b");
    addSplit("trim off", R"(  "  a  " , b )", ",", false, "    a   | b ");
    addSplit("trim quoted blanks", "\"   \",x", ",", true, "|x");
    addSplit("trim tab, no-break and ideographic space", "\t\u00a0a\u3000,\u3000中 文\u3000", ",",
             true, "a|中 文");
    addSplit("blank delimiter", "a  b", " ", false, "a||b");
    addSplit("backslash t is a backslash", "a\\tb", "\\t", false, "a|tb");
    addSplit("outside the basic plane", "😀,x", ",", false, "😀|x");

    addSplit("width 3, last piece shorter", "abcdefgh", "3", false, "abc|def|gh");
    addSplit("width longer than the line", "abc", "10", false, "abc");
    addSplit("width 3, empty line", "", "3", false, "<no cells>");
    addSplit("width 0", "abc def", "0", false, "abc def");
    addSplit("negative width", " abc ", "-4", false, " abc ");
    addSplit("width 0, empty line", "", "0", false, "");
    addSplit("width 0, trimmed", " abc ", "0", true, "abc");
    addSplit("pieces trimmed", " a  b  c", "3", true, "a|b|c");
    addSplit("width, no quote handling", "\"a,b\"", "2", false, "\"a|,b|\"");
    addSplit("width counts characters", "中文测试", "2", false, "中文|测试");
}

void tst_CsvSplit::split()
{
    QFETCH(QString, line);
    QFETCH(QString, how);
    QFETCH(bool, trim);
    bool isWidth = false;
    const int width = how.toInt(&isWidth);
    const QVariantList cells =
        isWidth ? splitFixedWidthLine(line, width, trim) : splitDelimitedLine(line, how, trim);
    QTEST(cellTexts(cells), "cells");
}

void tst_CsvSplit::lines_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lines");
    QTest::newRow("mixed breaks, trailing empties") << "a\rb\r\nc\n\n\n" << "a|b|c";
    QTest::newRow("only breaks") << "\r\r\n\n" << "";
    QTest::newRow("empty text") << "" << "";
    QTest::newRow("empty CR LF lines inside") << "a\r\n\r\nb\r\n\r\n" << "a||b";
    QTest::newRow("CR CR is two breaks") << "a\r\rb" << "a||b";
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << "a||b";
    QTest::newRow("last line of blanks stays") << "a\n  \n" << "a|  ";
    QTest::newRow("leading empty line") << "\na" << "|a";
    QTest::newRow("empty lines at piece ends") << "a\n\nb\r\n\r\nc\r\r\nd\n" << "a||b||c||d";
    QTest::newRow("quoted cell across lines") << "a,\"x\ny\",b" << "a,\"x|y\",b";
    // clang-format on
}

// The text cut after every LF that has more than line breaks after it, as a large file is
// decoded in pieces.
static QStringList piecesOf(const QString& text)
{
    int lastText = text.size() - 1;
    while (lastText >= 0 && (text.at(lastText) == '\n' || text.at(lastText) == '\r'))
        --lastText;
    QStringList pieces;
    int from = 0;
    for (int at = 0; at < lastText; ++at) {
        if (text.at(at) == '\n') {
            pieces << text.mid(from, at + 1 - from);
            from = at + 1;
        }
    }
    return pieces << text.mid(from);
}

static QString walk(TextLines walker)
{
    const int count = walker.count();
    QStringList walked;
    QStringView line;
    while (walker.next(&line))
        walked << line.toString();
    return walked.size() == count ? walked.join('|') : QStringLiteral("count %1").arg(count);
}

void tst_CsvSplit::lines()
{
    QFETCH(QString, text);
    QFETCH(QString, lines);
    QCOMPARE(walk(TextLines(text)), lines);
    const QStringList pieces = piecesOf(text);
    QCOMPARE(walk(TextLines(pieces)), lines);
}

void tst_CsvSplit::formatLine_data()
{
    // clang-format off
    QTest::addColumn<QVariantList>("cells");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("line");

    const QString comma = QStringLiteral(",");
    QTest::newRow("quoting")
        << QVariantList{"a", "b,c", "say \"hi\""} << comma << R"(a,"b,c","say ""hi""")";
    QTest::newRow("awkward quotes") << QVariantList{"\"", "\"\"", "x\"y", "", " a ", "a\"\"b"}
                                    << comma << R"("""","""""","x""y",, a ,"a""""b")";
    QTest::newRow("LF quoted") << QVariantList{"x\ny", "z"} << comma << "\"x\ny\",z";
    QTest::newRow("CR quoted") << QVariantList{"x\ry"} << comma << "\"x\ry\"";
    QTest::newRow("other delimiter") << QVariantList{"b,c", "b;c"} << ";" << "b,c;\"b;c\"";
    QTest::newRow("first character of delimiter")
        << QVariantList{"a", "b#c"} << "#x" << "a#\"b#c\"";
    QTest::newRow("tab") << QVariantList{"a\tb", "", "c"} << "\t" << "\"a\tb\"\t\tc";
    QTest::newRow("empty delimiter is comma") << QVariantList{"a", "b"} << "" << "a,b";
    QTest::newRow("no cells") << QVariantList{} << comma << "";
    QTest::newRow("empty cells") << QVariantList{"", "", ""} << comma << ",,";
    QTest::newRow("blanks and tabs bare")
        << QVariantList{" a ", "\tb", "007"} << comma << " a ,\tb,007";
    QTest::newRow("non-text cells")
        << QVariantList{1.5, true, 42, QVariant()} << comma << "1.5,true,42,";
    QTest::newRow("chinese") << QVariantList{"中文", "逗,号"} << comma << "中文,\"逗,号\"";
    QTest::newRow("chinese delimiter")
        << QVariantList{"数据，表", "“引号”"} << "，" << "\"数据，表\"，“引号”";
    // clang-format on
}

void tst_CsvSplit::formatLine()
{
    QFETCH(QVariantList, cells);
    QFETCH(QString, delimiter);
    QFETCH(QString, line);
    QCOMPARE(formatCsvLine(cells, delimiter), line);
    // A one-line row of text cells reads back as the same cells.
    const QString texts = cellTexts(cells);
    if (!texts.contains("<no") && !line.contains('\n') && !line.contains('\r'))
        QCOMPARE(cellTexts(splitDelimitedLine(line, delimiter, false)), texts);
}

QTEST_GUILESS_MAIN(tst_CsvSplit)
#include "tst_csvsplit.moc"
