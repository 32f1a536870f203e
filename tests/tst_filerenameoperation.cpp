// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "craftednames.h"
#include "filetree.h"
#include "operations/filerenameoperation.h"

#include <QtTest>

class tst_FileRenameOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void craftedNames_data();
    void craftedNames();
    void exampleFlow();
};

void tst_FileRenameOperation::run_data()
{
    addStepColumns();
    // 0: set new name.
    addStepRow("0 text after last dot is the extension", "d/a.txt",
               "files=d/a.txt|newName=release1.2", "d/release1.2=d/a.txt", "d/release1.2");
    addStepRow("0 name trimmed", "d/a.txt", "files=d/a.txt|newName= report\t",
               "d/report.txt=d/a.txt", "d/report.txt");
    addStepRow("0 empty name", "d/a.txt", "files=d/a.txt", "d/.txt=d/a.txt", "d/.txt");
    addStepRow("0 folder part dropped with suffix", "d/a.txt|d/sub/",
               "files=d/a.txt|newName=sub/new.txt", "d/new.txt=d/a.txt|d/sub/", "d/new.txt");
    addStepRow("0 name from variable", "d/a.txt", "files=d/a.txt|newName=$name",
               "d/fromvar.txt=d/a.txt", "d/fromvar.txt");
    addStepRow("0 one name for two, leave alone", "d/a.txt|d/b.txt",
               "files=d/a.txt\nd/b.txt|newName=report|ifNewExist=1", "d/b.txt|d/report.txt=d/a.txt",
               "d/report.txt");
    addStepRow("0 one name for two, overwrite", "d/a.txt|d/b.txt",
               "files=d/a.txt\nd/b.txt|newName=report", "d/report.txt=d/b.txt",
               "d/report.txt|d/report.txt");

    // 1: add text.
    addStepRow("1 after", "d/README", "files=d/README|mode=1|addText=_old", "d/README_old=d/README",
               "d/README_old");
    addStepRow("1 before last suffix only", "d/archive.tar.gz",
               "files=d/archive.tar.gz|mode=1|addText=_old",
               "d/archive.tar_old.gz=d/archive.tar.gz", "d/archive.tar_old.gz");
    addStepRow("1 before", "d/a.txt", "files=d/a.txt|mode=1|addText=new_|addPos=0",
               "d/new_a.txt=d/a.txt", "d/new_a.txt");
    addStepRow("1 text not trimmed", "d/a.txt", "files=d/a.txt|mode=1|addText= x ",
               "d/a x .txt=d/a.txt", "d/a x .txt");
    addStepRow("1 number literal in shortest form", "d/a.txt", "files=d/a.txt|mode=1|addText=007",
               "d/a7.txt=d/a.txt", "d/a7.txt");
    addStepRow("1 folder renamed like a file", "d/sub/in.txt", "files=d/sub|mode=1|addText=_x",
               "d/sub_x/in.txt=d/sub/in.txt", "d/sub_x");

    // 2: delete text; 3: replace text.
    addStepRow("2 every occurrence", "d/banana.txt", "files=d/banana.txt|mode=2|delText=a",
               "d/bnn.txt=d/banana.txt", "d/bnn.txt");
    addStepRow("2 suffix untouched", "d/txt.txt", "files=d/txt.txt|mode=2|delText=txt",
               "d/.txt=d/txt.txt", "d/.txt");
    addStepRow("3 non-overlapping from the left", "d/aaa.txt",
               "files=d/aaa.txt|mode=3|oldText=aa|newText=b", "d/ba.txt=d/aaa.txt", "d/ba.txt");
    addStepRow("3 case-sensitive", "d/banana.txt", "files=d/banana.txt|mode=3|oldText=A|newText=x",
               "d/banana.txt", "d/banana.txt");
    addStepRow("3 empty old text", "d/a.txt", "files=d/a.txt|mode=3|newText=x", "d/a.txt",
               "d/a.txt");
    addStepRow("3 empty new text removes", "d/banana.txt", "files=d/banana.txt|mode=3|oldText=an",
               "d/ba.txt=d/banana.txt", "d/ba.txt");

    // 4: change extension.
    addStepRow("4 case kept", "d/a.txt", "files=d/a.txt|mode=4|newExt=.PDF", "d/a.PDF=d/a.txt",
               "d/a.PDF");
    addStepRow("4 every dot removed", "d/a.txt", "files=d/a.txt|mode=4|newExt=tar.gz",
               "d/a.targz=d/a.txt", "d/a.targz");
    addStepRow("4 empty drops extension", "d/a.txt", "files=d/a.txt|mode=4", "d/a=d/a.txt", "d/a");
    addStepRow("4 trimmed", "d/a.txt", "files=d/a.txt|mode=4|newExt= .md ", "d/a.md=d/a.txt",
               "d/a.md");
    addStepRow("4 dot file has only a suffix", "d/.profile", "files=d/.profile|mode=4|newExt=txt",
               "d/.txt=d/.profile", "d/.txt");

    // 5: add numbering.
    addStepRow("5 padded after", "d/a.txt|d/b.txt|d/c.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|sep=1|usePad=true|padLen=3",
               "d/a-001.txt=d/a.txt|d/b-002.txt=d/b.txt|d/c-003.txt=d/c.txt",
               "d/a-001.txt|d/b-002.txt|d/c-003.txt");
    addStepRow("5 not padded", "d/a.txt|d/b.txt|d/c.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|sep=1|padLen=3",
               "d/a-1.txt=d/a.txt|d/b-2.txt=d/b.txt|d/c-3.txt=d/c.txt",
               "d/a-1.txt|d/b-2.txt|d/c-3.txt");
    addStepRow("5 padded before with underscore", "d/a.txt|d/b.txt|d/c.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|sep=2|usePad=true|padLen=3|addPos=0",
               "d/001_a.txt=d/a.txt|d/002_b.txt=d/b.txt|d/003_c.txt=d/c.txt",
               "d/001_a.txt|d/002_b.txt|d/003_c.txt");
    addStepRow("5 number longer than padding", "d/a.txt",
               "files=d/a.txt|mode=5|sep=1|usePad=true|padLen=3|startNum=1234",
               "d/a-1234.txt=d/a.txt", "d/a-1234.txt");
    // Settings outside the editor's range: a padding no name can hold fails like any name too
    // long; a negative one pads nothing.
    addStepRow("5 padding beyond any name", "d/a.txt|d/b.txt",
               "files=d/a.txt\nd/b.txt|mode=5|usePad=true|padLen=2147483647", "d/a.txt|d/b.txt",
               "");
    addStepRow("5 negative padding", "d/a.txt", "files=d/a.txt|mode=5|usePad=true|padLen=-5",
               "d/a1.txt=d/a.txt", "d/a1.txt");
    addStepRow("5 negative number keeps its sign before the zeros", "d/a.txt|d/b.txt",
               "files=d/a.txt\nd/b.txt|mode=5|sep=9|usePad=true|padLen=3|startNum=-5|step=5",
               "d/a-05.txt=d/a.txt|d/b000.txt=d/b.txt", "d/a-05.txt|d/b000.txt");
    addStepRow("5 start and step", "d/a.txt|d/b.txt|d/c.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|startNum=0|step=5",
               "d/a0.txt=d/a.txt|d/b5.txt=d/b.txt|d/c10.txt=d/c.txt",
               "d/a0.txt|d/b5.txt|d/c10.txt");
    addStepRow("5 space", "d/a.txt", "files=d/a.txt|mode=5|sep=3", "d/a 1.txt=d/a.txt",
               "d/a 1.txt");
    addStepRow("5 full stop", "d/a.txt", "files=d/a.txt|mode=5|sep=4", "d/a.1.txt=d/a.txt",
               "d/a.1.txt");
    addStepRow("5 unknown separator is none", "d/a.txt", "files=d/a.txt|mode=5|sep=9",
               "d/a1.txt=d/a.txt", "d/a1.txt");
    addStepRow("5 missing path uses no number", "d/a.txt|d/c.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|sep=1",
               "d/a-1.txt=d/a.txt|d/c-2.txt=d/c.txt", "d/a-1.txt|d/c-2.txt");
    addStepRow("5 skipped clash keeps its number", "d/a.txt|d/b.txt|d/c.txt|d/b-2.txt",
               "files=d/a.txt\nd/b.txt\nd/c.txt|mode=5|sep=1|ifNewExist=1",
               "d/a-1.txt=d/a.txt|d/b-2.txt|d/b.txt|d/c-3.txt=d/c.txt", "d/a-1.txt|d/c-3.txt");
    addStepRow("5 bare file name", "a.txt", "files=a.txt|mode=5|sep=1", "a-1.txt=a.txt",
               "./a-1.txt");
    addStepRow("5 paths from list variable", "d/a.txt|d/b.txt", "files=$files|mode=5",
               "d/a1.txt=d/a.txt|d/b2.txt=d/b.txt", "d/a1.txt|d//b2.txt");
    addStepRow("mode outside choices keeps the name", "d/a.txt", "files=d/a.txt|mode=9", "d/a.txt",
               "d/a.txt");

    // Clashes: overwriting replaces another file, never the source itself nor a folder.
    addStepRow("overwrite another file", "d/a.txt|d/report.txt", "files=d/a.txt|newName=report",
               "d/report.txt=d/a.txt", "d/report.txt");
    addStepRow("unknown policy overwrites", "d/a.txt|d/report.txt",
               "files=d/a.txt|newName=report|ifNewExist=5", "d/report.txt=d/a.txt", "d/report.txt");
    addStepRow("leave alone", "d/a.txt|d/report.txt", "files=d/a.txt|newName=report|ifNewExist=1",
               "d/a.txt|d/report.txt", "");
    addStepRow("unchanged name, leave alone", "d/a.txt",
               "files=d/a.txt|mode=2|delText=z|ifNewExist=1", "d/a.txt", "");
    addStepRow("unchanged name through ./", "d/a.txt", "files=d/a.txt|newName=./a", "d/a.txt",
               "d/./a.txt");
    addStepRow("unchanged name through ..", "d/a.txt", "files=d/../d/a.txt|newName=a", "d/a.txt",
               "d/../d/a.txt");
    addStepRow("case change", "d/a.txt", "files=d/a.txt|newName=A", "d/A.txt=d/a.txt", "d/A.txt");
    addStepRow("case change over another file", "d/a.txt|d/A.txt", "files=d/a.txt|newName=A",
               "d/A.txt=d/a.txt", "d/A.txt");
    addStepRow("hard link under another case", "d/a.txt|d/A.txt=>d/a.txt",
               "files=d/a.txt|newName=A", "d/A.txt=d/a.txt|d/a.txt", "");
    addStepRow("hard link under another name", "d/a.txt|d/b.txt=>d/a.txt",
               "files=d/a.txt|newName=b", "d/a.txt|d/b.txt=d/a.txt", "");
    addStepRow("folder in the way", "d/a.txt|d/report.txt/in.txt", "files=d/a.txt|newName=report",
               "d/a.txt|d/report.txt/in.txt", "");
    addStepRow("empty folder in the way", "d/a.txt|d/a/", "files=d/a.txt|mode=4", "d/a.txt|d/a/",
               "");
    addStepRow("source links to the new path", "d/a.txt|d/link.txt->a.txt",
               "files=d/link.txt|newName=a", "d/a.txt|d/link.txt->a.txt", "");
    addStepRow("new path links to the source", "d/a.txt|d/link.txt->a.txt",
               "files=d/a.txt|newName=link", "d/a.txt|d/link.txt->a.txt", "");
    addStepRow("new path links to another file", "d/a.txt|d/o.txt|d/link.txt->o.txt",
               "files=d/a.txt|newName=link", "d/link.txt=d/a.txt|d/o.txt", "d/link.txt");
    addStepRow("new path links to a folder", "d/a.txt|d/dir/in.txt|d/link.txt->dir",
               "files=d/a.txt|newName=link", "d/dir/in.txt|d/link.txt=d/a.txt", "d/link.txt");
    // A dangling link does not exist, so nothing clashes; Qt's rename then writes the file
    // through the link and removes the source. Nothing is lost.
    addStepRow("new path is a dangling link", "d/a.txt|d/b.txt->gone.txt",
               "files=d/a.txt|newName=b", "d/b.txt->gone.txt|d/gone.txt=d/a.txt", "d/b.txt");
    addStepRow("dangling link is missing", "d/link.txt->gone.txt", "files=d/link.txt|mode=5",
               "d/link.txt->gone.txt", "");
    addStepRow("folder over a file", "d/sub/in.txt|d/new.txt", "files=d/sub|newName=new.txt",
               "d/new.txt/in.txt=d/sub/in.txt", "d/new.txt");

    addStepRow("result variable not a list", "d/a.txt", "files=d/a.txt|mode=5|newList=text",
               "d/a1.txt=d/a.txt", "previous", "[OpVar] 目标变量 \"text\" 未声明为列表，已跳过");
    // Every reference resolves to nothing: the list line adds no path and the replacement text
    // is empty. There is nowhere to store the list, and nothing is said about it.
    addStepRow("without a scope", "d/a.txt|d/b.txt",
               "files=d/a.txt\n$files|mode=3|oldText=a|newText=$x|noscope",
               "d/.txt=d/a.txt|d/b.txt", "previous");
}

