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
    void classInfo();
    void defaults();
    void payloadOrder();
    void cloneCarriesSettings();
    void exampleFlow();

private:
    void addRow(const char* tag, const QStringList& tree, const QString& files,
                const QVariantMap& settings, const QStringList& list, const QStringList& after);
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

void tst_FileRenameOperation::addRow(const char* tag, const QStringList& tree, const QString& files,
                                     const QVariantMap& settings, const QStringList& list,
                                     const QStringList& after)
{
    QTest::newRow(tag) << tree << files << settings << list << after;
}

void tst_FileRenameOperation::rename_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("after");

    const QStringList a{"d/a.txt"};
    const QStringList abc{"d/a.txt", "d/b.txt", "d/c.txt"};
    const QString abcFiles = "d/a.txt\nd/b.txt\nd/c.txt";
    const QVariantMap padded{{"mode", 5}, {"sep", 1}, {"usePad", true}, {"padLen", 3}};
    auto with = [](QVariantMap map, const QVariantMap& more) {
        for (auto it = more.begin(); it != more.end(); ++it)
            map.insert(it.key(), it.value());
        return map;
    };

    // 0: set new name.
    addRow("0 extension stays", a, "d/a.txt", {{"newName", "report"}}, {"d/report.txt"},
           {"d/", "d/report.txt=d/a.txt"});
    addRow("0 new extension", a, "d/a.txt", {{"newName", "report.pdf"}}, {"d/report.pdf"},
           {"d/", "d/report.pdf=d/a.txt"});
    addRow("0 text after last dot is the extension", a, "d/a.txt", {{"newName", "release1.2"}},
           {"d/release1.2"}, {"d/", "d/release1.2=d/a.txt"});
    addRow("0 name trimmed", a, "d/a.txt", {{"newName", " report\t"}}, {"d/report.txt"},
           {"d/", "d/report.txt=d/a.txt"});
    addRow("0 empty name", a, "d/a.txt", {}, {"d/.txt"}, {"d/", "d/.txt=d/a.txt"});
    addRow("0 folder part dropped with suffix", {"d/a.txt", "d/sub/"}, "d/a.txt",
           {{"newName", "sub/new.txt"}}, {"d/new.txt"}, {"d/", "d/new.txt=d/a.txt", "d/sub/"});
    addRow("0 folder part kept without suffix", {"d/a.txt", "d/sub/"}, "d/a.txt",
           {{"newName", "sub/new"}}, {"d/sub/new.txt"}, {"d/", "d/sub/", "d/sub/new.txt=d/a.txt"});
    addRow("0 name from variable", a, "d/a.txt", {{"newName", "$name"}}, {"d/fromvar.txt"},
           {"d/", "d/fromvar.txt=d/a.txt"});
    addRow("0 one name for two, leave alone", {"d/a.txt", "d/b.txt"}, "d/a.txt\nd/b.txt",
           {{"newName", "report"}, {"ifNewExist", 1}}, {"d/report.txt"},
           {"d/", "d/b.txt=d/b.txt", "d/report.txt=d/a.txt"});
    addRow("0 one name for two, overwrite", {"d/a.txt", "d/b.txt"}, "d/a.txt\nd/b.txt",
           {{"newName", "report"}}, {"d/report.txt", "d/report.txt"},
           {"d/", "d/report.txt=d/b.txt"});

    // 1: add text.
    addRow("1 after", {"d/README"}, "d/README", {{"mode", 1}, {"addText", "_old"}},
           {"d/README_old"}, {"d/", "d/README_old=d/README"});
    addRow("1 before last suffix only", {"d/archive.tar.gz"}, "d/archive.tar.gz",
           {{"mode", 1}, {"addText", "_old"}}, {"d/archive.tar_old.gz"},
           {"d/", "d/archive.tar_old.gz=d/archive.tar.gz"});
    addRow("1 before", a, "d/a.txt", {{"mode", 1}, {"addText", "new_"}, {"addPos", 0}},
           {"d/new_a.txt"}, {"d/", "d/new_a.txt=d/a.txt"});
    addRow("1 other position is after", a, "d/a.txt",
           {{"mode", 1}, {"addText", "_x"}, {"addPos", 7}}, {"d/a_x.txt"},
           {"d/", "d/a_x.txt=d/a.txt"});
    addRow("1 text not trimmed", a, "d/a.txt", {{"mode", 1}, {"addText", " x "}}, {"d/a x .txt"},
           {"d/", "d/a x .txt=d/a.txt"});
    addRow("1 number literal in shortest form", a, "d/a.txt", {{"mode", 1}, {"addText", "007"}},
           {"d/a7.txt"}, {"d/", "d/a7.txt=d/a.txt"});
    addRow("1 folder renamed like a file", {"d/sub/in.txt"}, "d/sub",
           {{"mode", 1}, {"addText", "_x"}}, {"d/sub_x"},
           {"d/", "d/sub_x/", "d/sub_x/in.txt=d/sub/in.txt"});

    // 2: delete text.
    addRow("2 every occurrence", {"d/banana.txt"}, "d/banana.txt", {{"mode", 2}, {"delText", "a"}},
           {"d/bnn.txt"}, {"d/", "d/bnn.txt=d/banana.txt"});
    addRow("2 case-sensitive", {"d/banana.txt"}, "d/banana.txt", {{"mode", 2}, {"delText", "A"}},
           {"d/banana.txt"}, {"d/", "d/banana.txt=d/banana.txt"});
    addRow("2 suffix untouched", {"d/txt.txt"}, "d/txt.txt", {{"mode", 2}, {"delText", "txt"}},
           {"d/.txt"}, {"d/", "d/.txt=d/txt.txt"});

    // 3: replace text.
    addRow("3 non-overlapping from the left", {"d/aaa.txt"}, "d/aaa.txt",
           {{"mode", 3}, {"oldText", "aa"}, {"newText", "b"}}, {"d/ba.txt"},
           {"d/", "d/ba.txt=d/aaa.txt"});
    addRow("3 case-sensitive", {"d/banana.txt"}, "d/banana.txt",
           {{"mode", 3}, {"oldText", "A"}, {"newText", "x"}}, {"d/banana.txt"},
           {"d/", "d/banana.txt=d/banana.txt"});
    addRow("3 empty old text", a, "d/a.txt", {{"mode", 3}, {"newText", "x"}}, {"d/a.txt"},
           {"d/", "d/a.txt=d/a.txt"});
    addRow("3 empty new text removes", {"d/banana.txt"}, "d/banana.txt",
           {{"mode", 3}, {"oldText", "an"}}, {"d/ba.txt"}, {"d/", "d/ba.txt=d/banana.txt"});

    // 4: change extension.
    addRow("4 case kept", a, "d/a.txt", {{"mode", 4}, {"newExt", ".PDF"}}, {"d/a.PDF"},
           {"d/", "d/a.PDF=d/a.txt"});
    addRow("4 every dot removed", a, "d/a.txt", {{"mode", 4}, {"newExt", "tar.gz"}}, {"d/a.targz"},
           {"d/", "d/a.targz=d/a.txt"});
    addRow("4 empty drops extension", a, "d/a.txt", {{"mode", 4}}, {"d/a"}, {"d/", "d/a=d/a.txt"});
    addRow("4 trimmed", a, "d/a.txt", {{"mode", 4}, {"newExt", " .md "}}, {"d/a.md"},
           {"d/", "d/a.md=d/a.txt"});
    addRow("4 dot file has only a suffix", {"d/.profile"}, "d/.profile",
           {{"mode", 4}, {"newExt", "txt"}}, {"d/.txt"}, {"d/", "d/.txt=d/.profile"});

    // 5: add numbering.
    addRow("5 padded after", abc, abcFiles, padded, {"d/a-001.txt", "d/b-002.txt", "d/c-003.txt"},
           {"d/", "d/a-001.txt=d/a.txt", "d/b-002.txt=d/b.txt", "d/c-003.txt=d/c.txt"});
    addRow("5 not padded", abc, abcFiles, with(padded, {{"usePad", false}}),
           {"d/a-1.txt", "d/b-2.txt", "d/c-3.txt"},
           {"d/", "d/a-1.txt=d/a.txt", "d/b-2.txt=d/b.txt", "d/c-3.txt=d/c.txt"});
    addRow("5 before with underscore", abc, abcFiles, with(padded, {{"addPos", 0}, {"sep", 2}}),
           {"d/001_a.txt", "d/002_b.txt", "d/003_c.txt"},
           {"d/", "d/001_a.txt=d/a.txt", "d/002_b.txt=d/b.txt", "d/003_c.txt=d/c.txt"});
    addRow("5 number longer than padding", a, "d/a.txt", with(padded, {{"startNum", 1234}}),
           {"d/a-1234.txt"}, {"d/", "d/a-1234.txt=d/a.txt"});
    addRow("5 padding of ten", a, "d/a.txt", with(padded, {{"padLen", 10}}), {"d/a-0000000001.txt"},
           {"d/", "d/a-0000000001.txt=d/a.txt"});
    addRow("5 start and step", abc, abcFiles, {{"mode", 5}, {"startNum", 0}, {"step", 5}},
           {"d/a0.txt", "d/b5.txt", "d/c10.txt"},
           {"d/", "d/a0.txt=d/a.txt", "d/b5.txt=d/b.txt", "d/c10.txt=d/c.txt"});
    addRow("5 space", a, "d/a.txt", {{"mode", 5}, {"sep", 3}}, {"d/a 1.txt"},
           {"d/", "d/a 1.txt=d/a.txt"});
    addRow("5 full stop", a, "d/a.txt", {{"mode", 5}, {"sep", 4}}, {"d/a.1.txt"},
           {"d/", "d/a.1.txt=d/a.txt"});
    addRow("5 unknown separator is none", a, "d/a.txt", {{"mode", 5}, {"sep", 9}}, {"d/a1.txt"},
           {"d/", "d/a1.txt=d/a.txt"});
    addRow("5 missing path uses no number", {"d/a.txt", "d/c.txt"}, abcFiles,
           {{"mode", 5}, {"sep", 1}}, {"d/a-1.txt", "d/c-2.txt"},
           {"d/", "d/a-1.txt=d/a.txt", "d/c-2.txt=d/c.txt"});
    addRow(
        "5 skipped clash keeps its number", {"d/a.txt", "d/b.txt", "d/c.txt", "d/b-2.txt"},
        abcFiles, {{"mode", 5}, {"sep", 1}, {"ifNewExist", 1}}, {"d/a-1.txt", "d/c-3.txt"},
        {"d/", "d/a-1.txt=d/a.txt", "d/b-2.txt=d/b-2.txt", "d/b.txt=d/b.txt", "d/c-3.txt=d/c.txt"});
    addRow("5 bare file name", {"a.txt"}, "a.txt", {{"mode", 5}, {"sep", 1}}, {"./a-1.txt"},
           {"a-1.txt=a.txt"});
    addRow("5 paths from list variable", {"d/a.txt", "d/b.txt"}, "$files", {{"mode", 5}},
           {"d/a1.txt", "d/b2.txt"}, {"d/", "d/a1.txt=d/a.txt", "d/b2.txt=d/b.txt"});

    addRow("mode outside choices keeps the name", a, "d/a.txt", {{"mode", 9}}, {"d/a.txt"},
           {"d/", "d/a.txt=d/a.txt"});

    // Clashes. Overwriting replaces another file, but never the source itself nor a folder.
    const QStringList clash{"d/a.txt", "d/report.txt"};
    addRow("overwrite another file", clash, "d/a.txt", {{"newName", "report"}}, {"d/report.txt"},
           {"d/", "d/report.txt=d/a.txt"});
    addRow("unknown policy overwrites", clash, "d/a.txt",
           {{"newName", "report"}, {"ifNewExist", 5}}, {"d/report.txt"},
           {"d/", "d/report.txt=d/a.txt"});
    addRow("leave alone", clash, "d/a.txt", {{"newName", "report"}, {"ifNewExist", 1}}, {},
           {"d/", "d/a.txt=d/a.txt", "d/report.txt=d/report.txt"});
    addRow("unchanged name, leave alone", a, "d/a.txt",
           {{"mode", 2}, {"delText", "z"}, {"ifNewExist", 1}}, {}, {"d/", "d/a.txt=d/a.txt"});
    addRow("unchanged bare name", {"a.txt"}, "a.txt", {{"mode", 2}, {"delText", "z"}}, {"./a.txt"},
           {"a.txt=a.txt"});
    addRow("unchanged name through ./", a, "d/a.txt", {{"newName", "./a"}}, {"d/./a.txt"},
           {"d/", "d/a.txt=d/a.txt"});
    addRow("unchanged name through ..", a, "d/../d/a.txt", {{"newName", "a"}}, {"d/../d/a.txt"},
           {"d/", "d/a.txt=d/a.txt"});
    addRow("case change without clash", a, "d/a.txt", {{"newName", "A"}}, {"d/A.txt"},
           {"d/", "d/A.txt=d/a.txt"});
    addRow("case change over another file", {"d/a.txt", "d/A.txt"}, "d/a.txt", {{"newName", "A"}},
           {"d/A.txt"}, {"d/", "d/A.txt=d/a.txt"});
    addRow("hard link under another case", {"d/a.txt", "d/A.txt=>d/a.txt"}, "d/a.txt",
           {{"newName", "A"}}, {}, {"d/", "d/A.txt=d/a.txt", "d/a.txt=d/a.txt"});
    addRow("hard link under another name", {"d/a.txt", "d/b.txt=>d/a.txt"}, "d/a.txt",
           {{"newName", "b"}}, {}, {"d/", "d/a.txt=d/a.txt", "d/b.txt=d/a.txt"});
    addRow("folder in the way", {"d/a.txt", "d/report.txt/in.txt"}, "d/a.txt",
           {{"newName", "report"}}, {},
           {"d/", "d/a.txt=d/a.txt", "d/report.txt/", "d/report.txt/in.txt=d/report.txt/in.txt"});
    addRow("folder in the way of a dropped extension", {"d/a.txt", "d/a/"}, "d/a.txt",
           {{"mode", 4}}, {}, {"d/", "d/a.txt=d/a.txt", "d/a/"});
    addRow("source links to the new path", {"d/a.txt", "d/link.txt->a.txt"}, "d/link.txt",
           {{"newName", "a"}}, {}, {"d/", "d/a.txt=d/a.txt", "d/link.txt->a.txt"});
    addRow("new path links to the source", {"d/a.txt", "d/link.txt->a.txt"}, "d/a.txt",
           {{"newName", "link"}}, {}, {"d/", "d/a.txt=d/a.txt", "d/link.txt->a.txt"});
    addRow("new path links to another file", {"d/a.txt", "d/o.txt", "d/link.txt->o.txt"}, "d/a.txt",
           {{"newName", "link"}}, {"d/link.txt"}, {"d/", "d/link.txt=d/a.txt", "d/o.txt=d/o.txt"});
    addRow("new path links to a folder", {"d/a.txt", "d/dir/in.txt", "d/link.txt->dir"}, "d/a.txt",
           {{"newName", "link"}}, {"d/link.txt"},
           {"d/", "d/dir/", "d/dir/in.txt=d/dir/in.txt", "d/link.txt=d/a.txt"});
    addRow("dangling link is missing", {"d/link.txt->gone.txt"}, "d/link.txt", {{"mode", 5}}, {},
           {"d/", "d/link.txt->gone.txt"});
    addRow("folder over a file", {"d/sub/in.txt", "d/new.txt"}, "d/sub", {{"newName", "new.txt"}},
           {"d/new.txt"}, {"d/", "d/new.txt/", "d/new.txt/in.txt=d/sub/in.txt"});
}

