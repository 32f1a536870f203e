// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "core/pathparts.h"

#include <QFileInfo>
#include <QtTest>

class tst_PathParts : public QObject
{
    Q_OBJECT

private slots:
    void asQFileInfo_data();
    void asQFileInfo();
};

void tst_PathParts::asQFileInfo_data()
{
    QTest::addColumn<QString>("path");
    for (const char* path : {"data/f00001.txt",
                             "f.txt",
                             "/f.txt",
                             "//f",
                             "/",
                             "",
                             ".",
                             "..",
                             "a/.",
                             "a/..",
                             "a/",
                             "a//b.c",
                             "a/b.",
                             "a/.bashrc",
                             ".bashrc",
                             "a/..b",
                             "a/b.tar.gz",
                             "a.b/c",
                             "a.b/c.d",
                             "noext",
                             "/a/b/c",
                             "a\\b.c",
                             "a.b\\c",
                             " a / b . c ",
                             "数据/报告.txt",
                             "数据.旧/说明"})
        QTest::newRow(*path ? path : "(empty)") << QString::fromUtf8(path);
}

// The parts a rename builds its new name from are those QFileInfo gives.
void tst_PathParts::asQFileInfo()
{
    QFETCH(QString, path);
    const PathParts parts = splitPath(path);
    const QFileInfo info(path);
    QCOMPARE(parts.folder, info.path());
    QCOMPARE(parts.completeBaseName, info.completeBaseName());
    QCOMPARE(parts.suffix, info.suffix());
}

QTEST_GUILESS_MAIN(tst_PathParts)
#include "tst_pathparts.moc"
