// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filesystem/realfilesystem.h"
#include "testsupport.h"
#include "text/textfile.h"
#include "utf8walk.h"

#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

#include <unistd.h>

static const QByteArray kLocale = "ISO-8859-1";

class tst_TextFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void detect_data();
    void detect();
    void structureTestMatchesPlainWalk();
    void utf8LocaleReadsInvalidBytesAsReplacement();
    void read_data();
    void read();
    void readRefusesTooLargeFile();
    void decodeInPieces_data();
    void decodeInPieces();
    void write_data();
    void write();
    void appendToUnreadableFileLeavesItAlone();

private:
    QTextCodec* m_realLocale = nullptr;
};

// The machine's locale codec is UTF-8, which would hide every verdict of the structure test; a
// single-byte locale shows which bytes fell back to it.
void tst_TextFile::initTestCase()
{
    m_realLocale = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(kLocale));
    QCOMPARE(QTextCodec::codecForLocale()->name(), kLocale);
}

void tst_TextFile::cleanupTestCase()
{
    QTextCodec::setCodecForLocale(m_realLocale);
}

void tst_TextFile::detect_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("markLength");

    const QByteArray utf8 = "UTF-8";
    QTest::newRow("UTF-32BE mark") << hexBytes("0000feff 00000061") << QByteArray("UTF-32BE") << 4;
    QTest::newRow("UTF-32LE mark, not UTF-16LE")
        << hexBytes("fffe0000 61000000") << QByteArray("UTF-32LE") << 4;
    QTest::newRow("UTF-8 mark") << hexBytes("efbbbf 616263") << utf8 << 3;
    QTest::newRow("UTF-16LE mark") << hexBytes("fffe 41") << QByteArray("UTF-16LE") << 2;
    QTest::newRow("UTF-16BE mark") << hexBytes("feff 0061") << QByteArray("UTF-16BE") << 2;
    QTest::newRow("UTF-16LE followed by one NUL")
        << hexBytes("fffe 00") << QByteArray("UTF-16LE") << 2;
    QTest::newRow("only a UTF-8 mark") << hexBytes("efbbbf") << utf8 << 3;
    QTest::newRow("empty") << QByteArray("") << utf8 << 0;
    QTest::newRow("ASCII") << QByteArray("abc\r\n") << utf8 << 0;
    QTest::newRow("EF BB: too short for a mark, cut off") << hexBytes("efbb") << kLocale << 0;
    QTest::newRow("cut off at the end") << QByteArray("abcdefghij\xE4\xB8") << kLocale << 0;
    // The test looks at eight bytes at a time (structureTestMatchesPlainWalk tries every
    // alignment): a lead that a whole word of ASCII parts from its continuations, and a long run.
    QTest::newRow("lead, a word of ASCII, then its continuations")
        << QByteArray("abcdefg\xE4" "abcdefgh\xB8\xAD") << kLocale << 0;
    QTest::newRow("invalid after a long ASCII run")
        << QByteArray(1000, 'a') + "\xC3(" << kLocale << 0;
    // clang-format on
}

void tst_TextFile::detect()
{
    QFETCH(QByteArray, data);
    QFETCH(int, markLength);
    QByteArray payload = "left over";
    bool hadBom = !data.isEmpty();
    QTEST(detectTextEncoding(data, &payload, &hadBom), "encoding");
    QCOMPARE(payload, data.mid(markLength));
    QCOMPARE(hadBom, markLength > 0);
}

