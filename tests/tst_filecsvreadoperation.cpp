#include "csv/datatable.h"
#include "operations/filecsvreadoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDir>
#include <QMetaClassInfo>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class tst_FileCsvReadOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void schema();
    void texts_data();
    void texts();
    void warnings_data();
    void warnings();
    void noScopeDoesNothing();
    void fifoIsAReadFailure();
    void reads_data();
    void reads();
    void referencesResolve();
    void replacesPreviousValueWhole();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

using Pairs = QList<QPair<QString, QString>>;

void tst_FileCsvReadOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileCsvReadOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

void tst_FileCsvReadOperation::schema()
{
    const QMetaObject& meta = FileCsvReadOperation::staticMetaObject;
    Pairs properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        properties << qMakePair(QString::fromLatin1(meta.property(i).name()),
                                QString::fromLatin1(meta.property(i).typeName()));
    const Pairs expectedProperties{{"filePath", "QString"},   {"trim", "int"},
                                   {"readScope", "int"},      {"startRow", "QString"},
                                   {"endRow", "QString"},     {"columns", "QString"},
                                   {"delimType", "int"},      {"delimChar", "QString"},
                                   {"fixedWidth", "QString"}, {"targetVar", "QString"}};
    QCOMPARE(properties, expectedProperties);

    Pairs info;
    for (int i = meta.classInfoOffset(); i < meta.classInfoCount(); ++i)
        info << qMakePair(QString::fromUtf8(meta.classInfo(i).name()),
                          QString::fromUtf8(meta.classInfo(i).value()));
    const Pairs expectedInfo{{"prop_filePath", "文件路径"},
                             {"editor_filePath", "FILEPATH"},
                             {"path_type_filePath", "string"},
                             {"prop_trim", "去首尾空格"},
                             {"editor_trim", "COMBO"},
                             {"choices_trim", "否|是"},
                             {"prop_readScope", "读取范围"},
                             {"editor_readScope", "COMBO"},
                             {"choices_readScope", "所有行和列|指定行和列"},
                             {"prop_startRow", "起始行(0=首行)"},
                             {"editor_startRow", "NUMVAR:INT"},
                             {"show_when_startRow", "readScope=1"},
                             {"prop_endRow", "结束行(0=首行)"},
                             {"editor_endRow", "NUMVAR:INT"},
                             {"show_when_endRow", "readScope=1"},
                             {"prop_columns", "指定列(0=首列，中英文逗号隔开，不填默认全部)"},
                             {"editor_columns", "VARREF"},
                             {"varref_type_columns", "string,list"},
                             {"show_when_columns", "readScope=1"},
                             {"prop_delimType", "列分割符类型"},
                             {"editor_delimType", "COMBO"},
                             {"choices_delimType", "指定字符|固定宽度"},
                             {"prop_delimChar", "指定字符"},
                             {"editor_delimChar", "VARREF"},
                             {"varref_type_delimChar", "string"},
                             {"show_when_delimChar", "delimType=0"},
                             {"prop_fixedWidth", "固定宽度"},
                             {"editor_fixedWidth", "NUMVAR:INT"},
                             {"show_when_fixedWidth", "delimType=1"},
                             {"prop_targetVar", "结果保存到数据表变量"},
                             {"editor_targetVar", "VARNAME"},
                             {"varname_type_targetVar", "datatable"}};
    QCOMPARE(info, expectedInfo);

    FileCsvReadOperation op;
    QCOMPARE(op.root(), QStringLiteral("文件"));
    QCOMPARE(op.typeId(), QStringLiteral("file.readcsv"));
    QCOMPARE(op.typeName(), QStringLiteral("从 CSV 文件读取"));
    QCOMPARE(op.icon(), QStringLiteral(":/images/file_read.svg"));
}

void tst_FileCsvReadOperation::texts_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("targetVar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("plain name") << "D:/in.csv"
                                << "t"
                                << "从 CSV 文件读取: D:/in.csv -> $t"
                                << "读取 D:/in.csv 的 CSV 内容存入数据表 $t";
    QTest::newRow("dollar name, reference path") << "$p"
                                                 << "$t"
                                                 << "从 CSV 文件读取: $p -> $t"
                                                 << "读取 $p 的 CSV 内容存入数据表 $t";
    QTest::newRow("empty") << ""
                           << ""
                           << "从 CSV 文件读取:  -> "
                           << "读取  的 CSV 内容存入数据表 ";
}

void tst_FileCsvReadOperation::texts()
{
    QFETCH(QString, filePath);
    QFETCH(QString, targetVar);
    FileCsvReadOperation op;
    op.setFilePath(filePath);
    op.setTargetVar(targetVar);
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");
}

