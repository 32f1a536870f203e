// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

// The command-line host driven as a user drives it: a separate process in a scratch folder.
class tst_Stephost : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void cleanup() { m_dir.reset(); }
    void schemaMatchesGolden();
    void list();
    void help();
    void badCommandLine_data();
    void badCommandLine();
    void badPluginIsSkipped();
    void badJsonFlows_data();
    void badJsonFlows();
    void damagedBinaryFlows_data();
    void damagedBinaryFlows();
    void existsFlowInEveryForm();
    void skipReasonsOnStandardErrorOnly();
    void reportVariableFormats_data();
    void reportVariableFormats();
    void varsFilter_data();
    void varsFilter();

private:
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }
    StephostResult run(const QStringList& args) const { return runStephost(args, m_dir->path()); }

    std::optional<QTemporaryDir> m_dir;
};

namespace
{

const QString existsFlow = QStringLiteral(FLOWS_DIR "/exists.json");

QJsonValue parseJson(const QByteArray& text)
{
    return QJsonDocument::fromJson("[" + text + "]").array().at(0);
}

QString jsonText(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringLiteral("(absent)");
    const QByteArray inArray = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(inArray.mid(1, inArray.size() - 2));
}

// A file of tests/data: what the host must print.
QJsonDocument dataJson(const char* name)
{
    return QJsonDocument::fromJson(
        readFile(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name)));
}

// The one stderr line every unreadable flow gives.
void checkFlowErrorLine(const StephostResult& result, const QString& fileName,
                        const QString& problem)
{
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.endsWith(QLatin1Char('\n')) && err.count(QLatin1Char('\n')) == 1, result.err);
    QVERIFY2(err.contains(fileName) && err.contains(problem), result.err);
}

} // namespace

// Every type's properties, defaults, labels, annotations, class-info order and texts at once.
void tst_Stephost::schemaMatchesGolden()
{
    const QJsonArray golden = dataJson("schema.json").array();
    QCOMPARE(golden.size(), 10);
    const StephostResult all = run({QStringLiteral("schema")});
    QCOMPARE(all.exitCode, 0);
    QCOMPARE(jsonText(QJsonDocument::fromJson(all.out).array()), jsonText(golden));
    const StephostResult one = run({QStringLiteral("schema"), QStringLiteral("file.rename")});
    QCOMPARE(one.exitCode, 0);
    QCOMPARE(jsonText(QJsonDocument::fromJson(one.out).array()),
             jsonText(QJsonArray{golden.at(4)}));
}

