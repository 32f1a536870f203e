#include "filetree.h"
#include "operations/filerenameoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDataStream>
#include <QJsonArray>
#include <QJsonObject>
#include <QMetaClassInfo>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileRenameOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rename_data();
    void rename();
    void resultVariable_data();
    void resultVariable();
    void withoutScope();
    void texts();
    void schema();
    void exampleFlow();

private:
    void addRow(const char* tag, const char* tree, const char* files, const char* settings,
                const char* list, const char* after);
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

void tst_FileRenameOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileRenameOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

// Trees, settings and lists are written as texts with "|" between entries; a setting is
// "name=value", converted to the property's type by the meta-object system.
void tst_FileRenameOperation::addRow(const char* tag, const char* tree, const char* files,
                                     const char* settings, const char* list, const char* after)
{
    QTest::newRow(tag) << entries(tree) << QString::fromUtf8(files) << entries(settings)
                       << entries(list) << entries(after);
}

void tst_FileRenameOperation::rename_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("after");

    const char* abc = "d/a.txt|d/b.txt|d/c.txt";
    const char* abcFiles = "d/a.txt\nd/b.txt\nd/c.txt";

    // 0: set new name.
    addRow("0 extension stays", "d/a.txt", "d/a.txt", "newName=report", "d/report.txt",
           "d/report.txt=d/a.txt");
    addRow("0 new extension", "d/a.txt", "d/a.txt", "newName=report.pdf", "d/report.pdf",
           "d/report.pdf=d/a.txt");
    addRow("0 text after last dot is the extension", "d/a.txt", "d/a.txt", "newName=release1.2",
           "d/release1.2", "d/release1.2=d/a.txt");
    addRow("0 name trimmed", "d/a.txt", "d/a.txt", "newName= report\t", "d/report.txt",
           "d/report.txt=d/a.txt");
    addRow("0 empty name", "d/a.txt", "d/a.txt", "", "d/.txt", "d/.txt=d/a.txt");
    addRow("0 folder part dropped with suffix", "d/a.txt|d/sub/", "d/a.txt", "newName=sub/new.txt",
           "d/new.txt", "d/new.txt=d/a.txt|d/sub/");
    addRow("0 folder part kept without suffix", "d/a.txt|d/sub/", "d/a.txt", "newName=sub/new",
           "d/sub/new.txt", "d/sub/new.txt=d/a.txt");
    addRow("0 name from variable", "d/a.txt", "d/a.txt", "newName=$name", "d/fromvar.txt",
           "d/fromvar.txt=d/a.txt");
    addRow("0 one name for two, leave alone", "d/a.txt|d/b.txt", "d/a.txt\nd/b.txt",
           "newName=report|ifNewExist=1", "d/report.txt", "d/b.txt=d/b.txt|d/report.txt=d/a.txt");
    addRow("0 one name for two, overwrite", "d/a.txt|d/b.txt", "d/a.txt\nd/b.txt", "newName=report",
           "d/report.txt|d/report.txt", "d/report.txt=d/b.txt");

    // 1: add text.
    addRow("1 after", "d/README", "d/README", "mode=1|addText=_old", "d/README_old",
           "d/README_old=d/README");
    addRow("1 before last suffix only", "d/archive.tar.gz", "d/archive.tar.gz",
           "mode=1|addText=_old", "d/archive.tar_old.gz", "d/archive.tar_old.gz=d/archive.tar.gz");
    addRow("1 before", "d/a.txt", "d/a.txt", "mode=1|addText=new_|addPos=0", "d/new_a.txt",
           "d/new_a.txt=d/a.txt");
    addRow("1 other position is after", "d/a.txt", "d/a.txt", "mode=1|addText=_x|addPos=7",
           "d/a_x.txt", "d/a_x.txt=d/a.txt");
    addRow("1 text not trimmed", "d/a.txt", "d/a.txt", "mode=1|addText= x ", "d/a x .txt",
           "d/a x .txt=d/a.txt");
    addRow("1 number literal in shortest form", "d/a.txt", "d/a.txt", "mode=1|addText=007",
           "d/a7.txt", "d/a7.txt=d/a.txt");
    addRow("1 folder renamed like a file", "d/sub/in.txt", "d/sub", "mode=1|addText=_x", "d/sub_x",
           "d/sub_x/in.txt=d/sub/in.txt");

    // 2: delete text; 3: replace text.
    addRow("2 every occurrence", "d/banana.txt", "d/banana.txt", "mode=2|delText=a", "d/bnn.txt",
           "d/bnn.txt=d/banana.txt");
    addRow("2 case-sensitive", "d/banana.txt", "d/banana.txt", "mode=2|delText=A", "d/banana.txt",
           "d/banana.txt=d/banana.txt");
    addRow("2 suffix untouched", "d/txt.txt", "d/txt.txt", "mode=2|delText=txt", "d/.txt",
           "d/.txt=d/txt.txt");
    addRow("3 non-overlapping from the left", "d/aaa.txt", "d/aaa.txt",
           "mode=3|oldText=aa|newText=b", "d/ba.txt", "d/ba.txt=d/aaa.txt");
    addRow("3 case-sensitive", "d/banana.txt", "d/banana.txt", "mode=3|oldText=A|newText=x",
           "d/banana.txt", "d/banana.txt=d/banana.txt");
    addRow("3 empty old text", "d/a.txt", "d/a.txt", "mode=3|newText=x", "d/a.txt",
           "d/a.txt=d/a.txt");
    addRow("3 empty new text removes", "d/banana.txt", "d/banana.txt", "mode=3|oldText=an",
           "d/ba.txt", "d/ba.txt=d/banana.txt");

    // 4: change extension.
    addRow("4 case kept", "d/a.txt", "d/a.txt", "mode=4|newExt=.PDF", "d/a.PDF", "d/a.PDF=d/a.txt");
    addRow("4 every dot removed", "d/a.txt", "d/a.txt", "mode=4|newExt=tar.gz", "d/a.targz",
           "d/a.targz=d/a.txt");
    addRow("4 empty drops extension", "d/a.txt", "d/a.txt", "mode=4", "d/a", "d/a=d/a.txt");
    addRow("4 trimmed", "d/a.txt", "d/a.txt", "mode=4|newExt= .md ", "d/a.md", "d/a.md=d/a.txt");
    addRow("4 dot file has only a suffix", "d/.profile", "d/.profile", "mode=4|newExt=txt",
           "d/.txt", "d/.txt=d/.profile");

    // 5: add numbering.
    addRow("5 padded after", abc, abcFiles, "mode=5|sep=1|usePad=true|padLen=3",
           "d/a-001.txt|d/b-002.txt|d/c-003.txt",
           "d/a-001.txt=d/a.txt|d/b-002.txt=d/b.txt|d/c-003.txt=d/c.txt");
    addRow("5 not padded", abc, abcFiles, "mode=5|sep=1|padLen=3", "d/a-1.txt|d/b-2.txt|d/c-3.txt",
           "d/a-1.txt=d/a.txt|d/b-2.txt=d/b.txt|d/c-3.txt=d/c.txt");
    addRow("5 padded before with underscore", abc, abcFiles,
           "mode=5|sep=2|usePad=true|padLen=3|addPos=0", "d/001_a.txt|d/002_b.txt|d/003_c.txt",
           "d/001_a.txt=d/a.txt|d/002_b.txt=d/b.txt|d/003_c.txt=d/c.txt");
    addRow("5 number longer than padding", "d/a.txt", "d/a.txt",
           "mode=5|sep=1|usePad=true|padLen=3|startNum=1234", "d/a-1234.txt",
           "d/a-1234.txt=d/a.txt");
    addRow("5 padding of ten", "d/a.txt", "d/a.txt", "mode=5|usePad=true|padLen=10",
           "d/a0000000001.txt", "d/a0000000001.txt=d/a.txt");
    addRow("5 start and step", abc, abcFiles, "mode=5|startNum=0|step=5",
           "d/a0.txt|d/b5.txt|d/c10.txt", "d/a0.txt=d/a.txt|d/b5.txt=d/b.txt|d/c10.txt=d/c.txt");
    addRow("5 space", "d/a.txt", "d/a.txt", "mode=5|sep=3", "d/a 1.txt", "d/a 1.txt=d/a.txt");
    addRow("5 full stop", "d/a.txt", "d/a.txt", "mode=5|sep=4", "d/a.1.txt", "d/a.1.txt=d/a.txt");
    addRow("5 unknown separator is none", "d/a.txt", "d/a.txt", "mode=5|sep=9", "d/a1.txt",
           "d/a1.txt=d/a.txt");
    addRow("5 missing path uses no number", "d/a.txt|d/c.txt", abcFiles, "mode=5|sep=1",
           "d/a-1.txt|d/c-2.txt", "d/a-1.txt=d/a.txt|d/c-2.txt=d/c.txt");
    addRow("5 skipped clash keeps its number", "d/a.txt|d/b.txt|d/c.txt|d/b-2.txt", abcFiles,
           "mode=5|sep=1|ifNewExist=1", "d/a-1.txt|d/c-3.txt",
           "d/a-1.txt=d/a.txt|d/b-2.txt=d/b-2.txt|d/b.txt=d/b.txt|d/c-3.txt=d/c.txt");
    addRow("5 bare file name", "a.txt", "a.txt", "mode=5|sep=1", "./a-1.txt", "a-1.txt=a.txt");
    addRow("5 paths from list variable", "d/a.txt|d/b.txt", "$files", "mode=5", "d/a1.txt|d/b2.txt",
           "d/a1.txt=d/a.txt|d/b2.txt=d/b.txt");
    addRow("mode outside choices keeps the name", "d/a.txt", "d/a.txt", "mode=9", "d/a.txt",
           "d/a.txt=d/a.txt");

    // Clashes: overwriting replaces another file, never the source itself nor a folder.
    const char* clash = "d/a.txt|d/report.txt";
    addRow("overwrite another file", clash, "d/a.txt", "newName=report", "d/report.txt",
           "d/report.txt=d/a.txt");
    addRow("unknown policy overwrites", clash, "d/a.txt", "newName=report|ifNewExist=5",
           "d/report.txt", "d/report.txt=d/a.txt");
    addRow("leave alone", clash, "d/a.txt", "newName=report|ifNewExist=1", "",
           "d/a.txt=d/a.txt|d/report.txt=d/report.txt");
    addRow("unchanged name, leave alone", "d/a.txt", "d/a.txt", "mode=2|delText=z|ifNewExist=1", "",
           "d/a.txt=d/a.txt");
    addRow("unchanged bare name", "a.txt", "a.txt", "mode=2|delText=z", "./a.txt", "a.txt=a.txt");
    addRow("unchanged name through ./", "d/a.txt", "d/a.txt", "newName=./a", "d/./a.txt",
           "d/a.txt=d/a.txt");
    addRow("unchanged name through ..", "d/a.txt", "d/../d/a.txt", "newName=a", "d/../d/a.txt",
           "d/a.txt=d/a.txt");
    addRow("case change", "d/a.txt", "d/a.txt", "newName=A", "d/A.txt", "d/A.txt=d/a.txt");
    addRow("case change over another file", "d/a.txt|d/A.txt", "d/a.txt", "newName=A", "d/A.txt",
           "d/A.txt=d/a.txt");
    addRow("hard link under another case", "d/a.txt|d/A.txt=>d/a.txt", "d/a.txt", "newName=A", "",
           "d/A.txt=d/a.txt|d/a.txt=d/a.txt");
    addRow("hard link under another name", "d/a.txt|d/b.txt=>d/a.txt", "d/a.txt", "newName=b", "",
           "d/a.txt=d/a.txt|d/b.txt=d/a.txt");
    addRow("folder in the way", "d/a.txt|d/report.txt/in.txt", "d/a.txt", "newName=report", "",
           "d/a.txt=d/a.txt|d/report.txt/in.txt=d/report.txt/in.txt");
    addRow("empty folder in the way", "d/a.txt|d/a/", "d/a.txt", "mode=4", "",
           "d/a.txt=d/a.txt|d/a/");
    addRow("source links to the new path", "d/a.txt|d/link.txt->a.txt", "d/link.txt", "newName=a",
           "", "d/a.txt=d/a.txt|d/link.txt->a.txt");
    addRow("new path links to the source", "d/a.txt|d/link.txt->a.txt", "d/a.txt", "newName=link",
           "", "d/a.txt=d/a.txt|d/link.txt->a.txt");
    addRow("new path links to another file", "d/a.txt|d/o.txt|d/link.txt->o.txt", "d/a.txt",
           "newName=link", "d/link.txt", "d/link.txt=d/a.txt|d/o.txt=d/o.txt");
    addRow("new path links to a folder", "d/a.txt|d/dir/in.txt|d/link.txt->dir", "d/a.txt",
           "newName=link", "d/link.txt", "d/dir/in.txt=d/dir/in.txt|d/link.txt=d/a.txt");
    // A dangling link does not exist, so nothing clashes; Qt's rename then writes the file
    // through the link and removes the source. Nothing is lost.
    addRow("new path is a dangling link", "d/a.txt|d/b.txt->gone.txt", "d/a.txt", "newName=b",
           "d/b.txt", "d/b.txt->gone.txt|d/gone.txt=d/a.txt");
    addRow("dangling link is missing", "d/link.txt->gone.txt", "d/link.txt", "mode=5", "",
           "d/link.txt->gone.txt");
    addRow("folder over a file", "d/sub/in.txt|d/new.txt", "d/sub", "newName=new.txt", "d/new.txt",
           "d/new.txt/in.txt=d/sub/in.txt");
}

