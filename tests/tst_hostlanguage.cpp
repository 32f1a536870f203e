// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "hostlanguage.h"
#include "journalreasons.h"
#include "pluginhost.h"
#include "shownreason.h"
#include "testsupport.h"

#include <core/reasontexts.h>

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
    void stephostFollowsLocale_data();
    void stephostFollowsLocale();
    void stephostJsonIgnoresLocale_data();
    void stephostJsonIgnoresLocale();
    void planReasonsInChinese_data();
    void planReasonsInChinese();
    void everyShownReasonInChinese_data();
    void everyShownReasonInChinese();
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
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
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

namespace
{

// A folder with a flow stephost cannot read, a file that is no plug-in, a flow that copies a.txt
// into out/ and one that changes nothing.
bool writeStephostFiles(const QDir& dir)
{
    const QList<QPair<QString, QByteArray>> files{
        {QStringLiteral("broken.json"), R"({"steps": [{"type": "file.teleport"}]})"},
        {QStringLiteral("notaplugin.so"), "not a library"},
        {QStringLiteral("a.txt"), "a"},
        {QStringLiteral("copy.json"),
         R"({"steps": [{"type": "file.copy", "settings": {"files": "a.txt", "destDir": "out"}}]})"},
        {QStringLiteral("exists.json"),
         R"({"variables": {"found": {"type": "bool"}}, "steps": [{"type": "file.exists",
             "settings": {"fileName": "a.txt", "resultVar": "found"}}]})"},
    };
    for (const auto& file : files) {
        if (!writeFile(dir.filePath(file.first), file.second))
            return false;
    }
    return true;
}

StephostResult runStephostIn(const QString& dir, const QStringList& arguments, const QString& lang,
                             const QString& language)
{
    QProcess stephost;
    stephost.setProcessEnvironment(localeEnvironment(lang, language));
    stephost.setWorkingDirectory(dir);
    stephost.start(QStringLiteral(STEPHOST_PATH), arguments);
    StephostResult result;
    if (stephost.waitForFinished(30000)) {
        result.exitCode = stephost.exitCode();
        result.out = stephost.readAllStandardOutput();
        result.err = stephost.readAllStandardError();
    }
    return result;
}

const QString plugin = QStringLiteral("--plugin=" PLUGIN_PATH);

} // namespace

// stephost's own texts end to end, in the language of the user's locale: the help, a flow it
// cannot read, a plug-in it skips, the plan's table. Their English is tst_stephost's and
// tst_stephostplan's to check (they run under C.UTF-8); here the help shows LANGUAGE winning.
void tst_HostLanguage::stephostFollowsLocale_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("output"); // stdout, then stderr
    const QStringList help{QStringLiteral("--help")};
    QTest::newRow("help, Chinese")
        << help << ""
        << "用法：stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...\n\n"
           "加载操作插件，列出、查看、转换和运行流程。\n\n命令：\n";
    QTest::newRow("help, LANGUAGE=en")
        << help << "en"
        << "Usage: stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...\n\n"
           "Loads operation plug-ins and lists, inspects, converts and runs flows.\n\nCommands:\n";
    const QStringList broken{plugin, QStringLiteral("run"), QStringLiteral("broken.json")};
    QTest::newRow("broken flow, Chinese")
        << broken << ""
        << "stephost: broken.json: "
           "第 1 步（file.teleport）：未知的步骤类型（已加载的插件均未提供）\n";
    // The reason is Qt's own text.
    const QStringList skipped{QStringLiteral("--plugin=notaplugin.so"), QStringLiteral("schema"),
                              QStringLiteral("file.copy")};
    QTest::newRow("plug-in skipped, Chinese") << skipped << ""
                                              << "stephost: 跳过插件 notaplugin.so: ";
    const QStringList plan{plugin, QStringLiteral("plan"), QStringLiteral("copy.json")};
    QTest::newRow("plan, Chinese") << plan << ""
                                   << "步骤  操作   路径       来源   状态\n"
                                      "1     mkdir  out               正常\n"
                                      "1     copy   out/a.txt  a.txt  正常\n"
                                      "2 项更改，0 项有冲突，0 项跳过\n";
}

void tst_HostLanguage::stephostFollowsLocale()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, language);
    QFETCH(QString, output);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeStephostFiles(QDir(dir.path())));
    const StephostResult result =
        runStephostIn(dir.path(), arguments, QStringLiteral("zh_CN.UTF-8"), language);
    const QString printed = QString::fromUtf8(result.out + result.err);
    QVERIFY2(printed.startsWith(output), qPrintable(printed));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
}

// What scripts read is the same in every language.
void tst_HostLanguage::stephostJsonIgnoresLocale_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plan --json") << QStringList{
        plugin, QStringLiteral("plan"), QStringLiteral("--json"), QStringLiteral("copy.json")};
    QTest::newRow("run") << QStringList{plugin, QStringLiteral("run"),
                                        QStringLiteral("exists.json")};
    QTest::newRow("list") << QStringList{plugin, QStringLiteral("list")};
}

void tst_HostLanguage::stephostJsonIgnoresLocale()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeStephostFiles(QDir(dir.path())));
    const StephostResult chinese =
        runStephostIn(dir.path(), arguments, QStringLiteral("zh_CN.UTF-8"), QString());
    const StephostResult english =
        runStephostIn(dir.path(), arguments, QStringLiteral("zh_CN.UTF-8"), QStringLiteral("en"));
    QCOMPARE(chinese.exitCode, 0);
    QCOMPARE(english.exitCode, 0);
    QVERIFY(!chinese.out.isEmpty());
    QCOMPARE(chinese.out, english.out);
}

