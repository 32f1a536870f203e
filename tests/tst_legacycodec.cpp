// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Text without a mark that is not UTF-8, read and appended to in the code page the host names.
#include "filesystem/realfilesystem.h"
#include "testsupport.h"
#include "text/textfile.h"

#include <QCoreApplication>
#include <QTextCodec>
#include <QtTest>

class tst_LegacyCodec : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qApp->setProperty("stephost.legacyEncoding", QVariant()); }
    void read_data();
    void read();
    void append_data();
    void append();
};

namespace
{

// A Chinese file name: names stay UTF-8 whatever the code page of the contents.
const QString kFile = QStringLiteral("订单.csv");

QByteArray encoded(const char* codec, const QString& text)
{
    return QTextCodec::codecForName(codec)->fromUnicode(text);
}

QString decoded(const char* codec, const QByteArray& bytes)
{
    return QTextCodec::codecForName(codec)->toUnicode(bytes);
}

// What a host that names no code page makes of bytes that fail the UTF-8 test.
QString today(const QByteArray& bytes)
{
    return QTextCodec::codecForLocale()->toUnicode(bytes);
}

const QString kChinese = QStringLiteral("订单号,客户\r\n1001,张三\r\n");
// Characters outside GBK, four bytes each in GB18030: a CJK extension A character, one from
// extension B (beyond U+FFFF), and an emoji.
const QString kFourByte = QStringLiteral("㐀𠀀😀");

// Writes the data row's bytes into the current (scratch) folder and puts the row's legacy code
// page in place.
bool placeRowFile()
{
    QFETCH(QByteArray, legacy);
    QFETCH(QByteArray, bytes);
    qApp->setProperty("stephost.legacyEncoding", legacy);
    return writeFile(kFile, bytes);
}

} // namespace

void tst_LegacyCodec::read_data()
{
    QTest::addColumn<QByteArray>("legacy"); // the host's choice, empty: none
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QByteArray gbk = encoded("GBK", kChinese);
    const QByteArray fourByte = encoded("GB18030", kFourByte);
    QCOMPARE(fourByte.size(), 12);
    const QByteArray utf8 = kChinese.toUtf8();
    // One byte that is not UTF-8, after more than a piece's worth of UTF-8: the whole file is
    // decoded in the legacy code page, never a mix.
    const QByteArray longUtf8 = QStringLiteral("中文,1\n").repeated(400000).toUtf8();
    const QByteArray oneBadByte = longUtf8 + encoded("GBK", QStringLiteral("张三"));

    QTest::newRow("GBK under GB18030") << QByteArray("GB18030") << gbk << kChinese;
    QTest::newRow("GB18030 four-byte sequences") << QByteArray("GB18030") << fourByte << kFourByte;
    QTest::newRow("GBK without a choice") << QByteArray() << gbk << today(gbk);
    QTest::newRow("GBK under an unknown name") << QByteArray("no-such-codec") << gbk << today(gbk);
    QTest::newRow("UTF-8 Chinese unaffected") << QByteArray("GB18030") << utf8 << kChinese;
    QTest::newRow("marked UTF-8 unaffected")
        << QByteArray("GB18030") << hexBytes("efbbbf") + utf8 << kChinese;
    QTest::newRow("one bad byte at the end of a large file")
        << QByteArray("GB18030") << oneBadByte << decoded("GB18030", oneBadByte);
}

// Both readers: the whole text at once, and the large file in pieces the CSV step uses.
void tst_LegacyCodec::read()
{
    QFETCH(QString, text);
    const ScratchCwd dir;
    QVERIFY(placeRowFile());
    bool ok = false;
    QVERIFY(readTextFile(RealFileSystem::instance(), kFile, &ok) == text);
    QVERIFY(ok);
    QVERIFY(readTextFileInPieces(RealFileSystem::instance(), kFile, &ok).join(QString()) == text);
}

void tst_LegacyCodec::append_data()
{
    QTest::addColumn<QByteArray>("legacy");
    QTest::addColumn<QByteArray>("bytes"); // the file before
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("after");

    const QString row = QStringLiteral("1002,李四") + kFourByte;
    const QByteArray gbk = encoded("GBK", kChinese);
    // A wide header and many numeric rows before the first Chinese text: far past any sample.
    const QByteArray asciiFirst =
        "id," + QByteArray("column,").repeated(1000) + "\n" + QByteArray("1,2,3\n").repeated(20000);
    const QByteArray lateGbk = asciiFirst + gbk;
    // Three-byte sequences over many read chunks, so that some chunk ends inside one.
    const QByteArray longUtf8 = QStringLiteral("中").repeated(100000).toUtf8();

    QTest::newRow("GBK stays GBK")
        << QByteArray("GB18030") << gbk << row << gbk + encoded("GB18030", row);
    QTest::newRow("GBK after a long ASCII stretch")
        << QByteArray("GB18030") << lateGbk << row << lateGbk + encoded("GB18030", row);
    QTest::newRow("long ASCII stretch, then GBK, without a choice")
        << QByteArray() << lateGbk << row << lateGbk + row.toUtf8();
    QTest::newRow("long UTF-8 stays UTF-8")
        << QByteArray("GB18030") << longUtf8 << row << longUtf8 + row.toUtf8();
    QTest::newRow("long UTF-8 with a bad byte far in")
        << QByteArray("GB18030") << longUtf8 + "\xFF" + longUtf8 << row
        << longUtf8 + "\xFF" + longUtf8 + encoded("GB18030", row);
    QTest::newRow("long UTF-8 cut off by the file's end")
        << QByteArray("GB18030") << longUtf8 + "\xE4\xB8" << row
        << longUtf8 + "\xE4\xB8" + encoded("GB18030", row);
}

void tst_LegacyCodec::append()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, after);
    const ScratchCwd dir;
    QVERIFY(placeRowFile());
    QVERIFY(writeTextFile(RealFileSystem::instance(), kFile, text, WriteMode::Append,
                          AppendStart::SameLine));
    const QByteArray written = readFile(kFile);
    QVERIFY2(written == after, written.right(40).toHex(' ').constData());
}

QTEST_GUILESS_MAIN(tst_LegacyCodec)
#include "tst_legacycodec.moc"