void tst_FileRenameOperation::rename()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, files);
    QFETCH(QVariantMap, settings);
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
    for (auto it = settings.begin(); it != settings.end(); ++it)
        QVERIFY(op.setProperty(it.key().toLatin1().constData(), it.value()));
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(scope.get("out").toStringList(), list);
    QCOMPARE(scope.get("out").userType(), int(QMetaType::QVariantList));
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
    QCOMPARE(treeSnapshot(), QStringList({"d/", "d/a1.txt=d/a.txt"}));
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
    QCOMPARE(treeSnapshot(), QStringList({"d/", "d/.txt=d/a.txt", "d/b.txt=d/b.txt"}));
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

void tst_FileRenameOperation::classInfo()
{
    // Order and texts are what the host's property panel reads.
    const QStringList expected{
        "prop_files=要重命名的文件",
        "editor_files=MULTIFILE",
        "prop_mode=重命名方式",
        "editor_mode=COMBO",
        "choices_mode=设置新名称|添加文本|删除文本|替换文本|更改扩展名|添加编号",
        "prop_newName=新文件名",
        "show_when_newName=mode=0",
        "editor_newName=VARREF",
        "varref_type_newName=string",
        "prop_addText=要添加的文本",
        "show_when_addText=mode=1",
        "editor_addText=VARREF",
        "varref_type_addText=string",
        "prop_addPos=添加位置",
        "show_when_addPos=mode=1",
        "editor_addPos=COMBO",
        "choices_addPos=名称前|名称后",
        "prop_delText=要删除的文本",
        "show_when_delText=mode=2",
        "editor_delText=VARREF",
        "varref_type_delText=string",
        "prop_oldText=要替换的文本",
        "show_when_oldText=mode=3",
        "editor_oldText=VARREF",
        "varref_type_oldText=string",
        "prop_newText=替换为",
        "show_when_newText=mode=3",
        "editor_newText=VARREF",
        "varref_type_newText=string",
        "prop_newExt=新扩展名",
        "show_when_newExt=mode=4",
        "editor_newExt=VARREF",
        "varref_type_newExt=string",
        "prop_startNum=起始编号",
        "show_when_startNum=mode=5",
        "editor_startNum=SPINBOX",
        "range_startNum=0-99999",
        "prop_step=递增增量",
        "show_when_step=mode=5",
        "editor_step=SPINBOX",
        "range_step=1-99999",
        "prop_sep=分隔符",
        "show_when_sep=mode=5",
        "editor_sep=COMBO",
        "choices_sep=无|横线|下划线|空格|句点",
        "prop_usePad=使用填充",
        "show_when_usePad=mode=5",
        "prop_padLen=每个号码最小长度",
        "show_when_padLen=mode=5",
        "editor_padLen=SPINBOX",
        "range_padLen=1-10",
        "prop_ifNewExist=如果新文件名存在",
        "editor_ifNewExist=COMBO",
        "choices_ifNewExist=覆盖|不执行任何操作",
        "prop_newList=新文件列表保存到列表变量",
        "editor_newList=VARNAME",
        "varname_type_newList=list",
    };
    const QMetaObject& meta = FileRenameOperation::staticMetaObject;
    QStringList actual;
    for (int i = meta.classInfoOffset(); i < meta.classInfoCount(); ++i) {
        actual << QString::fromUtf8(meta.classInfo(i).name()) + '=' +
                      QString::fromUtf8(meta.classInfo(i).value());
    }
    QCOMPARE(actual.size(), 57);
    QCOMPARE(actual, expected);
}

