#include "csv/datatable.h"
#include "operations/filecsvreadoperation.h"
#include "operations/filecsvwriteoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDir>
#include <QFileInfo>
#include <QMetaClassInfo>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileCsvWriteOperation : public QObject
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
    void writes_data();
    void writes();
    void ifExist_data();
    void ifExist();
    void roundTrip_data();
    void roundTrip();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

using Pairs = QList<QPair<QString, QString>>;
static const QByteArray kMark("\xef\xbb\xbf");

void tst_FileCsvWriteOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileCsvWriteOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

void tst_FileCsvWriteOperation::schema()
{
    const QMetaObject& meta = FileCsvWriteOperation::staticMetaObject;
    Pairs properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        properties << qMakePair(QString::fromLatin1(meta.property(i).name()),
                                QString::fromLatin1(meta.property(i).typeName()));
    const Pairs expectedProperties{
        {"sourceVar", "QString"}, {"filePath", "QString"}, {"writeScope", "int"},
        {"startRow", "QString"},  {"endRow", "QString"},   {"columns", "QString"},
        {"delimiter", "QString"}, {"ifExist", "int"},      {"appendNoNewline", "bool"}};
    QCOMPARE(properties, expectedProperties);

    Pairs info;
    for (int i = meta.classInfoOffset(); i < meta.classInfoCount(); ++i)
        info << qMakePair(QString::fromUtf8(meta.classInfo(i).name()),
                          QString::fromUtf8(meta.classInfo(i).value()));
    const Pairs expectedInfo{{"prop_sourceVar", "要写入的变量（数据表）"},
                             {"editor_sourceVar", "VARNAME"},
                             {"varname_type_sourceVar", "datatable"},
                             {"prop_filePath", "文件路径"},
                             {"editor_filePath", "FILEPATH"},
                             {"path_type_filePath", "string"},
                             {"prop_writeScope", "写入范围"},
                             {"editor_writeScope", "COMBO"},
                             {"choices_writeScope", "所有行和列|指定行和列"},
                             {"prop_startRow", "起始行(0=首行)"},
                             {"editor_startRow", "NUMVAR:INT"},
                             {"show_when_startRow", "writeScope=1"},
                             {"prop_endRow", "结束行(0=首行)"},
                             {"editor_endRow", "NUMVAR:INT"},
                             {"show_when_endRow", "writeScope=1"},
                             {"prop_columns", "指定列(0=首列，中英文逗号隔开，不填默认全部)"},
                             {"editor_columns", "VARREF"},
                             {"varref_type_columns", "string,list"},
                             {"show_when_columns", "writeScope=1"},
                             {"prop_delimiter", "分隔符"},
                             {"editor_delimiter", "VARREF"},
                             {"varref_type_delimiter", "string"},
                             {"prop_ifExist", "如果文件存在"},
                             {"editor_ifExist", "COMBO"},
                             {"choices_ifExist", "覆盖|追加|放弃写入"},
                             {"prop_appendNoNewline", "追加时不换行"},
                             {"show_when_appendNoNewline", "ifExist=1"}};
    QCOMPARE(info, expectedInfo);

    FileCsvWriteOperation op;
    QCOMPARE(op.root(), QStringLiteral("文件"));
    QCOMPARE(op.typeId(), QStringLiteral("file.writecsv"));
    QCOMPARE(op.typeName(), QStringLiteral("写入 CSV 文件"));
    QCOMPARE(op.icon(), QStringLiteral(":/images/file_write.svg"));
}

void tst_FileCsvWriteOperation::texts_data()
{
    QTest::addColumn<QString>("sourceVar");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("overwrite") << "t"
                               << "D:/out.csv" << 0 << "写入 CSV 文件: D:/out.csv <- $t"
                               << "将数据表 $t 写入 D:/out.csv（覆盖）";
    QTest::newRow("append") << "$t"
                            << "$p" << 1 << "写入 CSV 文件: $p <- $t"
                            << "将数据表 $t 写入 $p（追加）";
    QTest::newRow("give up") << "t"
                             << "o.csv" << 2 << "写入 CSV 文件: o.csv <- $t"
                             << "将数据表 $t 写入 o.csv（放弃）";
    QTest::newRow("outside the choices") << ""
                                         << "" << 7 << "写入 CSV 文件:  <- "
                                         << "将数据表  写入 （覆盖）";
}

void tst_FileCsvWriteOperation::texts()
{
    QFETCH(QString, sourceVar);
    QFETCH(QString, filePath);
    QFETCH(int, ifExist);
    FileCsvWriteOperation op;
    op.setSourceVar(sourceVar);
    op.setFilePath(filePath);
    op.setIfExist(ifExist);
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");
}

