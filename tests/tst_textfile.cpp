#include "testsupport.h"
#include "text/textfile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// Byte literals with embedded NULs: the literal's own length, less its terminator.
template <int N> static QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

static const QByteArray kLocale = "ISO-8859-1";

class tst_TextFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void detect_data();
    void detect();
    void structureTestMatchesPlainWalk();
    void utf8LocaleReadsInvalidBytesAsReplacement();
    void byteOrderMark_data();
    void byteOrderMark();
    void read_data();
    void read();
    void readRefusesWhatIsNoFile_data();
    void readRefusesWhatIsNoFile();
    void readRefusesFileTooLargeForText();
    void readsFileWhoseSizeReadsZero();
    void write_data();
    void write();
    void appendsKeepOneMark_data();
    void appendsKeepOneMark();
    void writeFailureLeavesFileAlone_data();
    void writeFailureLeavesFileAlone();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QTemporaryDir* m_dir = nullptr;
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

void tst_TextFile::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_TextFile::cleanup()
{
    delete m_dir;
    m_dir = nullptr;
}

void tst_TextFile::detect_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hadBom");

    QTest::newRow("UTF-32BE mark")
        << raw("\0\0\xFE\xFF\0\0\0a") << QByteArray("UTF-32BE") << raw("\0\0\0a") << true;
    QTest::newRow("UTF-32LE mark, not UTF-16LE")
        << raw("\xFF\xFE\0\0a\0\0\0") << QByteArray("UTF-32LE") << raw("a\0\0\0") << true;
    QTest::newRow("UTF-8 mark") << raw("\xEF\xBB\xBF"
                                       "abc")
                                << QByteArray("UTF-8") << raw("abc") << true;
    QTest::newRow("UTF-16LE mark") << raw("\xFF\xFE"
                                          "A")
                                   << QByteArray("UTF-16LE") << raw("A") << true;
    QTest::newRow("UTF-16BE mark")
        << raw("\xFE\xFF\0a") << QByteArray("UTF-16BE") << raw("\0a") << true;
    QTest::newRow("UTF-16LE followed by one NUL")
        << raw("\xFF\xFE\0") << QByteArray("UTF-16LE") << raw("\0") << true;
    QTest::newRow("only a UTF-8 mark")
        << raw("\xEF\xBB\xBF") << QByteArray("UTF-8") << raw("") << true;
    QTest::newRow("empty") << raw("") << QByteArray("UTF-8") << raw("") << false;
    QTest::newRow("ASCII") << raw("abc\r\n") << QByteArray("UTF-8") << raw("abc\r\n") << false;
    QTest::newRow("Chinese UTF-8") << raw("\xE4\xB8\xAD\xE6\x96\x87") << QByteArray("UTF-8")
                                   << raw("\xE4\xB8\xAD\xE6\x96\x87") << false;
    QTest::newRow("four-byte sequence")
        << raw("\xF0\x9F\x98\x80") << QByteArray("UTF-8") << raw("\xF0\x9F\x98\x80") << false;
    QTest::newRow("overlong C0 80 passes")
        << raw("\xC0\x80") << QByteArray("UTF-8") << raw("\xC0\x80") << false;
    QTest::newRow("lead F5 passes")
        << raw("\xF5\x80\x80\x80") << QByteArray("UTF-8") << raw("\xF5\x80\x80\x80") << false;
    QTest::newRow("EF BB: too short for a mark, cut off")
        << raw("\xEF\xBB") << kLocale << raw("\xEF\xBB") << false;
    QTest::newRow("cut off at the end")
        << raw("abcdefghij\xE4\xB8") << kLocale << raw("abcdefghij\xE4\xB8") << false;
    QTest::newRow("continuation in lead position")
        << raw("abcdefgh\x80") << kLocale << raw("abcdefgh\x80") << false;
    QTest::newRow("lead F8") << raw("\xF8\x80\x80\x80\x80") << kLocale
                             << raw("\xF8\x80\x80\x80\x80") << false;
    QTest::newRow("lead FF without FE") << raw("\xFF"
                                               "a")
                                        << kLocale
                                        << raw("\xFF"
                                               "a")
                                        << false;
    QTest::newRow("lead then ASCII") << raw("caf\xE9 ok") << kLocale << raw("caf\xE9 ok") << false;
    // The test looks at eight bytes at a time: sequences across and after word boundaries.
    QTest::newRow("sequence across a word boundary")
        << raw("abcdefg\xE4\xB8\xAD") << QByteArray("UTF-8") << raw("abcdefg\xE4\xB8\xAD") << false;
    QTest::newRow("lead, a word of ASCII, then its continuations") << raw("abcdefg\xE4"
                                                                          "abcdefgh\xB8\xAD")
                                                                   << kLocale
                                                                   << raw("abcdefg\xE4"
                                                                          "abcdefgh\xB8\xAD")
                                                                   << false;
    QTest::newRow("word ends in a lead, buffer ends there")
        << raw("abcdefg\xC3") << kLocale << raw("abcdefg\xC3") << false;
    QTest::newRow("invalid after a long ASCII run")
        << QByteArray(1000, 'a') + raw("\xC3(") << kLocale << QByteArray(1000, 'a') + raw("\xC3(")
        << false;
}