void tst_FileRenameOperation::rename()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, files);
    QFETCH(QStringList, settings);
    QFETCH(QStringList, list);
    QFETCH(QStringList, after);
    QVERIFY(makeTree(tree));

    VariableScope scope;
    scope.declare("name", VarType::String, "fromvar");
    scope.declare("files", VarType::List, QVariantList{"d/a.txt", "d/b.txt"});
    scope.declare("out", VarType::List, "unchanged");
    FileRenameOperation op;
    op.setFiles(files);
    op.setNewList("out");
    for (const QString& setting : settings) {
        const int equals = setting.indexOf('=');
        QVERIFY(
            op.setProperty(setting.left(equals).toLatin1().constData(), setting.mid(equals + 1)));
    }
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(scope.get("out").userType(), int(QMetaType::QVariantList));
    QCOMPARE(scope.get("out").toStringList(), list);
    QCOMPARE(treeSnapshot(), after);
}

void tst_FileRenameOperation::resultVariable_data()
{
    QTest::addColumn<QString>("newList");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("list") << "out" << QStringList() << QVariant(QVariantList{"d/a1.txt"});
    QTest::newRow("string") << "text"
                            << QStringList{"[OpVar] 目标变量 \"text\" 未声明为列表，已跳过"}
                            << QVariant("keep");
    QTest::newRow("written as reference")
        << "$out" << QStringList{"[OpVar] 目标变量 \"$out\" 未声明为列表，已跳过"} << QVariant();
    QTest::newRow("empty") << "" << QStringList() << QVariant();
}

