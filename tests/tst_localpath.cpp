// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "core/localpath.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

class tst_LocalPath : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sameBytesAsQFile_data();
    void sameBytesAsQFile();
    void systemFindsTheFile();

private:
    QTextCodec* m_codec = nullptr;
};

void tst_LocalPath::init()
{
    m_codec = QTextCodec::codecForLocale();
}

void tst_LocalPath::cleanup()
{
    QTextCodec::setCodecForLocale(m_codec);
}

void tst_LocalPath::sameBytesAsQFile_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("path");
    const QString ascii = QStringLiteral("data/f00001-00002.txt");
    const QString chinese = QStringLiteral("数据/报告.txt");
    const auto longName = [](int size) { return QString(size, QLatin1Char('a')); };
    // The copy byte for byte stops short of the buffer's end, the zero byte included.
    for (const char* codec : {"UTF-8", "GB18030", "ISO-8859-1", "UTF-16LE", "UTF-32BE"}) {
        const auto add = [codec](const char* tag, const QString& path) {
            QTest::newRow(QByteArray(codec).append(' ').append(tag).constData())
                << QByteArray(codec) << path;
        };
        add("ascii", ascii);
        add("empty", QString());
        add("chinese", chinese);
        add("ascii then one other", ascii + QChar(0xe9));
        add("255 characters", longName(255));
        add("256 characters", longName(256));
        add("4096 characters", longName(4096));
        add("control characters", QStringLiteral("a\tb\x7f.txt"));
    }
}

// What the system is handed (up to the first zero byte) is what QFile would hand it, whatever
// code page the locale has, even one that does not keep ASCII as it is.
void tst_LocalPath::sameBytesAsQFile()
{
    QFETCH(QByteArray, codec);
    QFETCH(QString, path);
    QTextCodec* const chosen = QTextCodec::codecForName(codec);
    QVERIFY(chosen);
    QTextCodec::setCodecForLocale(chosen);
    const LocalPath local(path);
    QCOMPARE(QByteArray(local.constData()), QByteArray(QFile::encodeName(path).constData()));
}

void tst_LocalPath::systemFindsTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    for (const QString& name : {QStringLiteral("plain.txt"), QStringLiteral("报告.txt")}) {
        const QString path = dir.filePath(name);
        const int fd = ::open(LocalPath(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY2(fd >= 0, qPrintable(name));
        ::close(fd);
        QVERIFY2(QFileInfo::exists(path), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(tst_LocalPath)
#include "tst_localpath.moc"