// Random buffers of whole characters (ASCII most often, so that whole ASCII words occur),
// structurally valid oddities (overlong, surrogate, lead F5), leads F8-FF with continuations, and
// now and then a stray byte, at every length and alignment.
void tst_TextFile::structureTestMatchesPlainWalk()
{
    // clang-format off
    const char* const pieces[] = {"a", "abc", "\n", "\xC3\xA9", "\xE4\xB8\xAD", "\xC0\x80",
                                  "\xED\xA0\x80", "\xF0\x9F\x98\x80", "\xF5\x80\x80\x80",
                                  "\xF8\x80\x80\x80", "\xFF\x80\x80\x80"};
    // clang-format on
    const uchar strays[] = {0x00, 0x7F, 0x80, 0xBF, 0xC0, 0xDF, 0xE0, 0xEF, 0xF0, 0xF7, 0xF8, 0xFF};
    const int pieceCount = int(sizeof pieces / sizeof pieces[0]);
    QRandomGenerator random(20240611);
    int valid = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray data = "a"; // no mark
        for (int n = random.bounded(40); n > 0; --n) {
            const int pick = random.bounded(pieceCount + 40);
            if (pick > pieceCount)
                data.append('a');
            else if (pick == pieceCount)
                data.append(char(strays[random.bounded(int(sizeof strays))]));
            else
                data.append(pieces[pick]);
        }
        QByteArray payload;
        bool hadBom = true;
        const bool passed = detectTextEncoding(data, &payload, &hadBom) == "UTF-8";
        QVERIFY2(passed == plainUtf8Walk(data), data.toHex().constData());
        valid += passed;
    }
    QVERIFY2(valid > 2000 && valid < 18000, QByteArray::number(valid)); // both verdicts common
}

// With a UTF-8 locale codec both verdicts name UTF-8: invalid bytes come out as U+FFFD.
void tst_TextFile::utf8LocaleReadsInvalidBytesAsReplacement()
{
    const ScratchCwd dir;
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QByteArray payload;
    bool hadBom = true;
    const QByteArray encoding = detectTextEncoding("caf\xE9", &payload, &hadBom);
    QVERIFY(writeFile(QStringLiteral("invalid.txt"), "caf\xE9"));
    const QString text =
        readTextFile(RealFileSystem::instance(), QStringLiteral("invalid.txt"), nullptr);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(kLocale));
    QCOMPARE(encoding, QByteArray("UTF-8"));
    QVERIFY(!hadBom);
    QCOMPARE(text, QStringLiteral("caf\uFFFD"));
}

void tst_TextFile::read_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString mixed = QStringLiteral("aé中\r\nb\n");
    QTest::newRow("UTF-8 mark") << hexBytes("efbbbf") + mixed.toUtf8() << mixed;
    QTest::newRow("UTF-8 without mark") << mixed.toUtf8() << mixed;
    QTest::newRow("UTF-16LE") << hexBytes("fffe 6100 e900 2d4e 0d00 0a00 6200 0a00") << mixed;
    QTest::newRow("UTF-32BE") << hexBytes("0000feff 00000061 000000e9 00004e2d 0000000d 0000000a "
                                          "00000062 0000000a") << mixed;
    QTest::newRow("empty") << QByteArray("") << QString();
    QTest::newRow("only UTF-8 mark") << hexBytes("efbbbf") << QString();
    QTest::newRow("only UTF-32LE mark") << hexBytes("fffe0000") << QString();
    QTest::newRow("invalid UTF-8 in the locale") << QByteArray("caf\xE9\n") << "caf\u00E9\n";
    QTest::newRow("EF BB in the locale") << hexBytes("efbb") << QStringLiteral("\u00EF\u00BB");
    QTest::newRow("UTF-16LE cut in half a unit") << hexBytes("fffe 6100 62") << "a";
    QTest::newRow("control bytes and NULs")
        << hexBytes("00017f61") << QString::fromLatin1("\0\x01\x7F" "a", 4);
    // clang-format on
}

void tst_TextFile::read()
{
    QFETCH(QByteArray, bytes);
    const ScratchCwd dir;
    QVERIFY(writeFile(QStringLiteral("in.txt"), bytes));
    bool ok = false;
    QTEST(readTextFile(RealFileSystem::instance(), QStringLiteral("in.txt"), &ok), "text");
    QVERIFY(ok);
    QTEST(readTextFile(RealFileSystem::instance(), QStringLiteral("in.txt"), nullptr), "text");
}