void tst_FileRenameOperation::resultVariable()
{
    QFETCH(QString, newList);
    QFETCH(QStringList, warnings);
    QFETCH(QVariant, value);
    QVERIFY(makeTree({"d/a.txt"}));

    VariableScope scope;
    scope.declare("out", VarType::List);
    scope.declare("text", VarType::String, "keep");
    FileRenameOperation op;
    op.setFiles("d/a.txt");
    op.setMode(5);
    op.setNewList(newList);
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), warnings);
    // The file is renamed whatever happens to the list.
    QCOMPARE(treeSnapshot(), QStringList{"d/a1.txt=d/a.txt"});
    const QString stored = newList == "$out" || newList.isEmpty() ? "out" : newList;
    QCOMPARE(scope.get(stored), value);
}

void tst_FileRenameOperation::withoutScope()
{
    QVERIFY(makeTree({"d/a.txt", "d/b.txt"}));
    FileRenameOperation op;
    op.setFiles("d/a.txt\n$files");
    op.setMode(3);
    op.setOldText("a");
    op.setNewText("$x");
    op.setNewList("out");
    WarningLog log;
    op.doOperation();
    // Every reference resolves to nothing: the list line adds no path and the replacement text
    // is empty. There is nowhere to store the list, and nothing is said about it.
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(treeSnapshot(), entries("d/.txt=d/a.txt|d/b.txt=d/b.txt"));
}

