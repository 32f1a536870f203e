#include "operations/uniquepath.h"
#include "testsupport.h"

#include <QTemporaryDir>
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
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing numbered yet")
        << "d/report.pdf" << QStringList{"d/report.pdf"} << "d/report(1).pdf";
    QTest::newRow("after (1) and (2)")
        << "d/report.pdf" << QStringList{"d/report.pdf", "d/report(1).pdf", "d/report(2).pdf"}
        << "d/report(3).pdf";
    QTest::newRow("fills a gap") << "d/a.txt" << QStringList{"d/a(1).txt", "d/a(3).txt"}
                                 << "d/a(2).txt";
    QTest::newRow("no suffix") << "d/README" << QStringList() << "d/README(1)";
    QTest::newRow("several dots") << "d/archive.tar.gz" << QStringList() << "d/archive.tar(1).gz";
    QTest::newRow("only a leading dot") << "d/.profile" << QStringList() << "d/(1).profile";
    QTest::newRow("dotted folder") << "d.x/file" << QStringList() << "d.x/file(1)";
    QTest::newRow("already numbered") << "d/a(1).txt" << QStringList() << "d/a(1)(1).txt";
    QTest::newRow("a folder counts as taken")
        << "d/a.txt" << QStringList{"d/a(1).txt/"} << "d/a(2).txt";
}

void tst_UniquePath::firstFreeNumber()
{
    QFETCH(QString, path);
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& name : existing) {
        if (name.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(dir.path()).mkpath(name));
        else
            QVERIFY(writeFile(dir.filePath(name), "x"));
    }
    const QString root = dir.path() + QLatin1Char('/');
    QCOMPARE(makeUniquePath(root + path), root + expected);
}

QTEST_GUILESS_MAIN(tst_UniquePath)
#include "tst_uniquepath.moc"
