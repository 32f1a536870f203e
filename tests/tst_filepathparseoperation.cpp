// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filepathparseoperation.h"

#include <QtTest>

class tst_FilePathParseOperation : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void drive_data();
    void drive();
    void wrongDeclarations();
    void nothingToStore();
};

static const QStringList kPieceVars{"disk", "dir", "name", "ext", "full"};

// Runs the step with the given settings; piece variables not yet declared are declared as texts
// holding "unchanged". Returns the pieces as one text: drive|folder|name|extension|full name.
static QString runParse(VariableScope& scope, const QString& settings, QStringList* warnings)
{
    for (const QString& var : kPieceVars) {
        if (!scope.contains(var))
            scope.declare(var, VarType::String, "unchanged");
    }
    scope.declare("p", VarType::String, " /v/n.e ");
    scope.declare("blank", VarType::String, "   ");
    FilePathParseOperation op;
    applySettings(&op,
                  "diskVar=disk|dirVar=dir|nameVar=name|extVar=ext|fullNameVar=full|" + settings);
    *warnings = warningsOf(op, &scope);
    QStringList pieces;
    for (const QString& var : kPieceVars) {
        // An empty piece is stored as the empty text, not as "no value".
        const QVariant value = scope.get(var);
        pieces << (value.userType() == QMetaType::QString ? value.toString() : "<not a text>");
    }
    return pieces.join('|');
}

void tst_FilePathParseOperation::parse_data()
{
    // "<cwd>" stands for the current folder, which relative paths are taken against.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pieces");
    const auto add = [](const char* tag, const char* path, const char* pieces) {
        QTest::newRow(tag) << QString::fromUtf8(path) << QString::fromUtf8(pieces);
    };
    add("several dots", "/home/me/report.final.docx",
        "|/home/me|report.final|docx|report.final.docx");
    add("no dot", "/data/readme", "|/data|readme||readme");
    add("starts with its only dot", "/home/me/.profile", "|/home/me||profile|.profile");
    add("ends with a dot", "/x/a.", "|/x|a||a.");
    add("trailing separator", "/home/me/", "|/home/me|||");
    add("root", "/", "|/|||");
    add("blanks trimmed", " \t/a/b.txt  ", "|/a|b|txt|b.txt");
    add("double separators", "//server/share/a.txt", "|/server/share|a|txt|a.txt");
    add("bare name", "a.txt", "|<cwd>|a|txt|a.txt");
    add("relative", "sub/a.tar.gz", "|<cwd>/sub|a.tar|gz|a.tar.gz");
    add("dot segments", "./x/../y/a.txt", "|<cwd>/y|a|txt|a.txt");
    add("from variable", "$p", "|/v|n|e|n.e");
    // Without drive letters a drive path is a relative path, and a backslash is part of a name.
    add("drive path", "C:/Users/me/r.docx", "|<cwd>/C:/Users/me|r|docx|r.docx");
    add("drive path, backslashes", "C:\\Users\\me\\r.docx",
        "|<cwd>|C:\\Users\\me\\r|docx|C:\\Users\\me\\r.docx");
    const char* untouched = "unchanged|unchanged|unchanged|unchanged|unchanged";
    add("empty", "", untouched);
    add("blank", "  \t ", untouched);
    add("missing variable", "$missing", untouched);
    add("empty variable", "$blank", untouched);
}

void tst_FilePathParseOperation::parse()
{
    QFETCH(QString, path);
    QFETCH(QString, pieces);
    const ScratchCwd dir;
    VariableScope scope;
    QStringList warnings;
    QCOMPARE(runParse(scope, "filePath=" + path, &warnings),
             pieces.replace("<cwd>", QDir::currentPath()));
    QCOMPARE(warnings, pieces.startsWith("unchanged")
                           ? QStringList{"[FilePathParse] 文件路径为空，已跳过"}
                           : QStringList());
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

void tst_FilePathParseOperation::wrongDeclarations()
{
    VariableScope scope;
    scope.declare("dir", VarType::List, "list");
    QStringList warnings;
    // The extension variable is undeclared, and its name needs escaping.
    QCOMPARE(runParse(scope, "filePath=/x/a.txt|extVar=e\"x\\t", &warnings),
             "|list|a|unchanged|a.txt");
    QCOMPARE(warnings,
             QStringList({"[FilePathParse] 目标变量 \"dir\" 未声明为字符串，已跳过",
                          "[FilePathParse] 目标变量 \"e\\\"x\\\\t\" 未声明为字符串，已跳过"}));
    QVERIFY(!scope.contains("e\"x\\t"));
}

void tst_FilePathParseOperation::nothingToStore()
{
    VariableScope scope;
    QStringList warnings;
    const char* none = "diskVar=|dirVar=|nameVar=|extVar=|fullNameVar=|filePath=/x/a.txt";
    QCOMPARE(runParse(scope, none, &warnings), "unchanged|unchanged|unchanged|unchanged|unchanged");
    // The names are used as typed: "$name" is a variable whose name begins with "$".
    scope.declare("$name", VarType::String);
    QCOMPARE(runParse(scope, QString(none) + "|nameVar=$name", &warnings),
             "unchanged|unchanged|unchanged|unchanged|unchanged");
    QCOMPARE(scope.get("$name"), QVariant("a"));
    QCOMPARE(warnings, QStringList());

    // Without a scope there is nowhere to store: nothing happens, and nothing is said.
    FilePathParseOperation op;
    QVERIFY(applySettings(&op, "filePath=/x/a.txt|nameVar=name"));
    QCOMPARE(warningsOf(op, nullptr), QStringList());
}

QTEST_GUILESS_MAIN(tst_FilePathParseOperation)
#include "tst_filepathparseoperation.moc"