void tst_FileCsvReadOperation::warnings_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("targetVar");
    QTest::addColumn<QString>("startRow");
    QTest::addColumn<QString>("endRow");
    QTest::addColumn<QString>("warning");

    QTest::newRow("empty path") << ""
                                << "t"
                                << ""
                                << ""
                                << "[CsvRead] 文件路径为空，已跳过";
    QTest::newRow("blank path") << " \t "
                                << "t"
                                << ""
                                << ""
                                << "[CsvRead] 文件路径为空，已跳过";
    QTest::newRow("path from missing variable") << "$nothing"
                                                << "t"
                                                << ""
                                                << ""
                                                << "[CsvRead] 文件路径为空，已跳过";
    QTest::newRow("missing file, checked before the target")
        << " missing.csv "
        << ""
        << ""
        << ""
        << "[CsvRead] 文件不存在： \"missing.csv\"";
    QTest::newRow("folder") << "folder"
                            << "t"
                            << ""
                            << ""
                            << "[CsvRead] 读取失败： \"folder\"";
    QTest::newRow("empty target") << "one.csv"
                                  << ""
                                  << ""
                                  << ""
                                  << "[CsvRead] 未指定数据表目标变量，已跳过";
    QTest::newRow("undeclared target") << "one.csv"
                                       << "u"
                                       << ""
                                       << ""
                                       << "[CsvRead] 目标变量 \"u\" 未声明为数据表，已跳过";
    QTest::newRow("list target") << "one.csv"
                                 << "list"
                                 << ""
                                 << ""
                                 << "[CsvRead] 目标变量 \"list\" 未声明为数据表，已跳过";
    QTest::newRow("target never trimmed") << "one.csv"
                                          << " t "
                                          << ""
                                          << ""
                                          << "[CsvRead] 目标变量 \" t \" 未声明为数据表，已跳过";
    QTest::newRow("target quoted in the message")
        << "one.csv"
        << "a\"b\\c"
        << ""
        << ""
        << "[CsvRead] 目标变量 \"a\\\"b\\\\c\" 未声明为数据表，已跳过";
    QTest::newRow("start past a one-line file") << "one.csv"
                                                << "t"
                                                << "1"
                                                << ""
                                                << "[CsvRead] 起始行大于结束行，已跳过";
    QTest::newRow("reversed range") << "one.csv"
                                    << "t"
                                    << "0"
                                    << "-1"
                                    << "[CsvRead] 起始行大于结束行，已跳过";
}

void tst_FileCsvReadOperation::warnings()
{
    QFETCH(QString, filePath);
    QFETCH(QString, targetVar);
    QFETCH(QString, startRow);
    QFETCH(QString, endRow);
    QFETCH(QString, warning);
    QVERIFY(writeFile(QStringLiteral("one.csv"), "a,b\n"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));

    const QVariant before = QStringLiteral("untouched");
    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable, before);
    scope.declare(QStringLiteral("list"), VarType::List, before);
    FileCsvReadOperation op;
    op.setFilePath(filePath);
    op.setTargetVar(targetVar);
    op.setReadScope(1);
    op.setStartRow(startRow);
    op.setEndRow(endRow);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{warning});
    QCOMPARE(scope.get(QStringLiteral("t")), before);
    QCOMPARE(scope.get(QStringLiteral("list")), before);
    QCOMPARE(scope.names().size(), 2);
}

void tst_FileCsvReadOperation::noScopeDoesNothing()
{
    FileCsvReadOperation op;
    op.setFilePath(QStringLiteral("missing.csv"));
    WarningLog log;
    op.doOperation();
    QVERIFY(log.messages().isEmpty());
}

void tst_FileCsvReadOperation::fifoIsAReadFailure()
{
    // Opening a FIFO would wait for a writer that never comes.
    if (mkfifo("pipe.csv", 0600) != 0)
        QSKIP("no FIFOs here");
    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable);
    FileCsvReadOperation op;
    op.setFilePath(QStringLiteral("pipe.csv"));
    op.setTargetVar(QStringLiteral("t"));
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{"[CsvRead] 读取失败： \"pipe.csv\""});
    QVERIFY(!scope.get(QStringLiteral("t")).isValid());
}

struct ReadSettings {
    int trim = 0;
    int readScope = 0;
    QString startRow;
    QString endRow;
    QString columns;
    int delimType = 0;
    QString delimChar;
    QString fixedWidth;
};
Q_DECLARE_METATYPE(ReadSettings)

static ReadSettings delimited(const QString& delimChar = QString(), int trim = 0)
{
    ReadSettings settings;
    settings.delimChar = delimChar;
    settings.trim = trim;
    return settings;
}