void tst_FileRenameOperation::defaults()
{
    const FileRenameOperation op;
    QStringList actual;
    const QMetaObject* meta = op.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        actual << QString::fromLatin1(meta->property(i).name()) + '=' +
                      meta->property(i).read(&op).toString();
    QCOMPARE(actual,
             QStringList({"files=", "mode=0", "newName=", "addText=", "addPos=1",
                          "delText=", "oldText=", "newText=", "newExt=", "startNum=1", "step=1",
                          "sep=0", "usePad=false", "padLen=3", "ifNewExist=0", "newList="}));
}

void tst_FileRenameOperation::payloadOrder()
{
    FileRenameOperation op;
    op.setFiles("f");
    op.setMode(-1);
    op.setNewName("n");
    op.setAddText("t");
    op.setAddPos(7);
    op.setDelText("del");
    op.setOldText("old");
    op.setNewText("new");
    op.setNewExt("ext");
    op.setStartNum(99999);
    op.setStep(2);
    op.setSep(4);
    op.setUsePad(true);
    op.setPadLen(10);
    op.setIfNewExist(1);
    op.setNewList("l");
    op.setCarriedState(5);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        op.saveOperation(out);
    }
    QDataStream in(bytes);
    quint32 carried = 0;
    QString files, newName, addText, delText, oldText, newText, newExt, newList;
    qint32 mode = 0, addPos = 0, startNum = 0, step = 0, sep = 0, padLen = 0, ifNewExist = 0;
    bool usePad = false;
    in >> carried >> files >> mode >> newName >> addText >> addPos >> delText >> oldText >>
        newText >> newExt >> startNum >> step >> sep >> usePad >> padLen >> ifNewExist >> newList;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(carried, 5u);
    QCOMPARE(QStringList({files, newName, addText, delText, oldText, newText, newExt, newList}),
             QStringList({"f", "n", "t", "del", "old", "new", "ext", "l"}));
    QCOMPARE(QList<qint32>({mode, addPos, startNum, step, sep, padLen, ifNewExist}),
             QList<qint32>({-1, 7, 99999, 2, 4, 10, 1}));
    QVERIFY(usePad);

    FileRenameOperation loaded;
    QDataStream again(bytes);
    loaded.loadOperation(again);
    QCOMPARE(loaded.carriedState(), 5u);
    QCOMPARE(loaded.mode(), -1);
    QCOMPARE(loaded.usePad(), true);
    QCOMPARE(loaded.padLen(), 10);
    QCOMPARE(loaded.newList(), QStringLiteral("l"));
}

void tst_FileRenameOperation::cloneCarriesSettings()
{
    QObject parent;
    FileRenameOperation op;
    op.setFiles("x");
    op.setMode(5);
    op.setUsePad(true);
    op.setStep(3);
    op.setNewList("out");
    op.setCarriedState(42);
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* renamed = qobject_cast<FileRenameOperation*>(copy.data());
    QVERIFY(renamed);
    QCOMPARE(renamed->parent(), &parent);
    QCOMPARE(renamed->files(), QStringLiteral("x"));
    QCOMPARE(renamed->mode(), 5);
    QCOMPARE(renamed->usePad(), true);
    QCOMPARE(renamed->step(), 3);
    QCOMPARE(renamed->newList(), QStringLiteral("out"));
    QCOMPARE(renamed->carriedState(), 42u);
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
