#include "hostlanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cstdio>

// The hosts' own texts follow the user's locale, LANGUAGE and a preference; every .ts file holds
// every text of the hosts' sources, each translated.
class tst_HostLanguage : public QObject
{
    Q_OBJECT

private slots:
    void chosenLanguage_data();
    void chosenLanguage();
    void stephostHelpFollowsLocale_data();
    void stephostHelpFollowsLocale();
    void everyHostTextTranslated();
};

namespace
{

// The system locale is read once per process, so each case runs this program again with
// LANGUAGE_PROBE set: it then prints what the window's "Run" reads as and exits.
const char probeVariable[] = "LANGUAGE_PROBE";
const char noPreference[] = "-";

int printProbe(QCoreApplication& app)
{
    QString preference = qEnvironmentVariable(probeVariable);
    if (preference == QLatin1String(noPreference))
        preference.clear();
    HostLanguage::install(app, HostLanguage::chosen(preference));
    std::fputs(QCoreApplication::translate("MainWindow", "Run").toUtf8().constData(), stdout);
    return 0;
}

// The environment of a user whose locale is lang, with LANGUAGE set when language is not empty.
QProcessEnvironment localeEnvironment(const QString& lang, const QString& language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), lang);
    if (!language.isEmpty())
        env.insert(QStringLiteral("LANGUAGE"), language);
    return env;
}

struct TsProblems {
    QStringList unfinished;
    QStringList stale; // texts the sources no longer hold
};

TsProblems readTsProblems(QIODevice* ts, QString* error)
{
    TsProblems problems;
    QXmlStreamReader xml(ts);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QStringRef type = xml.attributes().value(QLatin1String("type"));
            const bool stale =
                type == QLatin1String("vanished") || type == QLatin1String("obsolete");
            // A text with a count holds its forms as child elements.
            const bool empty =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().isEmpty();
            if (stale)
                problems.stale.append(source);
            else if (type == QLatin1String("unfinished") || empty)
                problems.unfinished.append(source);
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return problems;
}

} // namespace

void tst_HostLanguage::chosenLanguage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("preference");
    QTest::addColumn<QString>("run");
    QTest::newRow("Chinese locale") << "zh_CN.UTF-8"
                                    << "" << noPreference << "运行";
    QTest::newRow("LANGUAGE=en wins") << "zh_CN.UTF-8"
                                      << "en" << noPreference << "Run";
    QTest::newRow("C locale") << "C.UTF-8"
                              << "" << noPreference << "Run";
    QTest::newRow("no translation") << "fr_FR.UTF-8"
                                    << "" << noPreference << "Run";
    QTest::newRow("preference zh_CN") << "C.UTF-8"
                                      << "en"
                                      << "zh_CN"
                                      << "运行";
    QTest::newRow("preference en") << "zh_CN.UTF-8"
                                   << ""
                                   << "en"
                                   << "Run";
}

void tst_HostLanguage::chosenLanguage()
{
    QFETCH(QString, lang);
    QFETCH(QString, language);
    QFETCH(QString, preference);
    QFETCH(QString, run);
    QProcessEnvironment env = localeEnvironment(lang, language);
    env.insert(QLatin1String(probeVariable), preference);
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), run);
}

// stephost's help end to end, in the language of the user's locale.
void tst_HostLanguage::stephostHelpFollowsLocale_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Chinese locale")
        << "zh_CN.UTF-8"
        << ""
        << QStringList{"用法：stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...\n",
                       "\n命令：\n", "\n  -h, --help                显示此帮助\n"};
    QTest::newRow("LANGUAGE=en") << "zh_CN.UTF-8"
                                 << "en"
                                 << QStringList{"Usage: stephost [--plugin FILE]...",
                                                "\nCommands:\n",
                                                "\n  -h, --help                show this help\n"};
}

void tst_HostLanguage::stephostHelpFollowsLocale()
{
    QFETCH(QString, lang);
    QFETCH(QString, language);
    QFETCH(QStringList, lines);
    QProcess stephost;
    stephost.setProcessEnvironment(localeEnvironment(lang, language));
    stephost.start(QStringLiteral(STEPHOST_PATH), {QStringLiteral("--help")});
    QVERIFY(stephost.waitForFinished(30000));
    QCOMPARE(stephost.exitCode(), 0);
    const QString help = QString::fromUtf8(stephost.readAllStandardOutput());
    QVERIFY2(help.startsWith(lines.constFirst()), qPrintable(help));
    for (const QString& line : lines)
        QVERIFY2(help.contains(line), qPrintable(line));
}

// lupdate run on a copy of each .ts adds the texts of the sources it lacks, unfinished, and marks
// the ones the sources dropped: the copy must hold neither, nor any other unfinished text.
void tst_HostLanguage::everyHostTextTranslated()
{
#ifndef LUPDATE_PATH
    QSKIP("lupdate not found (qttools5-dev-tools)");
#else
    const QFileInfoList files =
        QDir(QStringLiteral(TRANSLATIONS_DIR)).entryInfoList({QStringLiteral("*.ts")});
    QVERIFY(!files.isEmpty());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QFileInfo& file : files) {
        const QString copy = dir.filePath(file.fileName());
        QVERIFY(QFile::copy(file.filePath(), copy));
        QProcess lupdate;
        lupdate.start(QStringLiteral(LUPDATE_PATH),
                      {QStringLiteral("-silent"), QStringLiteral(HOST_SOURCES_DIR),
                       QStringLiteral("-ts"), copy});
        QVERIFY(lupdate.waitForFinished(60000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());
        QFile ts(copy);
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QString error;
        const TsProblems problems = readTsProblems(&ts, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QString name = file.fileName();
        QVERIFY2(problems.unfinished.isEmpty(),
                 qPrintable(name +
                            QStringLiteral(" lacks or leaves unfinished (run the "
                                           "update-translations target): ") +
                            problems.unfinished.join(u'|')));
        QVERIFY2(problems.stale.isEmpty(),
                 qPrintable(name + QStringLiteral(" holds texts no source has: ") +
                            problems.stale.join(u'|')));
    }
#endif
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(probeVariable))
        return printProbe(app);
    tst_HostLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostlanguage.moc"