void tst_FileRenameOperation::run()
{
    checkStepRow<FileRenameOperation>(QStringLiteral("newList=out"));
}

void tst_FileRenameOperation::craftedNames_data()
{
    addStepColumns();
    for (const CraftedName& crafted : ::craftedNames) {
        const bool renamed = *crafted.listed != 0;
        addStepRow(crafted.tag, craftedTree, crafted.settings,
                   renamed ? crafted.after : craftedTree, crafted.listed);
    }
}

void tst_FileRenameOperation::craftedNames()
{
    checkStepRow<FileRenameOperation>(QStringLiteral("newList=out"));
}

void tst_FileRenameOperation::exampleFlow()
{
    // The example runs in a copy of its input files: it renames them, then parses a new path.
    const ScratchCwd dir;
    const QDir notes(QStringLiteral(FLOWS_DIR "/../../examples/rename-files/notes"));
    for (const QString& name : notes.entryList(QDir::Files))
        QVERIFY(writeFile("notes/" + name, readFile(notes.filePath(name))));

    const StephostResult run =
        runStephost({"run", FLOWS_DIR "/../../examples/rename-numbered.json", "--roundtrip"},
                    QDir::currentPath());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.log(), QStringList());
    const QStringList renamed{"001_meeting.txt", "002_plan.txt", "003_todo.txt",
                              "004_report.draft.txt"};
    QCOMPARE(QDir("notes").entryList(QDir::Files), renamed);
    QCOMPARE(run.value("renamed").toVariant().toStringList(),
             QStringList(renamed).replaceInStrings(QRegularExpression("^"), "notes/"));
    QCOMPARE(run.value("folder").toString(), QDir::currentPath() + "/notes");
    QCOMPARE(run.value("name").toString(), QStringLiteral("004_report.draft"));
    QCOMPARE(run.value("ext").toString(), QStringLiteral("txt"));
    QCOMPARE(run.value("fullName").toString(), QStringLiteral("004_report.draft.txt"));
    QCOMPARE(readFile("notes/003_todo.txt"), QByteArray("Buy milk\nCall Ann\n"));
}

QTEST_GUILESS_MAIN(tst_FileRenameOperation)
#include "tst_filerenameoperation.moc"