void tst_Stephost::list()
{
    QJsonObject plugin = dataJson("list-plugin.json").object();
    plugin[QLatin1String("file")] = QFileInfo(QStringLiteral(PLUGIN_PATH)).absoluteFilePath();
    QJsonArray prototypes;
    for (const QJsonValue& schema : dataJson("schema.json").array()) {
        QJsonObject prototype{{QStringLiteral("iconResolves"), true}};
        for (const char* key : {"type", "class", "root", "typeName", "icon"})
            prototype[QLatin1String(key)] = schema.toObject().value(QLatin1String(key));
        prototypes.append(prototype);
    }
    plugin[QLatin1String("prototypes")] = prototypes;

    const StephostResult result = run({QStringLiteral("list")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(jsonText(QJsonDocument::fromJson(result.out).object()),
             jsonText(QJsonObject({{QStringLiteral("plugins"), QJsonArray{plugin}}})));
}

// The help lists each command with its operands and options, each option with its command, and
// the plug-ins folder searched without --plugin; its head is tst_hostlanguage's to check.
void tst_Stephost::help()
{
    const StephostResult result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.isEmpty());
    for (const char* line :
         {"\n  run FLOW [--roundtrip] [--report FILE] [--vars NAMES] [--journal DIR]\n"
          "                            run a flow (JSON or binary) and print its report as JSON\n",
          "\n  save FLOW.json OUT        convert a flow into the binary flow format\n",
          "\n  --report FILE             (run, plan) also write the report to FILE\n",
          "\n  -h, --help                show this help\n"})
        QVERIFY2(result.out.contains(line), line);
    // Without --plugin, the folder the plug-ins are taken from: build/plugins in the build tree.
    const QString pluginFolder = QFileInfo(QStringLiteral(PLUGIN_PATH)).absolutePath();
    QVERIFY2(result.out.contains("the plug-ins folder is tried:\n" + QByteArray(28, ' ') +
                                 pluginFolder.toUtf8() + '\n'),
             result.out);
}

void tst_Stephost::badCommandLine_data()
{
    // clang-format off
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("problem"); // the line on standard error, or its start

    const QString flow = existsFlow;
    const QString hint = QStringLiteral(" (stephost --help shows the usage)");
    const QString runOnly = "--roundtrip, --report, --vars and --journal only go with the run command" + hint;
    QTest::newRow("nothing") << QStringList() << "no command given" + hint;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command \"frobnicate\"" + hint;
    QTest::newRow("unknown option") << QStringList{"list", "--fast=1"} << "unknown option --fast=1" + hint;
    QTest::newRow("help misspelt") << QStringList{"--h"} << "unknown option --h" + hint;
    QTest::newRow("short options run together") << QStringList{"-hh"} << "unknown option -hh" + hint;
    QTest::newRow("run without flow") << QStringList{"run"}
                                      << "usage: stephost run FLOW [--roundtrip] [--report FILE] [--vars NAMES] [--journal DIR]" + hint;
    QTest::newRow("report without file") << QStringList{"run", flow, "--report"} << "--report needs a value" + hint;
    QTest::newRow("roundtrip on list") << QStringList{"list", "--roundtrip"} << runOnly;
    QTest::newRow("vars before schema") << QStringList{"--vars=a", "schema"} << runOnly;
    QTest::newRow("flag with value") << QStringList{"run", flow, "--roundtrip=yes"} << "--roundtrip takes no value" + hint;
    QTest::newRow("save with one operand") << QStringList{"save", flow} << "usage: stephost save FLOW.json OUT" + hint;
    QTest::newRow("schema of unknown type") << QStringList{"schema", "file.nothing"}
                                            << "no loaded plug-in provides the step type \"file.nothing\"";
    QTest::newRow("unknown legacy encoding") << QStringList{"--legacy-encoding", "GB-0", "run", flow}
                                             << "unknown legacy encoding \"GB-0\" (accepted: ";
    QTest::newRow("empty legacy encoding") << QStringList{"list", "--legacy-encoding="}
                                           << "unknown legacy encoding \"\" (accepted: ";
    // clang-format on
}

void tst_Stephost::badCommandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, problem);
    const StephostResult result = run(args);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    // The whole line, or its start where it goes on with a long list.
    QVERIFY2(result.err.startsWith("stephost: " + problem.toUtf8()), result.err);
    QVERIFY2(result.err.endsWith('\n') && result.err.count('\n') == 1, result.err);
}