void tst_TextFile::decodeInPieces_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("parts");
    QTest::addColumn<int>("pieces");

    const QByteArray mark = hexBytes("efbbbf");
    QTest::newRow("cut after LF") << QByteArray("aaaa\nbbbb\ncccc\ndddd") << 4 << 4;
    QTest::newRow("mark kept out") << mark + "a\nb\nc" << 3 << 3;
    QTest::newRow("Chinese and 4-byte sequences")
        << QStringLiteral("中文\n😀\r\n😀\n文").toUtf8() << 3 << 3;
    QTest::newRow("invalid bytes before the cuts") << mark + "\xE4\nx\xF0\x9F\ny\xC0" << 8 << 3;
    // The decoder drops EF BB BF at the start of what it is given, and keeps it anywhere else.
    QTest::newRow("no cut before EF BB BF") << QByteArray("ab\n\xEF\xBB\xBF" "c\nd") << 4 << 2;
    QTest::newRow("trailing breaks stay in the last piece") << QByteArray("a\nb\n\n\r\n") << 4 << 2;
    QTest::newRow("lone CRs are no cut") << QByteArray("a\rb\rc") << 3 << 1;
    QTest::newRow("UTF-16 is one piece") << hexBytes("fffe 6100 0a00 6200 0a00 6300") << 3 << 1;
    QTest::newRow("locale text is one piece") << QByteArray("caf\xE9\nb\nc") << 3 << 1;
    // clang-format on
}

// A large file is decoded in pieces on threads: joined, they are the text read in one piece.
void tst_TextFile::decodeInPieces()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, parts);
    const QStringList pieces = decodeFileBytesInPieces(bytes, parts);
    QTEST(int(pieces.size()), "pieces");
    QCOMPARE(pieces.join(QString()), decodeFileBytesInPieces(bytes, 1).join(QString()));
    for (int i = 0; i + 1 < pieces.size(); ++i)
        QVERIFY(pieces.at(i).endsWith('\n'));
}

// More bytes than a QString could hold: refused up front (the sparse file takes no room).
void tst_TextFile::readRefusesTooLargeFile()
{
    const ScratchCwd dir;
    QVERIFY(writeFile("huge", "abc") && QFile::resize("huge", qint64(1) << 30));
    bool ok = true;
    QCOMPARE(readTextFile(RealFileSystem::instance(), "huge", &ok), QString());
    QVERIFY(!ok);
}