void tst_FileRenameOperation::texts()
{
    FileRenameOperation op;
    op.setFiles("d/a.txt\n$files");
    op.setMode(5);
    QCOMPARE(op.toString(), QStringLiteral("重命名文件: d/a.txt\n$files (mode=5)"));
    QCOMPARE(op.description(), QStringLiteral("重命名 d/a.txt\n$files"));
    op.setMode(-3);
    QCOMPARE(op.toString(), QStringLiteral("重命名文件: d/a.txt\n$files (mode=-3)"));
    QCOMPARE(op.typeId(), QStringLiteral("file.rename"));
    QCOMPARE(op.typeName(), QStringLiteral("重命名文件"));
    QCOMPARE(op.icon(), QStringLiteral(":/images/file_rename.svg"));
    QCOMPARE(op.root(), QStringLiteral("文件"));
}

void tst_FileRenameOperation::schema()
{
    // Property order is also the payload order; the texts of the class-info entries are checked
    // for every step through the plug-in.
    const FileRenameOperation op;
    QStringList defaults;
    const QMetaObject* meta = op.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        defaults << QString::fromLatin1(meta->property(i).name()) + '=' +
                        meta->property(i).read(&op).toString();
    QCOMPARE(defaults, entries("files=|mode=0|newName=|addText=|addPos=1|delText=|oldText=|"
                               "newText=|newExt=|startNum=1|step=1|sep=0|usePad=false|padLen=3|"
                               "ifNewExist=0|newList="));
    QCOMPARE(meta->classInfoCount() - meta->classInfoOffset(), 57);
    QCOMPARE(QString::fromUtf8(meta->classInfo(meta->indexOfClassInfo("show_when_usePad")).value()),
             QStringLiteral("mode=5"));
    QCOMPARE(meta->indexOfClassInfo("show_when_newName") + 1,
             meta->indexOfClassInfo("editor_newName"));
}