static ReadSettings fixed(const QString& width, int trim = 0)
{
    ReadSettings settings;
    settings.delimType = 1;
    settings.fixedWidth = width;
    settings.trim = trim;
    return settings;
}

static ReadSettings block(const QString& startRow, const QString& endRow, const QString& columns,
                          int readScope = 1)
{
    ReadSettings settings;
    settings.readScope = readScope;
    settings.startRow = startRow;
    settings.endRow = endRow;
    settings.columns = columns;
    return settings;
}

static QByteArray utf8(const char* text)
{
    return QByteArray(text);
}

static QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xff\xfe");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

void tst_FileCsvReadOperation::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadSettings>("settings");
    QTest::addColumn<QString>("table"); // as JSON text

    QTest::newRow("empty file") << QByteArray() << delimited() << R"([[""]])";
    QTest::newRow("empty file, fixed width") << QByteArray() << fixed("3") << "[[]]";
    QTest::newRow("only a mark") << utf8("\xef\xbb\xbf") << delimited() << R"([[""]])";
    QTest::newRow("trailing line breaks dropped")
        << utf8("a,b\r\nc\n\n\r\n") << delimited() << R"([["a","b"],["c"]])";
    QTest::newRow("empty line inside") << utf8("a\n\nb") << delimited() << R"([["a"],[""],["b"]])";
    QTest::newRow("empty line inside, fixed width")
        << utf8("abcd\n\nef") << fixed("2") << R"([["ab","cd"],[],["ef"]])";
    QTest::newRow("rows of different lengths")
        << utf8("a\nb,c,d\n,") << delimited() << R"([["a"],["b","c","d"],["",""]])";
    QTest::newRow("quotes") << utf8("\"a,b\",\"say \"\"hi\"\"\",c\n\"x") << delimited()
                            << R"([["a,b","say \"hi\"","c"],["x"]])";
    QTest::newRow("quoted cell across lines")
        << utf8("a,\"x\ny\",b") << delimited() << R"([["a","x"],["y,b"]])";
    QTest::newRow("lone CR lines") << utf8("a\rb\r") << delimited() << R"([["a"],["b"]])";
    QTest::newRow("trim") << utf8(" a , \" b \" \n\t c\t") << delimited(QString(), 1)
                          << R"([["a","b"],["c"]])";
    QTest::newRow("trim off") << utf8(" a ,b ") << delimited() << R"([[" a ","b "]])";
    QTest::newRow("trim choice 2 does not trim")
        << utf8(" a ") << delimited(QString(), 2) << R"([[" a "]])";
    QTest::newRow("semicolon") << utf8("a;b,c") << delimited(";") << R"([["a","b,c"]])";
    QTest::newRow("delimiter from variable")
        << utf8("a\tb") << delimited("$tab") << R"([["a","b"]])";
    QTest::newRow("delimiter first character")
        << utf8("a|b;c") << delimited("|;") << R"([["a","b;c"]])";
    QTest::newRow("delimiter not resolved is comma")
        << utf8("a,b") << delimited("$nothing") << R"([["a","b"]])";
    QTest::newRow("fixed width") << utf8("abcdefgh\nxy") << fixed("3")
                                 << R"([["abc","def","gh"],["xy"]])";
    QTest::newRow("fixed width from variable") << utf8("abcd") << fixed("$w") << R"([["ab","cd"]])";
    QTest::newRow("fixed width list is no number")
        << utf8("abc,d") << fixed("3,5,8") << R"([["abc,d"]])";
    QTest::newRow("fixed width trimmed") << utf8(" a  b ") << fixed("3", 1) << R"([["a","b"]])";
    QTest::newRow("fixed width, chinese")
        << utf8("中文测试数据") << fixed("2") << R"([["中文","测试","数据"]])";
    QTest::newRow("delimType 2 is delimited") << utf8("a,b") << [] {
        ReadSettings s = fixed("1");
        s.delimType = 2;
        return s;
    }() << R"([["a","b"]])";
    QTest::newRow("first line only") << utf8("a\nb\nc") << block("0", "0", "") << R"([["a"]])";
    QTest::newRow("middle rows") << utf8("0\n1\n2\n3") << block("1", "2", "") << R"([["1"],["2"]])";
    QTest::newRow("end past the file") << utf8("0\n1\n") << block("1", "100", "") << R"([["1"]])";
    QTest::newRow("blank lines count as rows")
        << utf8("0\n\n2") << block("2", "", "") << R"([["2"]])";
    QTest::newRow("columns picked")
        << utf8("a,b,c\nd") << block("", "", "2,0") << R"([["c","a"],["","d"]])";
    QTest::newRow("columns, full-width comma")
        << utf8("a,b,c") << block("", "", "1，1") << R"([["b","b"]])";
    QTest::newRow("columns from list variable")
        << utf8("a,b,c") << block("", "", "$cols") << R"([["c","b"]])";
    QTest::newRow("rows from number variables")
        << utf8("0\n1\n2\n3") << block("$one", "$two", "") << R"([["1"],["2"]])";
    QTest::newRow("readScope 0 ignores the block")
        << utf8("a,b\nc") << block("1", "0", "1", 0) << R"([["a","b"],["c"]])";
    QTest::newRow("readScope 2 reads everything")
        << utf8("a,b\nc") << block("1", "0", "1", 2) << R"([["a","b"],["c"]])";
    QTest::newRow("utf-8 with mark, chinese")
        << utf8("\xef\xbb\xbf名称,数量\n苹果,\"1,000\"") << delimited()
        << R"([["名称","数量"],["苹果","1,000"]])";
    QTest::newRow("utf-8 without mark")
        << utf8("名称，数量") << delimited("，") << R"([["名称","数量"]])";
    QTest::newRow("utf-16le with mark") << utf16le(QString::fromUtf8("名,值\r\n甲,\"乙\"\r\n"))
                                        << delimited() << R"([["名","值"],["甲","乙"]])";
}

