#include "operations/filepathparseoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QTemporaryDir>
#include <QtTest>

class tst_FilePathParseOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void parse_data();
    void parse();
    void drive_data();
    void drive();
    void emptyPath_data();
    void emptyPath();
    void wrongDeclarations();
    void nothingToStore();
    void texts();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

static const QStringList pieceVars{"disk", "dir", "name", "ext", "full"};

static const QStringList untouched{"unchanged", "unchanged", "unchanged", "unchanged", "unchanged"};

static void declarePieces(VariableScope& scope)
{
    for (const QString& var : pieceVars)
        scope.declare(var, VarType::String, "unchanged");
}

static void setPieceVars(FilePathParseOperation& op)
{
    op.setDiskVar("disk");
    op.setDirVar("dir");
    op.setNameVar("name");
    op.setExtVar("ext");
    op.setFullNameVar("full");
}

static QStringList pieces(const VariableScope& scope)
{
    QStringList values;
    for (const QString& var : pieceVars)
        values << scope.get(var).toString();
    return values;
}

void tst_FilePathParseOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FilePathParseOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

// The five pieces as one text: drive|folder|name|extension|full name.
static void addPath(const char* tag, const char* path, const char* pieces)
{
    QTest::newRow(tag) << QString::fromUtf8(path) << QString::fromUtf8(pieces).split('|');
}

void tst_FilePathParseOperation::parse_data()
{
    // "<cwd>" stands for the current folder, which relative paths are taken against.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("expected");

    addPath("several dots", "/home/me/report.final.docx",
            "|/home/me|report.final|docx|report.final.docx");
    addPath("no dot", "/data/readme", "|/data|readme||readme");
    addPath("starts with its only dot", "/home/me/.profile", "|/home/me||profile|.profile");
    addPath("ends with a dot", "/x/a.", "|/x|a||a.");
    addPath("trailing separator", "/home/me/", "|/home/me|||");
    addPath("root", "/", "|/|||");
    addPath("blanks trimmed", " \t/a/b.txt  ", "|/a|b|txt|b.txt");
    addPath("double separators", "//server/share/a.txt", "|/server/share|a|txt|a.txt");
    addPath("bare name", "a.txt", "|<cwd>|a|txt|a.txt");
    addPath("relative", "sub/a.tar.gz", "|<cwd>/sub|a.tar|gz|a.tar.gz");
    addPath("dot segments", "./x/../y/a.txt", "|<cwd>/y|a|txt|a.txt");
    addPath("from variable", "$p", "|/v|n|e|n.e");
#ifdef Q_OS_WIN
    addPath("drive path", "C:/Users/me/report.final.docx",
            "C:|C:/Users/me|report.final|docx|report.final.docx");
    addPath("drive path, backslashes", "C:\\Users\\me\\report.final.docx",
            "C:|C:/Users/me|report.final|docx|report.final.docx");
#else
    // Without drive letters a drive path is a relative path, and a backslash is part of a name.
    addPath("drive path", "C:/Users/me/report.final.docx",
            "|<cwd>/C:/Users/me|report.final|docx|report.final.docx");
    addPath("drive path, backslashes", "C:\\Users\\me\\report.final.docx",
            "|<cwd>|C:\\Users\\me\\report.final|docx|C:\\Users\\me\\report.final.docx");
#endif
}

void tst_FilePathParseOperation::parse()
{
    QFETCH(QString, path);
    QFETCH(QStringList, expected);
    expected.replaceInStrings("<cwd>", QDir::currentPath());

    VariableScope scope;
    declarePieces(scope);
    scope.declare("p", VarType::String, " /v/n.e ");
    FilePathParseOperation op;
    op.setFilePath(path);
    setPieceVars(op);
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(pieces(scope), expected);
    // An empty piece is stored as the empty text, not as "no value".
    for (const QString& var : pieceVars)
        QCOMPARE(scope.get(var).userType(), int(QMetaType::QString));
}

void tst_FilePathParseOperation::drive_data()
{
    QTest::addColumn<QString>("absolutePath");
    QTest::addColumn<QString>("drive");
    const char* rows[][2] = {{"C:/Users/me", "C:"},  {"d:/", "d:"},    {"C:", "C:"},
                             {"a:b:c", "a:"},        {"/home/me", ""}, {"/C:/x", ""},
                             {"//server/a.txt", ""}, {"", ""}};
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString(row[0]) << QString(row[1]);
}

void tst_FilePathParseOperation::drive()
{
    QFETCH(QString, absolutePath);
    QTEST(driveOfAbsolutePath(absolutePath), "drive");
}

void tst_FilePathParseOperation::emptyPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "  \t ";
    QTest::newRow("missing variable") << "$missing";
    QTest::newRow("empty variable") << "$blank";
}

void tst_FilePathParseOperation::emptyPath()
{
    QFETCH(QString, path);
    VariableScope scope;
    declarePieces(scope);
    scope.declare("blank", VarType::String, "   ");
    FilePathParseOperation op;
    op.setFilePath(path);
    setPieceVars(op);
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{"[FilePathParse] 文件路径为空，已跳过"});
    QCOMPARE(pieces(scope), untouched);
}

void tst_FilePathParseOperation::wrongDeclarations()
{
    VariableScope scope;
    declarePieces(scope);
    scope.declare("dir", VarType::List, "list");
    FilePathParseOperation op;
    op.setFilePath("/x/a.txt");
    setPieceVars(op);
    op.setExtVar("e\"x\\t"); // undeclared, and its name needs escaping
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(),
             QStringList({"[FilePathParse] 目标变量 \"dir\" 未声明为字符串，已跳过",
                          "[FilePathParse] 目标变量 \"e\\\"x\\\\t\" 未声明为字符串，已跳过"}));
    // The other pieces are stored all the same.
    QCOMPARE(pieces(scope), QStringList({"", "list", "a", "unchanged", "a.txt"}));
    QVERIFY(!scope.contains("e\"x\\t"));
}

void tst_FilePathParseOperation::nothingToStore()
{
    VariableScope scope;
    declarePieces(scope);
    FilePathParseOperation op;
    op.setFilePath("/x/a.txt");
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(pieces(scope), untouched);

    // The names are used as typed: "$name" is a variable whose name begins with "$".
    scope.declare("$name", VarType::String);
    op.setNameVar("$name");
    op.doOperation();
    QCOMPARE(scope.get("$name"), QVariant("a"));
    QCOMPARE(scope.get("name"), QVariant("unchanged"));

    // Without a scope there is nowhere to store: nothing happens, and nothing is said.
    op.setVariableScope(nullptr);
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
}

void tst_FilePathParseOperation::texts()
{
    FilePathParseOperation op;
    op.setFilePath("$p");
    op.setNameVar("n");
    QCOMPARE(op.toString(), QStringLiteral("解析文件路径信息: $p"));
    QCOMPARE(op.description(), QStringLiteral("解析 $p 的磁盘/目录/名称/扩展名"));
    QCOMPARE(op.typeId(), QStringLiteral("file.parse"));
    QCOMPARE(op.typeName(), QStringLiteral("解析文件路径信息"));
    QCOMPARE(op.icon(), QStringLiteral(":/images/file_parse.svg"));
}

QTEST_GUILESS_MAIN(tst_FilePathParseOperation)
#include "tst_filepathparseoperation.moc"