void tst_FileRenameOperation::exampleFlow()
{
    if (!QFile::exists(STEPHOST_PATH))
        QSKIP("stephost is not built");
    // The example runs in a copy of its input files: it renames them, then parses a new path.
    const QString examples = QStringLiteral(FLOWS_DIR "/../../examples");
    const QStringList inputs = QDir(examples + "/rename-files/notes").entryList(QDir::Files);
    QCOMPARE(inputs.size(), 4);
    QVERIFY(QDir().mkdir("notes"));
    for (const QString& name : inputs)
        QVERIFY(QFile::copy(examples + "/rename-files/notes/" + name, "notes/" + name));

    const StephostResult run = runStephost(
        {"run", examples + "/rename-numbered.json", "--roundtrip"}, QDir::currentPath());
    QCOMPARE(run.exitCode, 0);
    const QJsonObject report = run.report();
    QCOMPARE(report.value("log").toArray(), QJsonArray());
    const QJsonObject vars = report.value("variables").toObject();
    const QStringList renamed{"notes/001_meeting.txt", "notes/002_plan.txt", "notes/003_todo.txt",
                              "notes/004_report.draft.txt"};
    QCOMPARE(vars.value("renamed").toObject().value("value").toVariant().toStringList(), renamed);
    const auto text = [&](const char* name) {
        return vars.value(QLatin1String(name)).toObject().value("value").toString();
    };
    QCOMPARE(text("folder"), QDir::currentPath() + "/notes");
    QCOMPARE(text("name"), QStringLiteral("004_report.draft"));
    QCOMPARE(text("ext"), QStringLiteral("txt"));
    QCOMPARE(text("fullName"), QStringLiteral("004_report.draft.txt"));
    QCOMPARE(
        QDir("notes").entryList(QDir::Files),
        QStringList({"001_meeting.txt", "002_plan.txt", "003_todo.txt", "004_report.draft.txt"}));
    QCOMPARE(readFile("notes/003_todo.txt"), QByteArray("Buy milk\nCall Ann\n"));
}

QTEST_GUILESS_MAIN(tst_FileRenameOperation)
#include "tst_filerenameoperation.moc"