static void declareInputs(VariableScope& scope)
{
    scope.declare(QStringLiteral("t"), VarType::DataTable);
    scope.declare(QStringLiteral("tab"), VarType::String, QStringLiteral("\t"));
    scope.declare(QStringLiteral("w"), VarType::String, QStringLiteral("2"));
    scope.declare(QStringLiteral("cols"), VarType::List, QVariantList{"2", "1"});
    scope.declare(QStringLiteral("one"), VarType::Number, 1.0);
    scope.declare(QStringLiteral("two"), VarType::Number, 2.0);
}

void tst_FileCsvReadOperation::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadSettings, settings);
    QFETCH(QString, table);
    QVERIFY(writeFile(QStringLiteral("in.csv"), bytes));

    VariableScope scope;
    declareInputs(scope);
    FileCsvReadOperation op;
    op.setFilePath(QStringLiteral("in.csv"));
    op.setTrim(settings.trim);
    op.setReadScope(settings.readScope);
    op.setStartRow(settings.startRow);
    op.setEndRow(settings.endRow);
    op.setColumns(settings.columns);
    op.setDelimType(settings.delimType);
    op.setDelimChar(settings.delimChar);
    op.setFixedWidth(settings.fixedWidth);
    op.setTargetVar(QStringLiteral("t"));
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    const QVariant stored = scope.get(QStringLiteral("t"));
    QCOMPARE(stored.userType(), int(QMetaType::QVariantList));
    QCOMPARE(stored, QVariant(parseDataTableJson(table)));
    for (const QVariant& row : stored.toList()) {
        QCOMPARE(row.userType(), int(QMetaType::QVariantList));
        for (const QVariant& cell : row.toList())
            QCOMPARE(cell.userType(), int(QMetaType::QString));
    }
}

void tst_FileCsvReadOperation::referencesResolve()
{
    QVERIFY(writeFile(QStringLiteral("sub/in.csv"), "a,b"));
    VariableScope scope;
    scope.declare(QStringLiteral("p"), VarType::String, QStringLiteral("  sub/in.csv \t"));
    // Names are used exactly as typed, blanks included.
    scope.declare(QStringLiteral(" t "), VarType::DataTable);
    FileCsvReadOperation op;
    op.setFilePath(QStringLiteral("$p"));
    op.setTargetVar(QStringLiteral(" t "));
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(scope.get(QStringLiteral(" t ")), QVariant(parseDataTableJson(R"([["a","b"]])")));
}

void tst_FileCsvReadOperation::replacesPreviousValueWhole()
{
    QVERIFY(writeFile(QStringLiteral("in.csv"), "x"));
    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable,
                  parseDataTableJson(R"([["a","b"],["c","d"]])"));
    FileCsvReadOperation op;
    op.setFilePath(QStringLiteral("in.csv"));
    op.setTargetVar(QStringLiteral("t"));
    op.setVariableScope(&scope);
    op.doOperation();
    QCOMPARE(scope.get(QStringLiteral("t")), QVariant(parseDataTableJson(R"([["x"]])")));
    QCOMPARE(scope.typeOf(QStringLiteral("t")), VarType::DataTable);
}

QTEST_GUILESS_MAIN(tst_FileCsvReadOperation)
#include "tst_filecsvreadoperation.moc"
