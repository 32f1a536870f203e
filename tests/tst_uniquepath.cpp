// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filesystem/realfilesystem.h"
#include "filetree.h"
#include "operations/uniquepath.h"

#include <QtTest>

class tst_UniquePath : public QObject
{
    Q_OBJECT

private slots:
    void firstFreeNumber_data();
    void firstFreeNumber();
};

void tst_UniquePath::firstFreeNumber_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("existing"); // a tree (filetree.h)
    QTest::addColumn<QString>("expected");
    const auto add = [](const char* tag, const char* path, const char* existing,
                        const char* expected) {
        QTest::newRow(tag) << QString(path) << QString(existing) << QString(expected);
    };
    add("nothing numbered yet", "d/report.pdf", "d/report.pdf", "d/report(1).pdf");
    add("after (1) and (2)", "d/report.pdf", "d/report.pdf|d/report(1).pdf|d/report(2).pdf",
        "d/report(3).pdf");
    add("fills a gap", "d/a.txt", "d/a(1).txt|d/a(3).txt", "d/a(2).txt");
    add("no suffix", "d/README", "", "d/README(1)");
    add("several dots", "d/archive.tar.gz", "", "d/archive.tar(1).gz");
    add("only a leading dot", "d/.profile", "", "d/(1).profile");
    add("dotted folder", "d.x/file", "", "d.x/file(1)");
    add("already numbered", "d/a(1).txt", "", "d/a(1)(1).txt");
    add("a folder counts as taken", "d/a.txt", "d/a(1).txt/", "d/a(2).txt");
}

void tst_UniquePath::firstFreeNumber()
{
    QFETCH(QString, path);
    QFETCH(QString, existing);
    const ScratchCwd dir;
    QVERIFY(makeTree(existing));
    const QString root = QDir::currentPath() + QLatin1Char('/');
    QFETCH(QString, expected);
    QCOMPARE(makeUniquePath(RealFileSystem::instance(), root + path), root + expected);
}

QTEST_GUILESS_MAIN(tst_UniquePath)
#include "tst_uniquepath.moc"