void tst_TextFile::detect()
{
    QFETCH(QByteArray, data);
    QByteArray payload = "left over";
    bool hadBom = !data.isEmpty();
    QTEST(detectTextEncoding(data, &payload, &hadBom), "encoding");
    QTEST(payload, "payload");
    QTEST(hadBom, "hadBom");
}

// The structure test as a plain walk, byte by byte, for comparison with the word-wise one.
static bool plainUtf8Walk(const QByteArray& data)
{
    for (int i = 0; i < data.size();) {
        const uchar lead = uchar(data.at(i));
        int further = 0;
        if (lead >= 0xC0 && lead <= 0xDF)
            further = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            further = 2;
        else if (lead >= 0xF0 && lead <= 0xF7)
            further = 3;
        else if (lead >= 0x80)
            return false;
        if (i + further >= data.size() && further > 0)
            return false;
        for (int k = 1; k <= further; ++k) {
            if ((uchar(data.at(i + k)) & 0xC0) != 0x80)
                return false;
        }
        i += further + 1;
    }
    return true;
}

// Random buffers over the bytes where the verdict changes, at every length and alignment.
void tst_TextFile::structureTestMatchesPlainWalk()
{
    const uchar alphabet[] = {0x00, 0x41, 0x7F, 0x80, 0x9F, 0xBF, 0xC0, 0xC3, 0xDF,
                              0xE0, 0xE4, 0xEF, 0xF0, 0xF4, 0xF7, 0xF8, 0xFE, 0xFF};
    QRandomGenerator random(20240611);
    int passed = 0;
    // Whole characters (ASCII most often, so that whole ASCII words occur), structurally valid
    // oddities (overlong, surrogate, lead F5), and leads F8-FF with continuations after them.
    const char* const characters[] = {"a",
                                      "abc",
                                      "\n",
                                      "\xC3\xA9",
                                      "\xE4\xB8\xAD",
                                      "\xF0\x9F\x98\x80",
                                      "\xC0\x80",
                                      "\xED\xA0\x80",
                                      "\xF5\x80\x80\x80",
                                      "\xF8\x80\x80\x80",
                                      "\xFF\x80\x80\x80"};
    const int characterCount = int(sizeof characters / sizeof characters[0]);
    for (int round = 0; round < 20000; ++round) {
        // Now and then a stray byte, so that both verdicts are common.
        QByteArray data;
        const int count = random.bounded(40);
        for (int n = 0; n < count; ++n) {
            const int pick = random.bounded(characterCount + 40);
            if (pick > characterCount)
                data.append('a');
            else if (pick == characterCount)
                data.append(char(alphabet[random.bounded(int(sizeof alphabet))]));
            else
                data.append(characters[pick]);
        }
        data.prepend('a'); // no mark
        QByteArray payload;
        bool hadBom = true;
        const bool valid = detectTextEncoding(data, &payload, &hadBom) == "UTF-8";
        QVERIFY2(valid == plainUtf8Walk(data), data.toHex().constData());
        passed += valid;
    }
    QVERIFY2(passed > 2000 && passed < 18000, QByteArray::number(passed)); // both verdicts
}

