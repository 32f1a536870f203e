#include "filetree.h"
#include "operations/filemoveoperation.h"

#include <QtTest>

#include <unistd.h>

class tst_FileMoveOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void sourceThatCannotBeRemovedStays();
};

void tst_FileMoveOperation::run_data()
{
    addStepColumns();
    const char* ab = "d/a.txt|d/b.txt";
    const char* moved = "d/|out/a.txt=d/a.txt|out/b.txt=d/b.txt";
    addStepRow("two files", ab, "files=d/a.txt\nd/b.txt", moved, "out/a.txt|out/b.txt");
    addStepRow("list variable, reference destination", ab, "files=$files|destDir=$dest", moved,
               "out/a.txt|out/b.txt");
    addStepRow("missing source skipped", ab, "files=d/none.txt\nd/b.txt",
               "d/a.txt|out/b.txt=d/b.txt", "out/b.txt");

    // Clash policies.
    addStepRow("policy 0 leaves both", "d/a.txt|out/a.txt", "files=d/a.txt", "d/a.txt|out/a.txt",
               "");
    addStepRow("policy 1 overwrites", "d/a.txt|d/b.txt|out/a.txt", "files=d/a.txt|ifExist=1",
               "d/b.txt|out/a.txt=d/a.txt", "out/a.txt");
    addStepRow("policy 2 numbers", "d/a.txt|d/b.txt|out/a.txt|out/a(1).txt",
               "files=d/a.txt|ifExist=2", "d/b.txt|out/a.txt|out/a(1).txt|out/a(2).txt=d/a.txt",
               "out/a(2).txt");
    addStepRow("in place, policy 0", ab, "files=d/a.txt|destDir=d", ab, "");
    addStepRow("in place, policy 2 renames", ab, "files=d/a.txt|destDir=d|ifExist=2",
               "d/a(1).txt=d/a.txt|d/b.txt", "d/a(1).txt");

    // Listed twice, or listed again under the path it was just moved to.
    for (const char* policy : {"0", "1", "2"}) {
        for (const char* second : {"d/a.txt", "out/a.txt"}) {
            const QByteArray tag = QByteArray("then ") + second + ", policy " + policy;
            const QByteArray settings =
                QByteArray("files=d/a.txt\n") + second + "|ifExist=" + policy;
            addStepRow(tag.constData(), ab, settings.constData(), "d/b.txt|out/a.txt=d/a.txt",
                       "out/a.txt");
        }
    }

    // No lost files.
    for (const char* spelling : {"d/a.txt", "./d/a.txt", "d/sub/../a.txt", "dlink/a.txt"}) {
        const QByteArray tag = QByteArray("onto itself as ") + spelling;
        const QByteArray settings = QByteArray("files=") + spelling + "|destDir=d|ifExist=1";
        addStepRow(tag.constData(), "d/a.txt|d/sub/|dlink->d", settings.constData(),
                   "d/a.txt|d/sub/|dlink->d", "");
    }
    addStepRow("a folder in the way stays", "d/a.txt|out/a.txt/in", "files=d/a.txt|ifExist=1",
               "d/a.txt|out/a.txt/in", "");
    addStepRow("a dangling link in the way stays", "d/a.txt|out/a.txt->gone",
               "files=d/a.txt|ifExist=1", "d/a.txt|out/a.txt->gone", "");
    addStepRow("a link to a folder in the way stays", "d/a.txt|keep/in|out/a.txt->../keep",
               "files=d/a.txt|ifExist=1", "d/a.txt|keep/in|out/a.txt->../keep", "");
    addStepRow("a folder source stays", "d/sub/in|out/sub", "files=d/sub|ifExist=1",
               "d/sub/in|out/sub", "");
    addStepRow("two sources with one name, policy 1: the second stays", "d/a.txt|e/a.txt",
               "files=d/a.txt\ne/a.txt|ifExist=1", "d/|e/a.txt|out/a.txt=d/a.txt", "out/a.txt");
    addStepRow("two sources with one name, policy 2: both numbered apart", "d/a.txt|e/a.txt",
               "files=d/a.txt\ne/a.txt|ifExist=2", "d/|e/|out/a.txt=d/a.txt|out/a(1).txt=e/a.txt",
               "out/a.txt|out/a(1).txt");

    // Moving a link moves the link: its target's bytes arrive, the target itself stays.
    addStepRow("linked source", "data/real.txt|d/l.txt->../data/real.txt", "files=d/l.txt",
               "data/real.txt|d/|out/l.txt=data/real.txt", "out/l.txt");
    addStepRow("linked source that is the target, policy 1", "out/l.txt|d/l.txt->../out/l.txt",
               "files=d/l.txt|ifExist=1", "out/l.txt|d/l.txt->../out/l.txt", "");
    addStepRow("linked source that is the target, policy 2", "out/l.txt|d/l.txt->../out/l.txt",
               "files=d/l.txt|ifExist=2", "out/l.txt|out/l(1).txt=out/l.txt|d/", "out/l(1).txt");

    addStepRow("blank destination", ab, "files=$files|destDir= |ifExist=2", ab, "previous",
               "[FileMove] 目标文件夹为空，已跳过");
    addStepRow("without a scope", ab, "files=d/a.txt\n$files|noscope", "d/b.txt|out/a.txt=d/a.txt",
               "previous");
}

void tst_FileMoveOperation::run()
{
    checkStepRow<FileMoveOperation>(QStringLiteral("destDir=out|listVar=out"));
}

void tst_FileMoveOperation::sourceThatCannotBeRemovedStays()
{
    if (geteuid() == 0)
        QSKIP("root may remove files from a read-only folder");
    const ScratchCwd dir;
    QVERIFY(makeTree("d/a.txt"));
    QVERIFY(QFile::setPermissions("d", QFile::ReadOwner | QFile::ExeOwner));
    VariableScope scope;
    scope.declare("out", VarType::List, QVariantList{"previous"});
    FileMoveOperation op;
    op.setFiles("d/a.txt");
    op.setDestDir("out");
    op.setListVar("out");
    op.setVariableScope(&scope);
    op.doOperation();
    QFile::setPermissions("d", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The copy stays in the destination, the source where it was; nothing is listed.
    QCOMPARE(treeSnapshot(), sortedEntries("d/a.txt|out/a.txt=d/a.txt"));
    QCOMPARE(scope.get("out"), QVariant(QVariantList()));
}

QTEST_GUILESS_MAIN(tst_FileMoveOperation)
#include "tst_filemoveoperation.moc"