static QVariant table(const char* json)
{
    return parseDataTableJson(QString::fromUtf8(json));
}

void tst_FileCsvWriteOperation::warnings_data()
{
    QTest::addColumn<QString>("sourceVar");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("writeScope");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("warning"); // empty: none

    QTest::newRow("empty source") << ""
                                  << "out.csv" << 0 << 0 << "[CsvWrite] 未指定数据表变量，已跳过";
    QTest::newRow("undeclared source")
        << "u"
        << "out.csv" << 0 << 0 << "[CsvWrite] 变量 \"u\" 未声明为数据表，已跳过";
    QTest::newRow("list source") << "list"
                                 << "out.csv" << 0 << 0
                                 << "[CsvWrite] 变量 \"list\" 未声明为数据表，已跳过";
    QTest::newRow("source never trimmed")
        << " t "
        << "" << 0 << 0 << "[CsvWrite] 变量 \" t \" 未声明为数据表，已跳过";
    QTest::newRow("empty table, scope 1") << "empty"
                                          << "" << 1 << 0 << "[CsvWrite] 起始行大于结束行，已跳过";
    QTest::newRow("empty path") << "t"
                                << "" << 0 << 0 << "[CsvWrite] 文件路径为空，已跳过";
    QTest::newRow("blank path") << "t"
                                << " \t" << 0 << 1 << "[CsvWrite] 文件路径为空，已跳过";
    QTest::newRow("give up before the path") << "t"
                                             << "" << 0 << 2 << "";
    QTest::newRow("parent is a file")
        << "t"
        << "plain.txt/out.csv" << 0 << 0 << "[CsvWrite] 写入失败： \"plain.txt/out.csv\"";
    QTest::newRow("target is a folder")
        << "t"
        << " folder " << 0 << 1 << "[CsvWrite] 写入失败： \"folder\"";
}

void tst_FileCsvWriteOperation::warnings()
{
    QFETCH(QString, sourceVar);
    QFETCH(QString, filePath);
    QFETCH(int, writeScope);
    QFETCH(int, ifExist);
    QFETCH(QString, warning);
    QVERIFY(writeFile(QStringLiteral("plain.txt"), "keep"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable, table(R"([["a"]])"));
    scope.declare(QStringLiteral("empty"), VarType::DataTable); // holds nothing: the empty table
    scope.declare(QStringLiteral("list"), VarType::List, QVariantList{"a"});
    FileCsvWriteOperation op;
    op.setSourceVar(sourceVar);
    op.setFilePath(filePath);
    op.setWriteScope(writeScope);
    op.setIfExist(ifExist);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), warning.isEmpty() ? QStringList() : QStringList{warning});
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(readFile(QStringLiteral("plain.txt")), QByteArray("keep"));
    QVERIFY(QDir(QStringLiteral("folder")).isEmpty());
}

void tst_FileCsvWriteOperation::noScopeDoesNothing()
{
    FileCsvWriteOperation op;
    op.setFilePath(QStringLiteral("out.csv"));
    WarningLog log;
    op.doOperation();
    QVERIFY(log.messages().isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("out.csv")));
}

struct WriteSettings {
    int writeScope = 0;
    QString startRow;
    QString endRow;
    QString columns;
    QString delimiter;
};
Q_DECLARE_METATYPE(WriteSettings)

static WriteSettings delimiter(const QString& text)
{
    WriteSettings settings;
    settings.delimiter = text;
    return settings;
}

static WriteSettings block(const QString& startRow, const QString& endRow, const QString& columns,
                           int writeScope = 1)
{
    WriteSettings settings;
    settings.writeScope = writeScope;
    settings.startRow = startRow;
    settings.endRow = endRow;
    settings.columns = columns;
    return settings;
}