// With a UTF-8 locale codec, as on these machines, both verdicts name UTF-8: invalid bytes
// come out as U+FFFD.
void tst_TextFile::utf8LocaleReadsInvalidBytesAsReplacement()
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QByteArray payload;
    bool hadBom = true;
    const QByteArray encoding = detectTextEncoding(raw("caf\xE9"), &payload, &hadBom);
    const QString file = path(QStringLiteral("invalid.txt"));
    QVERIFY(writeFile(file, raw("caf\xE9")));
    const QString text = readTextFile(file, nullptr);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(kLocale));
    QCOMPARE(encoding, QByteArray("UTF-8"));
    QVERIFY(!hadBom);
    QCOMPARE(text, QStringLiteral("caf\uFFFD"));
}

void tst_TextFile::byteOrderMark_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("mark");

    QTest::newRow("UTF-8") << QByteArray("UTF-8") << raw("\xEF\xBB\xBF");
    QTest::newRow("UTF-16LE") << QByteArray("UTF-16LE") << raw("\xFF\xFE");
    QTest::newRow("UTF-16BE") << QByteArray("UTF-16BE") << raw("\xFE\xFF");
    QTest::newRow("UTF-32LE") << QByteArray("UTF-32LE") << raw("\xFF\xFE\0\0");
    QTest::newRow("UTF-32BE") << QByteArray("UTF-32BE") << raw("\0\0\xFE\xFF");
    QTest::newRow("lower case") << QByteArray("utf-8") << QByteArray();
    QTest::newRow("locale") << kLocale << QByteArray();
    QTest::newRow("UTF-16 without order") << QByteArray("UTF-16") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void tst_TextFile::byteOrderMark()
{
    QFETCH(QByteArray, name);
    QTEST(byteOrderMarkFor(name), "mark");
}

void tst_TextFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString mixed = QStringLiteral("aé中\r\nb\n");
    QTest::newRow("UTF-8 mark") << raw("\xEF\xBB\xBF"
                                       "a\xC3\xA9\xE4\xB8\xAD\r\nb\n")
                                << mixed;
    QTest::newRow("UTF-8 without mark") << raw("a\xC3\xA9\xE4\xB8\xAD\r\nb\n") << mixed;
    QTest::newRow("UTF-16LE") << raw("\xFF\xFE"
                                     "a\0\xE9\0\x2D\x4E\r\0\n\0b\0\n\0")
                              << mixed;
    QTest::newRow("UTF-16BE") << raw("\xFE\xFF\0a\0\xE9\x4E\x2D\0\r\0\n\0b\0\n") << mixed;
    QTest::newRow("UTF-32LE") << raw("\xFF\xFE\0\0"
                                     "a\0\0\0\xE9\0\0\0\x2D\x4E\0\0\r\0\0\0\n\0\0\0b\0\0\0\n\0\0\0")
                              << mixed;
    QTest::newRow("UTF-32BE")
        << raw("\0\0\xFE\xFF\0\0\0a\0\0\0\xE9\0\0\x4E\x2D\0\0\0\r\0\0\0\n\0\0\0b\0\0\0\n") << mixed;
    QTest::newRow("LF only") << raw("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("empty") << raw("") << QString();
    QTest::newRow("only UTF-8 mark") << raw("\xEF\xBB\xBF") << QString();
    QTest::newRow("only UTF-16LE mark") << raw("\xFF\xFE") << QString();
    QTest::newRow("only UTF-16BE mark") << raw("\xFE\xFF") << QString();
    QTest::newRow("only UTF-32LE mark") << raw("\xFF\xFE\0\0") << QString();
    QTest::newRow("only UTF-32BE mark") << raw("\0\0\xFE\xFF") << QString();
    QTest::newRow("invalid UTF-8 in the locale")
        << raw("caf\xE9\n") << QStringLiteral("caf\u00E9\n");
    QTest::newRow("truncated UTF-8 in the locale")
        << raw("ab\xE4\xB8") << QStringLiteral("ab\u00E4\u00B8");
    QTest::newRow("EF BB in the locale") << raw("\xEF\xBB") << QStringLiteral("\u00EF\u00BB");
    QTest::newRow("UTF-16LE cut in half a unit") << raw("\xFF\xFE"
                                                        "a\0b")
                                                 << QStringLiteral("a");
    QTest::newRow("control bytes and NULs") << raw("\0\x01\x7F"
                                                   "a")
                                            << QString::fromLatin1("\0\x01\x7F"
                                                                   "a",
                                                                   4);
    QTest::newRow("lone UTF-16 surrogate") << raw("\xFF\xFE\x00\xD8"
                                                  "A\0")
                                           << QString(QChar(0xD800)) + QLatin1Char('A');
}