void tst_Stephost::badPluginIsSkipped()
{
    QVERIFY(writeFile(path("notaplugin.so"), "not a library"));
    const StephostResult result =
        run({QStringLiteral("--plugin"), path("notaplugin.so"), QStringLiteral("--plugin"),
             QStringLiteral(PLUGIN_PATH), QStringLiteral("list")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.startsWith("stephost: skipping plug-in " + path("notaplugin.so").toUtf8()),
             result.err);
    QCOMPARE(result.err.count('\n'), 1);
    const QJsonArray plugins = result.report().value(QLatin1String("plugins")).toArray();
    QCOMPARE(plugins.size(), 1);
    QCOMPARE(plugins.at(0).toObject().value(QLatin1String("className")).toString(),
             QStringLiteral("FileOperPlugin"));
}

void tst_Stephost::badJsonFlows_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem");

    const QByteArray good = readFile(existsFlow);
    const auto step = [](const char* settings) {
        return "{\"steps\": [{\"type\": \"file.exists\", \"settings\": " + QByteArray(settings) +
               "}]}";
    };
    QTest::newRow("only blanks") << QByteArray(" \n\t") << QStringLiteral("empty");
    QTest::newRow("truncated JSON") << good.left(good.size() / 2) << "not valid JSON";
    QTest::newRow("array at top") << QByteArray("[]") << "JSON object";
    QTest::newRow("unknown top key") << QByteArray("{\"step\": []}") << "\"step\"";
    QTest::newRow("unknown type")
        << QByteArray("{\"steps\": [{\"type\": \"file.exists\"}, {\"type\": \"file.teleport\"}]}")
        << "step 2 (file.teleport): unknown step type (no loaded plug-in provides it)";
    QTest::newRow("unknown setting")
        << step("{\"file\": \"a\"}") << "step 1 (file.exists): unknown setting \"file\"";
    QTest::newRow("QObject property is no setting")
        << step("{\"objectName\": \"a\"}") << "unknown setting \"objectName\"";
    QTest::newRow("number for a string")
        << step("{\"fileName\": 3}") << "setting \"fileName\" needs a string, got a number";
    QTest::newRow("bool for a string")
        << step("{\"resultVar\": true}") << "setting \"resultVar\" needs a string, got a boolean";
    QTest::newRow("bad type word") << QByteArray("{\"variables\": {\"v\": {\"type\": \"text\"}}}")
                                   << "variable \"v\": unknown type \"text\"";
    QTest::newRow("QStringList of numbers")
        << QByteArray("{\"variables\": {\"v\": {\"type\": \"list\", \"value\": [1], \"qt\": "
                      "\"QStringList\"}}}")
        << "variable \"v\"";
    QTest::newRow("unknown qt type")
        << QByteArray("{\"variables\": {\"v\": {\"value\": [], \"qt\": \"QSet\"}}}")
        << "variable \"v\"";
    // clang-format on
}

void tst_Stephost::badJsonFlows()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, problem);
    QVERIFY(writeFile(path("bad.json"), content));
    checkFlowErrorLine(run({QStringLiteral("run"), path("bad.json")}), path("bad.json"), problem);
    checkFlowErrorLine(run({QStringLiteral("save"), path("bad.json"), path("out.bin")}),
                       path("bad.json"), problem);
    QVERIFY(!QFile::exists(path("out.bin")));
}

void tst_Stephost::damagedBinaryFlows_data()
{
    // clang-format off
    QTest::addColumn<int>("cut"); // bytes of the saved exists flow kept (negative: dropped)
    QTest::addColumn<QByteArray>("append");
    QTest::addColumn<QString>("problem");

    const QByteArray none;
    QTest::newRow("magic only") << 8 << none << "ends early";
    QTest::newRow("more variables than bytes") << 30 << none << "variable count 6";
    QTest::newRow("inside a step") << -40 << none << "step 5 (file.exists)";
    QTest::newRow("garbage after the flow") << 0 << QByteArray("xyz") << "3 unexpected bytes";
    QTest::newRow("garbage after magic")
        << 8 << hexBytes("1337beef 2067617262616765") << "format version";
    QTest::newRow("huge variable count") << 12 << hexBytes("fffffff0 00000000") << "variable count";
    QTest::newRow("huge list in a value")
        << 12
        << hexBytes(
               "00000001 00000002 0076 00000008 006c00690073 0074 00000009 00 7fffffff 00000000")
        << "variable 1 \"v\": a list of 2147483647";
    QTest::newRow("huge text length")
        << 12 << hexBytes("00000001 7ffffffe 0076") + QByteArray(16, '\0')
        << "variable 1: the data ends early";
    QTest::newRow("odd text length")
        << 12 << hexBytes("00000001 00000003 007600") + QByteArray(16, '\0')
        << "variable 1: a text has an odd byte length";
    QTest::newRow("unknown value type")
        << 12 << hexBytes("00000001 00000002 0076 00000008 006c00690073 0074 00000040 00 00000000")
        << "unsupported type id 64";
    QTest::newRow("unknown step type") << 12 << hexBytes("00000000 00000001 00000004 00780079")
                                       << "step 1 (xy): unknown step type";
    // clang-format on
}