void tst_FileCsvWriteOperation::writes_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<WriteSettings>("settings");
    QTest::addColumn<QByteArray>("text"); // after the mark

    QTest::newRow("two rows, no break at the end")
        << table(R"([["a","b"],["c"]])") << WriteSettings() << QByteArray("a,b\nc");
    QTest::newRow("quoting") << table(R"([["a","b,c","say \"hi\""]])") << WriteSettings()
                             << QByteArray("a,\"b,c\",\"say \"\"hi\"\"\"");
    QTest::newRow("line breaks quoted raw")
        << table(R"([["x\ny","z\r"]])") << WriteSettings() << QByteArray("\"x\ny\",\"z\r\"");
    QTest::newRow("semicolon") << table(R"([["b,c","b;c"]])") << delimiter(";")
                               << QByteArray("b,c;\"b;c\"");
    QTest::newRow("delimiter from variable")
        << table(R"([["a","b"]])") << delimiter("$tab") << QByteArray("a\tb");
    QTest::newRow("delimiter first character")
        << table(R"([["a","b"]])") << delimiter("|;") << QByteArray("a|b");
    QTest::newRow("no escapes in the delimiter")
        << table(R"([["a","b"]])") << delimiter("\\t") << QByteArray("a\\b");
    QTest::newRow("empty table") << QVariant(QVariantList()) << WriteSettings() << QByteArray();
    QTest::newRow("invalid value is the empty table")
        << QVariant() << WriteSettings() << QByteArray();
    QTest::newRow("flat list") << QVariant(QVariantList{"x", "y"}) << WriteSettings()
                               << QByteArray("x,y");
    QTest::newRow("json text") << QVariant(QStringLiteral(R"([["1","2"],["3"]])"))
                               << WriteSettings() << QByteArray("1,2\n3");
    QTest::newRow("non-text cells")
        << QVariant(QVariantList{QVariant(QVariantList{1.5, true, 3, QVariant()})})
        << WriteSettings() << QByteArray("1.5,true,3,");
    QTest::newRow("rows without cells")
        << table(R"([[],["a"],[]])") << WriteSettings() << QByteArray("\na\n");
    QTest::newRow("row that is no list gives no cells")
        << QVariant(QVariantList{QVariant(QVariantList{"a"}), 5, QVariant(QVariantList{"b"})})
        << WriteSettings() << QByteArray("a\n\nb");
    QTest::newRow("chinese") << table(R"([["名称","数量，单位"]])") << WriteSettings()
                             << QByteArray("名称,数量，单位");
    QTest::newRow("columns 1,5") << table(R"([["a","b","c"],["d","e","f","g","h","i"]])")
                                 << block("", "", "1,5") << QByteArray("b,\ne,i");
    QTest::newRow("columns from list")
        << table(R"([["a","b","c"]])") << block("", "", "$cols") << QByteArray("c,b");
    QTest::newRow("block of rows")
        << table(R"([["0"],["1"],["2"],["3"]])") << block("1", "2", "") << QByteArray("1\n2");
    QTest::newRow("end past the table")
        << table(R"([["0"],["1"]])") << block("$one", "99", "") << QByteArray("1");
    QTest::newRow("scope 0 ignores the block")
        << table(R"([["a","b"],["c"]])") << block("1", "0", "1", 0) << QByteArray("a,b\nc");
    // An empty list held by the variable is one row without cells, so a block finds a row.
    QTest::newRow("empty list, scope 1")
        << QVariant(QVariantList()) << block("", "", "") << QByteArray();
    QTest::newRow("empty table, scope 0 with a block")
        << QVariant(QVariantList()) << block("1", "0", "", 0) << QByteArray();
}

static void declareInputs(VariableScope& scope, const QVariant& value)
{
    scope.declare(QStringLiteral("t"), VarType::DataTable, value);
    scope.declare(QStringLiteral("tab"), VarType::String, QStringLiteral("\t"));
    scope.declare(QStringLiteral("cols"), VarType::List, QVariantList{"2", "1"});
    scope.declare(QStringLiteral("one"), VarType::Number, 1.0);
}

void tst_FileCsvWriteOperation::writes()
{
    QFETCH(QVariant, value);
    QFETCH(WriteSettings, settings);
    QFETCH(QByteArray, text);

    VariableScope scope;
    declareInputs(scope, value);
    scope.declare(QStringLiteral("p"), VarType::String, QStringLiteral(" out.csv "));
    FileCsvWriteOperation op;
    op.setSourceVar(QStringLiteral("t"));
    op.setFilePath(QStringLiteral("$p"));
    op.setWriteScope(settings.writeScope);
    op.setStartRow(settings.startRow);
    op.setEndRow(settings.endRow);
    op.setColumns(settings.columns);
    op.setDelimiter(settings.delimiter);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(readFile(QStringLiteral("out.csv")), kMark + text);
    QCOMPARE(scope.get(QStringLiteral("t")), value);
}