void tst_TextFile::read()
{
    QFETCH(QByteArray, bytes);
    const QString file = path(QStringLiteral("in.txt"));
    QVERIFY(writeFile(file, bytes));
    bool ok = false;
    QTEST(readTextFile(file, &ok), "text");
    QVERIFY(ok);
    QTEST(readTextFile(file, nullptr), "text");
}

void tst_TextFile::readRefusesWhatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("FIFO without a writer") << QStringLiteral("fifo");
}

// A FIFO with no writer would block the open for ever; the reader reports it as unreadable.
void tst_TextFile::readRefusesWhatIsNoFile()
{
    QFETCH(QString, kind);
    const QString target = path(kind);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(target));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    bool ok = true;
    QCOMPARE(readTextFile(target, &ok), QString());
    QVERIFY(!ok);
}

// More bytes than a QString could hold once decoded: refused up front, nothing is read (the file
// is sparse, so it takes no room).
void tst_TextFile::readRefusesFileTooLargeForText()
{
    const QString file = path(QStringLiteral("huge.txt"));
    QVERIFY(writeFile(file, "abc"));
    QVERIFY(QFile::resize(file, qint64(1) << 30));
    bool ok = true;
    QCOMPARE(readTextFile(file, &ok), QString());
    QVERIFY(!ok);
}

void tst_TextFile::readsFileWhoseSizeReadsZero()
{
    const QString status = QStringLiteral("/proc/self/status");
    if (!QFileInfo::exists(status))
        QSKIP("no /proc here");
    QCOMPARE(QFileInfo(status).size(), 0);
    bool ok = false;
    const QString text = readTextFile(status, &ok);
    QVERIFY(ok);
    QVERIFY(text.startsWith(QLatin1String("Name:")));
    QVERIFY(text.endsWith(QLatin1Char('\n')));
}