// The reasons a plan gives come from the plug-in in English, for scripts; the table, like the
// window's Preview, shows the plug-in's own text for each in Chinese, and no English word.
void tst_HostLanguage::planReasonsInChinese_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("steps");
    QTest::addColumn<QStringList>("states");
    QTest::newRow("missing source")
        << QStringList{"甲.txt"}
        << QByteArray(R"({"type": "file.copy", "settings": {"files": "甲.txt\n乙.txt",
                         "destDir": "出"}})")
        << QStringList{"正常", "正常", "已跳过：文件不存在"};
    QTest::newRow("rename onto a name that is there")
        << QStringList{"甲.txt", "乙.txt"}
        << QByteArray(R"({"type": "file.rename", "settings": {"files": "甲.txt",
                         "newName": "乙", "ifNewExist": 1}})")
        << QStringList{"已跳过：./乙.txt 已存在"};
    QTest::newRow("names swapped")
        << QStringList{"甲.txt", "乙.txt"}
        << QByteArray(R"({"type": "file.rename", "settings": {"files": "甲.txt", "newName": "乙"}},
                        {"type": "file.rename", "settings": {"files": "乙.txt", "newName": "甲"}})")
        << QStringList{"冲突：替换了第 2 步随后要重命名的文件", "正常"};
    QTest::newRow("copied twice onto one name")
        << QStringList{"一/甲.txt", "二/甲.txt"}
        << QByteArray(R"({"type": "file.copy", "settings": {"files": "一/甲.txt\n二/甲.txt",
                         "destDir": "出", "ifExist": 1}})")
        << QStringList{"正常", "正常", "冲突：替换第 1 步放在这里的文件"};
    QTest::newRow("replaces a file there")
        << QStringList{"甲.txt", "出/甲.txt"}
        << QByteArray(R"({"type": "file.copy", "settings": {"files": "甲.txt",
                         "destDir": "出", "ifExist": 1}})")
        << QStringList{"替换现有文件"};
}

void tst_HostLanguage::planReasonsInChinese()
{
    QFETCH(QStringList, files);
    QFETCH(QByteArray, steps);
    QFETCH(QStringList, states);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& name : files)
        QVERIFY(writeFile(dir.filePath(name), QByteArray()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("flow.json")), "{\"steps\": [" + steps + "]}"));
    const StephostResult result =
        runStephostIn(dir.path(), {plugin, QStringLiteral("plan"), QStringLiteral("flow.json")},
                      QStringLiteral("zh_CN.UTF-8"), QString());
    QCOMPARE(result.exitCode, 0);
    QStringList lines = QString::fromUtf8(result.out).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() >= 2);
    lines = lines.mid(1, lines.size() - 2); // the header and the summary
    QStringList shown;
    for (const QString& line : qAsConst(lines))
        shown.append(line.mid(line.lastIndexOf(QLatin1String("  ")) + 2));
    QCOMPARE(shown, states);
    static const QRegularExpression englishWord(QStringLiteral("[A-Za-z]{4,}"));
    for (const QString& state : qAsConst(shown))
        QVERIFY2(!state.contains(englishWord), qPrintable(state));
}

// Every stable reason the journal, undo and the system give is shown in the Chinese window (its
// Preview, Last run, log and undo dialog) in Chinese, through the plug-in's display texts: the
// journal's come from the one list it keeps, so a new English reason without a Chinese text
// fails here.
void tst_HostLanguage::everyShownReasonInChinese_data()
{
    QTest::addColumn<QString>("reason");
    // Paths and numbers alike: no English word of their own.
    const QStringList parts{"/数据/甲", "3", "/数据/乙", "5"};
    for (const char* format : JournalReasons::all()) {
        QString reason = JournalReasons::text(format);
        for (int part = 0; reason.contains(QLatin1Char('%')); ++part)
            reason = reason.arg(parts.at(part));
        QTest::newRow(format) << reason;
    }
    for (const QString& reason : systemReasonTexts())
        QTest::newRow(qPrintable(reason)) << reason;
    // Qt's own words for a code, and reasons inside reasons.
    QTest::newRow("Qt's ENOTDIR") << qt_error_string(ENOTDIR);
    QTest::newRow("Qt's EISDIR") << qt_error_string(EISDIR);
    QTest::newRow("damaged log") << QStringLiteral(
        "records 3 to 5 damaged (record 3 says change 2 failed, which was "
        "done); changes recorded before are not undone");
    QTest::newRow("journal folder not made")
        << QStringLiteral("cannot make the journal folder /数据/甲: Permission denied");
    QTest::newRow("journal folder not empty")
        << QStringLiteral("the journal folder /数据/甲 is not empty: it holds \"甲\", \"乙\" and 3 "
                          "more; give the run a new or empty folder");
}

void tst_HostLanguage::everyShownReasonInChinese()
{
    QFETCH(QString, reason);
    PluginHost host;
    QString error;
    QVERIFY2(host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    QVERIFY(HostLanguage::install(*QCoreApplication::instance(), QLocale("zh_CN")));
    const QString shown = shownReason(host, reason);
    HostLanguage::install(*QCoreApplication::instance(), QLocale("en"));
    static const QRegularExpression englishWord(QStringLiteral("[A-Za-z]{4,}"));
    QVERIFY2(!shown.contains(englishWord), qPrintable(shown));
    QVERIFY(shown != reason);
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