void tst_FileCsvWriteOperation::ifExist_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<bool>("appendNoNewline");
    QTest::addColumn<QByteArray>("after"); // empty: no file

    const QByteArray old = kMark + "old";
    QTest::newRow("overwrite") << true << old << 0 << false << kMark + "x,y\nz";
    QTest::newRow("choice 7 overwrites") << true << old << 7 << false << kMark + "x,y\nz";
    QTest::newRow("overwrite missing") << false << QByteArray() << 0 << false << kMark + "x,y\nz";
    QTest::newRow("append with guard") << true << old << 1 << false << old + "\nx,y\nz";
    QTest::newRow("append without guard") << true << old << 1 << true << old + "x,y\nz";
    QTest::newRow("append after LF") << true << old + "\n" << 1 << false << old + "\nx,y\nz";
    QTest::newRow("append after CR LF") << true << old + "\r\n" << 1 << false << old + "\r\nx,y\nz";
    QTest::newRow("append to empty file")
        << true << QByteArray() << 1 << false << QByteArray("x,y\nz");
    QTest::newRow("append to missing file")
        << false << QByteArray() << 1 << false << kMark + "x,y\nz";
    QTest::newRow("append in the file's encoding") << true
                                                   << QByteArray("\xff\xfe"
                                                                 "a\0",
                                                                 4)
                                                   << 1 << false
                                                   << QByteArray("\xff\xfe"
                                                                 "a\0\n\0x\0,\0y\0\n\0z\0",
                                                                 16);
    QTest::newRow("give up keeps the file") << true << old << 2 << false << old;
    QTest::newRow("give up creates nothing") << false << QByteArray() << 2 << false << QByteArray();
}

void tst_FileCsvWriteOperation::ifExist()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(int, ifExist);
    QFETCH(bool, appendNoNewline);
    QFETCH(QByteArray, after);
    if (exists)
        QVERIFY(writeFile(QStringLiteral("out.csv"), before));

    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable, table(R"([["x","y"],["z"]])"));
    FileCsvWriteOperation op;
    op.setSourceVar(QStringLiteral("t"));
    op.setFilePath(QStringLiteral("out.csv"));
    op.setIfExist(ifExist);
    op.setAppendNoNewline(appendNoNewline);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(QFile::exists(QStringLiteral("out.csv")), !after.isEmpty());
    QCOMPARE(readFile(QStringLiteral("out.csv")), after);
}

void tst_FileCsvWriteOperation::roundTrip_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QByteArray>("text");   // the file after the mark
    QTest::addColumn<QString>("readBack");  // the table read from it
    QTest::addColumn<bool>("rewritesSame"); // whether writing what was read gives the same file

    QTest::newRow("quotes and delimiters")
        << R"([["a","b,c","say \"hi\"","\"","",""],["x\"\"y"," lead","trail "]])"
        << QByteArray("a,\"b,c\",\"say \"\"hi\"\"\",\"\"\"\",,\n\"x\"\"\"\"y\", lead,trail ")
        << R"([["a","b,c","say \"hi\"","\"","",""],["x\"\"y"," lead","trail "]])" << true;
    QTest::newRow("chinese") << R"([["名称","数量，单位","“引号”"],["甲","乙,丙"]])"
                             << QByteArray("名称,数量，单位,“引号”\n甲,\"乙,丙\"")
                             << R"([["名称","数量，单位","“引号”"],["甲","乙,丙"]])" << true;
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
    writer.setSourceVar(QStringLiteral("t"));
    writer.setFilePath(QStringLiteral("out.csv"));
    writer.setVariableScope(&scope);
    writer.doOperation();
    FileCsvReadOperation reader;
    reader.setFilePath(QStringLiteral("out.csv"));
    reader.setTargetVar(QStringLiteral("r"));
    reader.setVariableScope(&scope);
    reader.doOperation();
}

void tst_FileCsvWriteOperation::roundTrip()
{
    QFETCH(QString, table);
    QFETCH(QByteArray, text);
    QFETCH(QString, readBack);
    QFETCH(bool, rewritesSame);

    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable, parseDataTableJson(table));
    scope.declare(QStringLiteral("r"), VarType::DataTable);
    WarningLog log;
    writeAndRead(scope);
    QCOMPARE(readFile(QStringLiteral("out.csv")), kMark + text);
    QCOMPARE(scope.get(QStringLiteral("r")), QVariant(parseDataTableJson(readBack)));

    // What was read back, written again, gives the same file and reads back the same table.
    const QByteArray first = readFile(QStringLiteral("out.csv"));
    scope.set(QStringLiteral("t"), scope.get(QStringLiteral("r")));
    writeAndRead(scope);
    QCOMPARE(readFile(QStringLiteral("out.csv")) == first, rewritesSame);
    QCOMPARE(scope.get(QStringLiteral("r")), QVariant(parseDataTableJson(readBack)));
    QCOMPARE(log.messages(), QStringList());
}

QTEST_GUILESS_MAIN(tst_FileCsvWriteOperation)
#include "tst_filecsvwriteoperation.moc"