void tst_TextFile::write_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("ensureNewline");
    QTest::addColumn<QByteArray>("after");

    const QString x = QStringLiteral("x");
    const QString e = QStringLiteral("é");
    const QByteArray abc = hexBytes("efbbbf 616263");
    QTest::newRow("new file") << QByteArray() << "abc" << false << true << abc;
    QTest::newRow("replace UTF-16LE") << hexBytes("fffe 6100") << "abc" << false << true << abc;
    QTest::newRow("replace with nothing")
        << QByteArray("old") << QString() << false << true << hexBytes("efbbbf");

    QTest::newRow("UTF-8 mark, guard") << abc << x << true << true << abc + "\nx";
    QTest::newRow("UTF-8 mark, final CR LF") << abc + "\r\n" << x << true << true << abc + "\r\nx";
    QTest::newRow("UTF-8 mark, no guard") << abc << x << true << false << abc + "x";
    QTest::newRow("empty file") << QByteArray("") << e << true << true << hexBytes("c3a9");
    QTest::newRow("only a UTF-8 mark")
        << hexBytes("efbbbf") << x << true << true << hexBytes("efbbbf 78");

    QTest::newRow("UTF-16LE, guard")
        << hexBytes("fffe 6100") << x << true << true << hexBytes("fffe 6100 0a00 7800");
    QTest::newRow("UTF-16LE, no guard")
        << hexBytes("fffe 6100") << "中" << true << false << hexBytes("fffe 6100 2d4e");
    QTest::newRow("UTF-16LE, only the mark")
        << hexBytes("fffe") << x << true << true << hexBytes("fffe 7800");
    QTest::newRow("UTF-16BE, guard")
        << hexBytes("feff 0061") << x << true << true << hexBytes("feff 0061 000a 0078");
    QTest::newRow("UTF-16BE ending in U+010A")
        << hexBytes("feff 010a") << x << true << true << hexBytes("feff 010a 000a 0078");
    // The reader drops a U+FEFF right after the mark, so the file reads as empty: no LF.
    QTest::newRow("UTF-32LE mark and U+FEFF")
        << hexBytes("fffe0000 fffe0000") << x << true << true << hexBytes("fffe0000 fffe0000 78000000");
    QTest::newRow("UTF-32BE, guard") << hexBytes("0000feff 00000061") << x << true << true
                                     << hexBytes("0000feff 00000061 0000000a 00000078");

    QTest::newRow("mark-less ASCII")
        << QByteArray("abc") << e << true << true << QByteArray("abc\n\xC3\xA9");
    QTest::newRow("mark-less Chinese continues in UTF-8")
        << hexBytes("e4b8ad e69687") << e << true << true << hexBytes("e4b8ad e69687 0a c3a9");
    const QByteArray longChinese = QStringLiteral("中").repeated(2000).toUtf8();
    QTest::newRow("long Chinese, sample cut after a lead")
        << longChinese << e << true << false << longChinese + "\xC3\xA9";
    QTest::newRow("long Chinese, sample cut inside a sequence")
        << "ab" + longChinese << e << true << false << "ab" + longChinese + "\xC3\xA9";
    QTest::newRow("mark-less invalid byte continues in the locale")
        << QByteArray("caf\xE9") << e << true << true << QByteArray("caf\xE9\n\xE9");
    QTest::newRow("short file cut off by its end continues in the locale")
        << QByteArray("ab\xE4\xB8") << e << true << false << QByteArray("ab\xE4\xB8\xE9");

    // Large texts are encoded in runs of 2^22 characters, on threads; an encoder holds a high
    // surrogate at the end of what it is given back for the low half to come.
    const QString run(4194303, QLatin1Char('a'));
    QTest::newRow("surrogate pair across two runs") << QByteArray() << run + "😀" << false << true
        << hexBytes("efbbbf") + run.toLatin1() + "\xF0\x9F\x98\x80";
    QTest::newRow("lone high surrogate at a run's end") << QByteArray() << run + QChar(0xD800) + "b"
        << false << true << hexBytes("efbbbf") + run.toLatin1() + "?b";
    // clang-format on
}

void tst_TextFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, text);
    QFETCH(bool, append);
    QFETCH(bool, ensureNewline);
    const ScratchCwd dir;
    if (!before.isNull())
        QVERIFY(writeFile(QStringLiteral("out.txt"), before));
    QVERIFY(writeTextFile(RealFileSystem::instance(), QStringLiteral("out.txt"), text,
                          append ? WriteMode::Append : WriteMode::Replace,
                          ensureNewline ? AppendStart::NewLine : AppendStart::SameLine));
    QTEST(readFile(QStringLiteral("out.txt")), "after");
}

// Appending reads the file first; a file that cannot be read is left as it is.
void tst_TextFile::appendToUnreadableFileLeavesItAlone()
{
    if (geteuid() == 0)
        QSKIP("root reads every file");
    const ScratchCwd dir;
    QVERIFY(writeFile("unreadable", "keep"));
    QVERIFY(QFile::setPermissions("unreadable", QFile::WriteOwner));
    QVERIFY(!writeTextFile(RealFileSystem::instance(), "unreadable", QStringLiteral("x"),
                           WriteMode::Append, AppendStart::NewLine));
    QVERIFY(QFile::setPermissions("unreadable", QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(readFile("unreadable"), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(tst_TextFile)
#include "tst_textfile.moc"