void tst_Stephost::damagedBinaryFlows()
{
    QFETCH(int, cut);
    QFETCH(QByteArray, append);
    QFETCH(QString, problem);
    QCOMPARE(run({QStringLiteral("save"), existsFlow, path("flow.bin")}).exitCode, 0);
    const QByteArray saved = readFile(path("flow.bin"));
    QVERIFY(saved.startsWith("STEPFLOW"));
    QVERIFY(writeFile(path("damaged.bin"),
                      (cut > 0 ? saved.left(cut) : saved.left(saved.size() + cut)) + append));
    checkFlowErrorLine(run({QStringLiteral("run"), path("damaged.bin")}), path("damaged.bin"),
                       problem);
    checkFlowErrorLine(run({QStringLiteral("dump"), path("damaged.bin")}), path("damaged.bin"),
                       problem);
}

// The flow run from JSON, from its binary form, from the dump of that, and with every step
// saved and loaded first, gives one report; --report writes the same bytes.
void tst_Stephost::existsFlowInEveryForm()
{
    QVERIFY(writeFile(path("present.txt"), "here"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    const StephostResult result = run({"run", existsFlow, "--report", path("report.json")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    QCOMPARE(readFile(path("report.json")), result.out);
    const QJsonObject report = result.report();
    QCOMPARE(jsonText(report.value(QLatin1String("log"))), jsonText(QJsonArray()));
    for (const char* name : {"present", "missing", "folder", "viaVar"})
        QCOMPARE(result.value(name), QJsonValue(QLatin1String(name) != QLatin1String("missing")));
    const QJsonObject variables = report.value(QLatin1String("variables")).toObject();
    QCOMPARE(jsonText(variables.value(QLatin1String("undeclaredResult"))),
             jsonText(parseJson(R"({"type": "undeclared", "qt": "bool", "value": true})")));
    const QJsonArray steps = report.value(QLatin1String("steps")).toArray();
    QCOMPARE(steps.size(), 5);
    QCOMPARE(jsonText(steps.at(3)), jsonText(parseJson(R"({"type": "file.exists",
        "text": "判断文件是否存在: $path -> $viaVar",
        "description": "判断文件 $path 是否存在，结果存入 $viaVar"})")));

    QCOMPARE(run({QStringLiteral("save"), existsFlow, path("flow.bin")}).exitCode, 0);
    const QByteArray saved = readFile(path("flow.bin"));
    const StephostResult dumped = run({QStringLiteral("dump"), path("flow.bin")});
    QCOMPARE(dumped.exitCode, 0);
    QVERIFY(writeFile(path("dumped.json"), dumped.out));
    QCOMPARE(run({QStringLiteral("save"), path("dumped.json"), path("again.bin")}).exitCode, 0);
    QCOMPARE(readFile(path("again.bin")), saved);
    for (const QStringList& args :
         {QStringList{"run", path("flow.bin")}, QStringList{"run", path("dumped.json")},
          QStringList{"run", existsFlow, "--roundtrip"}}) {
        const StephostResult again = run(args);
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, result.out);
    }
}

// Reasons for skips, once the logging rules ask for them, go to standard error beside the warnings
// and never into the report, whose log holds the steps' warnings alone.
void tst_Stephost::skipReasonsOnStandardErrorOnly()
{
    QVERIFY(writeFile(path("d/a.txt"), "a"));
    QVERIFY(writeFile(path("out/a.txt"), "b"));
    QVERIFY(writeFile(path("flow.json"), R"({"steps": [
        {"type": "file.copy", "settings": {"files": "d/a.txt\nd/none.txt", "destDir": "out"}},
        {"type": "file.read", "settings": {"filePath": "none.txt"}}]})"));
    const QByteArray rules = qgetenv("QT_LOGGING_RULES");
    qputenv("QT_LOGGING_RULES", "fileoper.*.debug=true");
    const StephostResult result = run({QStringLiteral("run"), path("flow.json")});
    rules.isNull() ? qunsetenv("QT_LOGGING_RULES") : qputenv("QT_LOGGING_RULES", rules);
    QCOMPARE(result.exitCode, 0);
    const QString warning = QStringLiteral("[FileRead] 文件不存在： \"none.txt\"");
    QCOMPARE(result.log(), QStringList{warning});
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("fileoper.copy: d/a.txt: skipped, out/a.txt is there\n"
                            "fileoper.copy: d/none.txt: skipped, no such file\n") +
                 warning + QLatin1Char('\n'));
}

// A declared variable is reported with its type word (or "undeclared"), the Qt type of its value
// (null for none) and its value as declared (null for none).
void tst_Stephost::reportVariableFormats_data()
{
    QTest::addColumn<QByteArray>("declaration");
    QTest::addColumn<QJsonValue>("qt");
    const auto add = [](const char* tag, const char* declaration, const char* qt) {
        QTest::newRow(tag) << QByteArray(declaration) << (qt ? QJsonValue(qt) : QJsonValue());
    };
    add("list", R"({"type": "list", "value": ["a", "b"]})", "QVariantList");
    add("QStringList", R"({"type": "list", "value": ["x", ""], "qt": "QStringList"})",
        "QStringList");
    add("datatable", R"({"type": "datatable", "value": [["id", "名"], [], ["1"]]})",
        "QVariantList");
    add("datatable as JSON text", R"({"type": "datatable", "value": "[[\"1\"]]"})", "QString");
    add("bool", R"({"type": "bool", "value": false})", "bool");
    add("number", R"({"type": "number", "value": -1.25})", "double");
    add("string escapes", R"({"type": "string", "value": "a\"b\\c\n\u0001中"})", "QString");
    add("object", R"({"type": "object", "value": {"k": [1, null]}})", "QVariantMap");
    add("undeclared", R"({"value": 12})", "double");
    add("invalid", R"({"type": "string"})", nullptr);
    add("explicit null", R"({"type": "list", "value": null})", nullptr);
}

void tst_Stephost::reportVariableFormats()
{
    QFETCH(QByteArray, declaration);
    QFETCH(QJsonValue, qt);
    const QJsonObject declared = parseJson(declaration).toObject();
    const QJsonObject expected{
        {QStringLiteral("type"), declared.value(QLatin1String("type")).toString("undeclared")},
        {QStringLiteral("qt"), qt},
        {QStringLiteral("value"), declared.contains(QLatin1String("value"))
                                      ? declared.value(QLatin1String("value"))
                                      : QJsonValue::Null}};
    QVERIFY(writeFile(path("flow.json"), "{\"variables\": {\"v\": " + declaration + "}}"));
    // The same through the binary format, whose values are QVariants in a QDataStream.
    QCOMPARE(run({QStringLiteral("save"), path("flow.json"), path("flow.bin")}).exitCode, 0);
    for (const QString& flow : {path("flow.json"), path("flow.bin")}) {
        const StephostResult result = run({QStringLiteral("run"), flow});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(jsonText(result.report().value(QLatin1String("variables"))),
                 jsonText(QJsonObject({{QStringLiteral("v"), expected}})));
    }
}

void tst_Stephost::varsFilter_data()
{
    // clang-format off
    QTest::addColumn<QString>("vars");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("two") << "present,missing" << QStringList{"missing", "present"};
    QTest::newRow("unknown names are left out") << "nothing,folder" << QStringList{"folder"};
    QTest::newRow("none") << QString() << QStringList();
    // clang-format on
}

void tst_Stephost::varsFilter()
{
    QFETCH(QString, vars);
    const StephostResult result = run({"run", existsFlow, "--vars", vars});
    QCOMPARE(result.exitCode, 0);
    const QJsonObject report = result.report();
    QTEST(report.value(QLatin1String("variables")).toObject().keys(), "reported");
    QCOMPARE(report.value(QLatin1String("steps")).toArray().size(), 5);
}

QTEST_GUILESS_MAIN(tst_Stephost)
#include "tst_stephost.moc"
