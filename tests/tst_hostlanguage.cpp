#include "hostlanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QXmlStreamReader>
#include <QtTest>

#include <cstdio>

// The hosts' own texts follow the user's locale, LANGUAGE and a preference; every text of every
// .ts file is translated.
class tst_HostLanguage : public QObject
{
    Q_OBJECT

private slots:
    void chosenLanguage_data();
    void chosenLanguage();
    void noUnfinishedTranslation();
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), lang);
    if (!language.isEmpty())
        env.insert(QStringLiteral("LANGUAGE"), language);
    env.insert(QLatin1String(probeVariable), preference);
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), run);
}

void tst_HostLanguage::noUnfinishedTranslation()
{
    const QFileInfoList files =
        QDir(QStringLiteral(TRANSLATIONS_DIR)).entryInfoList({QStringLiteral("*.ts")});
    QVERIFY(!files.isEmpty());
    for (const QFileInfo& file : files) {
        QFile ts(file.filePath());
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QString source;
        QStringList unfinished;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                const bool marked =
                    xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
                // A text with a count holds its forms as child elements.
                if (marked ||
                    xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().isEmpty())
                    unfinished.append(source);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY2(unfinished.isEmpty(),
                 qPrintable(file.fileName() + QStringLiteral(": ") + unfinished.join(u'|')));
    }
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