void tst_TextFile::write_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("ensureNewline");
    QTest::addColumn<QByteArray>("after");

    const QString x = QStringLiteral("x");
    const QByteArray utf8Abc = raw("\xEF\xBB\xBF"
                                   "abc");

    QTest::newRow("new file") << false << QByteArray() << QStringLiteral("abc") << false << true
                              << utf8Abc;
    QTest::newRow("new file, Chinese") << false << QByteArray() << QStringLiteral("中文") << false
                                       << false << raw("\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87");
    QTest::newRow("append creates like a new file")
        << false << QByteArray() << QStringLiteral("abc") << true << true << utf8Abc;
    QTest::newRow("replace UTF-16LE") << true
                                      << raw("\xFF\xFE"
                                             "a\0")
                                      << QStringLiteral("abc") << false << true << utf8Abc;
    QTest::newRow("replace with nothing")
        << true << raw("old") << QString() << false << true << raw("\xEF\xBB\xBF");

    QTest::newRow("UTF-8 mark, guard") << true << utf8Abc << x << true << true
                                       << raw("\xEF\xBB\xBF"
                                              "abc\nx");
    QTest::newRow("UTF-8 mark, final LF") << true
                                          << raw("\xEF\xBB\xBF"
                                                 "abc\n")
                                          << x << true << true
                                          << raw("\xEF\xBB\xBF"
                                                 "abc\nx");
    QTest::newRow("UTF-8 mark, final CR LF") << true
                                             << raw("\xEF\xBB\xBF"
                                                    "abc\r\n")
                                             << x << true << true
                                             << raw("\xEF\xBB\xBF"
                                                    "abc\r\nx");
    QTest::newRow("UTF-8 mark, no guard") << true << utf8Abc << x << true << false
                                          << raw("\xEF\xBB\xBF"
                                                 "abcx");
    QTest::newRow("empty text, guard") << true << utf8Abc << QString() << true << true
                                       << raw("\xEF\xBB\xBF"
                                              "abc\n");
    QTest::newRow("empty file") << true << QByteArray() << QStringLiteral("é") << true << true
                                << raw("\xC3\xA9");
    QTest::newRow("only a UTF-8 mark") << true << raw("\xEF\xBB\xBF") << x << true << true
                                       << raw("\xEF\xBB\xBF"
                                              "x");

    QTest::newRow("UTF-16LE, guard") << true
                                     << raw("\xFF\xFE"
                                            "a\0")
                                     << x << true << true
                                     << raw("\xFF\xFE"
                                            "a\0\n\0x\0");
    QTest::newRow("UTF-16LE, final LF") << true
                                        << raw("\xFF\xFE"
                                               "a\0\n\0")
                                        << x << true << true
                                        << raw("\xFF\xFE"
                                               "a\0\n\0x\0");
    QTest::newRow("UTF-16LE, no guard") << true
                                        << raw("\xFF\xFE"
                                               "a\0")
                                        << QStringLiteral("中") << true << false
                                        << raw("\xFF\xFE"
                                               "a\0\x2D\x4E");
    QTest::newRow("UTF-16LE, only the mark") << true << raw("\xFF\xFE") << x << true << true
                                             << raw("\xFF\xFE"
                                                    "x\0");
    QTest::newRow("UTF-16BE, guard")
        << true << raw("\xFE\xFF\0a") << x << true << true << raw("\xFE\xFF\0a\0\n\0x");
    QTest::newRow("UTF-16BE, final LF")
        << true << raw("\xFE\xFF\0a\0\n") << x << true << true << raw("\xFE\xFF\0a\0\n\0x");
    QTest::newRow("UTF-16BE ending in U+010A")
        << true << raw("\xFE\xFF\x01\n") << x << true << true << raw("\xFE\xFF\x01\n\0\n\0x");
    QTest::newRow("UTF-32LE, guard") << true
                                     << raw("\xFF\xFE\0\0"
                                            "a\0\0\0")
                                     << x << true << true
                                     << raw("\xFF\xFE\0\0"
                                            "a\0\0\0\n\0\0\0x\0\0\0");
    QTest::newRow("UTF-32LE, final LF") << true << raw("\xFF\xFE\0\0\n\0\0\0") << x << true << true
                                        << raw("\xFF\xFE\0\0\n\0\0\0x\0\0\0");
    QTest::newRow("UTF-32BE, guard") << true << raw("\0\0\xFE\xFF\0\0\0a") << x << true << true
                                     << raw("\0\0\xFE\xFF\0\0\0a\0\0\0\n\0\0\0x");
    QTest::newRow("UTF-32BE, no guard") << true << raw("\0\0\xFE\xFF\0\0\0a") << x << true << false
                                        << raw("\0\0\xFE\xFF\0\0\0a\0\0\0x");

    QTest::newRow("mark-less ASCII")
        << true << raw("abc") << QStringLiteral("é") << true << true << raw("abc\n\xC3\xA9");
    QTest::newRow("mark-less Chinese continues in UTF-8")
        << true << raw("\xE4\xB8\xAD\xE6\x96\x87") << QStringLiteral("é") << true << true
        << raw("\xE4\xB8\xAD\xE6\x96\x87\n\xC3\xA9");
    const QByteArray longChinese = QStringLiteral("中").repeated(2000).toUtf8();
    QTest::newRow("long Chinese, sample cut after a lead")
        << true << longChinese << QStringLiteral("é") << true << false
        << longChinese + raw("\xC3\xA9");
    QTest::newRow("long Chinese, sample cut inside a sequence")
        << true << raw("ab") + longChinese << QStringLiteral("é") << true << false
        << raw("ab") + longChinese + raw("\xC3\xA9");
    QTest::newRow("mark-less invalid byte continues in the locale")
        << true << raw("caf\xE9") << QStringLiteral("é") << true << true << raw("caf\xE9\n\xE9");
    QTest::newRow("short file cut off by its end continues in the locale")
        << true << raw("ab\xE4\xB8") << QStringLiteral("é") << true << false
        << raw("ab\xE4\xB8\xE9");
}

void tst_TextFile::write()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, text);
    QFETCH(bool, append);
    QFETCH(bool, ensureNewline);
    const QString file = path(QStringLiteral("out.txt"));
    if (exists)
        QVERIFY(writeFile(file, before));
    QVERIFY(writeTextFile(file, text, append, ensureNewline));
    QTEST(readFile(file), "after");
}

void tst_TextFile::appendsKeepOneMark_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QByteArray>("afterTwoAppends");

    QTest::newRow("UTF-16LE") << raw("\xFF\xFE") << raw("\xFF\xFEx\0\n\0y\0");
    QTest::newRow("UTF-16BE") << raw("\xFE\xFF") << raw("\xFE\xFF\0x\0\n\0y");
    QTest::newRow("UTF-32LE") << raw("\xFF\xFE\0\0") << raw("\xFF\xFE\0\0x\0\0\0\n\0\0\0y\0\0\0");
    QTest::newRow("UTF-32BE") << raw("\0\0\xFE\xFF") << raw("\0\0\xFE\xFF\0\0\0x\0\0\0\n\0\0\0y");
    QTest::newRow("UTF-8") << raw("\xEF\xBB\xBF") << raw("\xEF\xBB\xBFx\ny");
}

void tst_TextFile::appendsKeepOneMark()
{
    QFETCH(QByteArray, mark);
    const QString file = path(QStringLiteral("marked.txt"));
    QVERIFY(writeFile(file, mark));
    QVERIFY(writeTextFile(file, QStringLiteral("x"), true, true));
    QVERIFY(writeTextFile(file, QStringLiteral("y"), true, true));
    QTEST(readFile(file), "afterTwoAppends");
    QCOMPARE(readTextFile(file, nullptr), QStringLiteral("x\ny"));
}

void tst_TextFile::writeFailureLeavesFileAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("append");
    QTest::newRow("parent is a file") << QStringLiteral("parentfile") << false;
    QTest::newRow("parent is a file, append") << QStringLiteral("parentfile") << true;
    QTest::newRow("target is a folder") << QStringLiteral("folder") << false;
    QTest::newRow("target is a folder, append") << QStringLiteral("folder") << true;
    QTest::newRow("FIFO") << QStringLiteral("fifo") << false;
    QTest::newRow("FIFO, append") << QStringLiteral("fifo") << true;
    QTest::newRow("unreadable file, append") << QStringLiteral("unreadable") << true;
}

void tst_TextFile::writeFailureLeavesFileAlone()
{
    QFETCH(QString, kind);
    QFETCH(bool, append);
    QString target = path(kind);
    if (kind == QLatin1String("parentfile")) {
        QVERIFY(writeFile(target, "keep"));
        target += QLatin1String("/out.txt");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(target));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    } else {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(writeFile(target, "keep"));
        QVERIFY(QFile::setPermissions(target, QFile::WriteOwner));
    }
    QVERIFY(!writeTextFile(target, QStringLiteral("x"), append, true));
    if (kind == QLatin1String("parentfile"))
        QCOMPARE(readFile(path(kind)), QByteArray("keep"));
    if (kind == QLatin1String("unreadable")) {
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(readFile(target), QByteArray("keep"));
    }
}

QTEST_GUILESS_MAIN(tst_TextFile)
#include "tst_textfile.moc"
