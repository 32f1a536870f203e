#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

// The command-line host driven as a user drives it: a separate process in a scratch folder.
class tst_Stephost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void list_data();
    void list();
    void schemaOfExists_data();
    void schemaOfExists();
    void schemaOfAllMatchesList();
    void help();
    void badCommandLine_data();
    void badCommandLine();
    void explicitPluginAndBadPlugin();

    void badJsonFlows_data();
    void badJsonFlows();
    void damagedBinaryFlows_data();
    void damagedBinaryFlows();

    void existsFlowEndToEnd();
    void binaryRunEqualsJsonRun();
    void dumpRoundTrip();
    void roundtripOption();
    void reportVariableFormats_data();
    void reportVariableFormats();
    void varsFilter_data();
    void varsFilter();
    void reportFileMatchesOutput();

private:
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }
    StephostResult run(const QStringList& args) const { return runStephost(args, m_dir->path()); }
    QByteArray savedExistsFlow();

    QTemporaryDir* m_dir = nullptr;
    QByteArray m_savedExistsFlow; // tests/flows/exists.json in the binary format
    StephostResult m_list;        // the output of "list" and "schema file.exists"
    StephostResult m_schemaOfExists;
};

namespace
{

QString existsFlow()
{
    return QStringLiteral(FLOWS_DIR "/exists.json");
}

// The value at a slash-separated path of keys and array indexes, "0/properties/1/label".
QJsonValue valueAt(QJsonValue value, const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool isIndex = false;
        const int index = part.toInt(&isIndex);
        value = isIndex ? value.toArray().at(index) : value.toObject().value(part);
    }
    return value;
}

// Raw bytes of a literal that may hold zero bytes.
template <int N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// An empty text stands for a value that is absent.
QJsonValue parseJson(const QByteArray& text)
{
    if (text.isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    return QJsonDocument::fromJson("[" + text + "]").array().at(0);
}

QJsonValue documentValue(const QByteArray& out)
{
    const QJsonDocument document = QJsonDocument::fromJson(out);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// The one stderr line every unreadable flow gives.
void checkFlowErrorLine(const StephostResult& result, const QString& fileName,
                        const QString& problem)
{
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.endsWith(QLatin1Char('\n')) && err.count(QLatin1Char('\n')) == 1, result.err);
    QVERIFY2(err.contains(fileName), result.err);
    QVERIFY2(err.contains(problem), result.err);
}

} // namespace

void tst_Stephost::initTestCase()
{
    init();
    m_savedExistsFlow = savedExistsFlow();
    QVERIFY(m_savedExistsFlow.startsWith("STEPFLOW"));
    m_list = run({QStringLiteral("list")});
    m_schemaOfExists = run({QStringLiteral("schema"), QStringLiteral("file.exists")});
    cleanup();
}

void tst_Stephost::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_Stephost::cleanup()
{
    delete m_dir;
    m_dir = nullptr;
}

QByteArray tst_Stephost::savedExistsFlow()
{
    const StephostResult result = run({QStringLiteral("save"), existsFlow(), path("flow.bin")});
    if (result.exitCode != 0)
        return QByteArray();
    return readFile(path("flow.bin"));
}

void tst_Stephost::list_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<QByteArray>("expected");

    const QString plugin = QStringLiteral("plugins/0/");
    QTest::newRow("iid") << plugin + QLatin1String("iid")
                         << QByteArray("\"org.stephost.IOperationPlugin/1.0\"");
    QTest::newRow("className") << plugin + QLatin1String("className")
                               << QByteArray("\"FileOperPlugin\"");
    QTest::newRow("pluginId") << plugin + QLatin1String("pluginId")
                              << QByteArray("\"org.stephost.FileOperPlugin\"");
    QTest::newRow("name") << plugin + QLatin1String("name") << QByteArray("\"文件操作插件\"");
    QTest::newRow("version") << plugin + QLatin1String("version") << QByteArray("\"1.0.0\"");
    QTest::newRow("apiVersion") << plugin + QLatin1String("apiVersion") << QByteArray("2");
    QTest::newRow("capabilities") << plugin + QLatin1String("requiredCapabilities")
                                  << QByteArray("[\"hasListType\"]");
    QTest::newRow("manifest prefix")
        << plugin + QLatin1String("manifest/typeIdPrefix") << QByteArray("\"file.\"");
    QTest::newRow("manifest extraList")
        << plugin + QLatin1String("manifest/extraList") << QByteArray("[]");
    QTest::newRow("categoryOrder")
        << plugin + QLatin1String("manifest/categoryOrder") << QByteArray("{\"文件\": 700}");
    QTest::newRow("typeOrder")
        << plugin + QLatin1String("manifest/typeOrder")
        << QByteArray("{\"file.copy\": 0, \"file.move\": 10, \"file.delete\": 20, "
                      "\"file.rename\": 30, \"file.read\": 40, \"file.write\": 50, "
                      "\"file.readcsv\": 60, \"file.writecsv\": 70, \"file.exists\": 80, "
                      "\"file.parse\": 90}");
    QTest::newRow("first prototype")
        << plugin + QLatin1String("prototypes/0")
        << QByteArray("{\"type\": \"file.exists\", \"class\": \"FileExistOperation\", "
                      "\"root\": \"文件\", \"typeName\": \"判断文件是否存在\", "
                      "\"icon\": \":/images/file_exist.svg\", \"iconResolves\": true}");
    QTest::newRow("one plug-in") << QStringLiteral("plugins/1") << QByteArray();
}

void tst_Stephost::list()
{
    QFETCH(QString, at);
    QFETCH(QByteArray, expected);
    const StephostResult& result = m_list;
    QCOMPARE(result.exitCode, 0);
    const QJsonValue value = documentValue(result.out);
    QCOMPARE(valueAt(value, at), parseJson(expected));
    QCOMPARE(valueAt(value, QStringLiteral("plugins/0/file")).toString(),
             QFileInfo(QStringLiteral(PLUGIN_PATH)).absoluteFilePath());
}

void tst_Stephost::schemaOfExists_data()
{
    QTest::addColumn<QString>("at");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("identity") << QStringLiteral("0/typeName") << QByteArray("\"判断文件是否存在\"");
    QTest::newRow("class") << QStringLiteral("0/class") << QByteArray("\"FileExistOperation\"");
    QTest::newRow("toString") << QStringLiteral("0/toString")
                              << QByteArray("\"判断文件是否存在:  -> \"");
    QTest::newRow("description") << QStringLiteral("0/description")
                                 << QByteArray("\"判断文件  是否存在，结果存入 \"");
    QTest::newRow("fileName")
        << QStringLiteral("0/properties/0")
        << QByteArray(
               "{\"name\": \"fileName\", \"type\": \"QString\", \"default\": \"\", "
               "\"label\": \"文件名\", \"editor\": \"FILEPATH\", \"path_type\": \"string\"}");
    QTest::newRow("resultVar")
        << QStringLiteral("0/properties/1")
        << QByteArray("{\"name\": \"resultVar\", \"type\": \"QString\", \"default\": \"\", "
                      "\"label\": \"结果保存到布尔变量\", \"editor\": \"VARNAME\", "
                      "\"varname_type\": \"bool\"}");
    QTest::newRow("no third property") << QStringLiteral("0/properties/2") << QByteArray();
    QTest::newRow("classInfo in order")
        << QStringLiteral("0/classInfo")
        << QByteArray(
               "[[\"prop_fileName\", \"文件名\"], [\"editor_fileName\", \"FILEPATH\"], "
               "[\"path_type_fileName\", \"string\"], [\"prop_resultVar\", "
               "\"结果保存到布尔变量\"], "
               "[\"editor_resultVar\", \"VARNAME\"], [\"varname_type_resultVar\", \"bool\"]]");
    QTest::newRow("only the asked type") << QStringLiteral("1") << QByteArray();
}

void tst_Stephost::schemaOfExists()
{
    QFETCH(QString, at);
    QFETCH(QByteArray, expected);
    const StephostResult& result = m_schemaOfExists;
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(valueAt(documentValue(result.out), at), parseJson(expected));
}

void tst_Stephost::schemaOfAllMatchesList()
{
    const StephostResult schema = run({QStringLiteral("schema")});
    const StephostResult& list = m_list;
    QCOMPARE(schema.exitCode, 0);
    const QJsonArray schemas = documentValue(schema.out).toArray();
    const QJsonArray prototypes =
        valueAt(documentValue(list.out), QStringLiteral("plugins/0/prototypes")).toArray();
    QCOMPARE(schemas.size(), prototypes.size());
    for (int i = 0; i < schemas.size(); ++i) {
        QCOMPARE(schemas.at(i).toObject().value(QStringLiteral("type")),
                 prototypes.at(i).toObject().value(QStringLiteral("type")));
        QVERIFY(prototypes.at(i).toObject().value(QStringLiteral("iconResolves")).toBool());
    }
}

void tst_Stephost::help()
{
    const StephostResult result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("Usage: stephost"));
}

void tst_Stephost::badCommandLine_data()
{
    QTest::addColumn<QStringList>("args");

    const QString flow = existsFlow();
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("list"), QStringLiteral("--fast")};
    QTest::newRow("run without flow") << QStringList{QStringLiteral("run")};
    QTest::newRow("run with two flows") << QStringList{QStringLiteral("run"), flow, flow};
    QTest::newRow("report without file")
        << QStringList{QStringLiteral("run"), flow, QStringLiteral("--report")};
    QTest::newRow("plugin without file") << QStringList{QStringLiteral("--plugin")};
    QTest::newRow("roundtrip on list")
        << QStringList{QStringLiteral("list"), QStringLiteral("--roundtrip")};
    QTest::newRow("vars on save") << QStringList{QStringLiteral("save"), flow, QStringLiteral("x"),
                                                 QStringLiteral("--vars=a")};
    QTest::newRow("flag with value")
        << QStringList{QStringLiteral("run"), flow, QStringLiteral("--roundtrip=yes")};
    QTest::newRow("save with one operand") << QStringList{QStringLiteral("save"), flow};
    QTest::newRow("list with operand") << QStringList{QStringLiteral("list"), flow};
    QTest::newRow("schema of unknown type")
        << QStringList{QStringLiteral("schema"), QStringLiteral("file.nothing")};
}

void tst_Stephost::badCommandLine()
{
    QFETCH(QStringList, args);
    const StephostResult result = run(args);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY(result.err.startsWith("stephost: "));
}

void tst_Stephost::explicitPluginAndBadPlugin()
{
    QVERIFY(writeFile(path("notaplugin.so"), "not a library"));
    const StephostResult result =
        run({QStringLiteral("--plugin"), path("notaplugin.so"), QStringLiteral("--plugin"),
             QStringLiteral(PLUGIN_PATH), QStringLiteral("list")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.startsWith("stephost: skipping plug-in " + path("notaplugin.so").toUtf8()),
             result.err);
    QCOMPARE(result.err.count('\n'), 1);
    const QJsonArray plugins =
        documentValue(result.out).toObject().value(QLatin1String("plugins")).toArray();
    QCOMPARE(plugins.size(), 1);
    QCOMPARE(plugins.at(0).toObject().value(QLatin1String("className")).toString(),
             QStringLiteral("FileOperPlugin"));
}

void tst_Stephost::badJsonFlows_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem");

    const QByteArray good = readFile(existsFlow());
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("empty");
    QTest::newRow("only blanks") << QByteArray(" \n\t") << QStringLiteral("empty");
    QTest::newRow("not JSON") << QByteArray("fileName=a.txt") << QStringLiteral("not valid JSON");
    QTest::newRow("truncated JSON")
        << good.left(good.size() / 2) << QStringLiteral("not valid JSON");
    QTest::newRow("array at top") << QByteArray("[]") << QStringLiteral("JSON object");
    QTest::newRow("unknown top key") << QByteArray("{\"step\": []}") << QStringLiteral("\"step\"");
    QTest::newRow("unknown type")
        << QByteArray("{\"steps\": [{\"type\": \"file.exists\"}, {\"type\": \"file.teleport\"}]}")
        << QStringLiteral("step 2 (file.teleport): unknown step type");
    QTest::newRow("step without type")
        << QByteArray("{\"steps\": [{\"settings\": {}}]}") << QStringLiteral("step 1");
    QTest::newRow("unknown setting")
        << QByteArray("{\"steps\": [{\"type\": \"file.exists\", \"settings\": {\"file\": \"a\"}}]}")
        << QStringLiteral("step 1 (file.exists): unknown setting \"file\"");
    QTest::newRow("QObject property is no setting")
        << QByteArray(
               "{\"steps\": [{\"type\": \"file.exists\", \"settings\": {\"objectName\": \"a\"}}]}")
        << QStringLiteral("unknown setting \"objectName\"");
    QTest::newRow("number for a string")
        << QByteArray("{\"steps\": [{\"type\": \"file.exists\", \"settings\": {\"fileName\": 3}}]}")
        << QStringLiteral("setting \"fileName\" needs a string, got a number");
    QTest::newRow("bool for a string")
        << QByteArray(
               "{\"steps\": [{\"type\": \"file.exists\", \"settings\": {\"resultVar\": true}}]}")
        << QStringLiteral("setting \"resultVar\" needs a string, got a boolean");
    QTest::newRow("settings not an object")
        << QByteArray("{\"steps\": [{\"type\": \"file.exists\", \"settings\": []}]}")
        << QStringLiteral("step 1 (file.exists)");
    QTest::newRow("bad type word") << QByteArray("{\"variables\": {\"v\": {\"type\": \"text\"}}}")
                                   << QStringLiteral("variable \"v\": unknown type \"text\"");
    QTest::newRow("QStringList of numbers")
        << QByteArray("{\"variables\": {\"v\": {\"type\": \"list\", \"value\": [1], \"qt\": "
                      "\"QStringList\"}}}")
        << QStringLiteral("variable \"v\"");
    QTest::newRow("unknown qt type")
        << QByteArray("{\"variables\": {\"v\": {\"value\": [], \"qt\": \"QSet\"}}}")
        << QStringLiteral("variable \"v\"");
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
    QTest::addColumn<int>(
        "cut"); // bytes of a saved flow kept (negative: dropped at the end, 0: all)
    QTest::addColumn<QByteArray>("append"); // then these
    QTest::addColumn<QString>("problem");

    QTest::newRow("magic only") << 8 << QByteArray() << QStringLiteral("ends early");
    QTest::newRow("inside the version") << 10 << QByteArray() << QStringLiteral("ends early");
    QTest::newRow("inside the variable count")
        << 14 << QByteArray() << QStringLiteral("ends early");
    QTest::newRow("more variables than bytes")
        << 30 << QByteArray() << QStringLiteral("variable count 6");
    QTest::newRow("inside a step") << -40 << QByteArray() << QStringLiteral("step 5 (file.exists)");
    QTest::newRow("last byte missing") << -1 << QByteArray() << QStringLiteral("step 5");
    QTest::newRow("garbage after the flow")
        << 0 << QByteArray("xyz") << QStringLiteral("3 unexpected bytes");
    QTest::newRow("garbage after magic")
        << 8 << bytes("\x13\x37\xbe\xef garbage that is not a flow")
        << QStringLiteral("format version");
    QTest::newRow("huge variable count")
        << 12 << bytes("\xff\xff\xff\xf0\0\0\0\0") << QStringLiteral("variable count");
    QTest::newRow("huge list in a value")
        << 12
        << bytes("\0\0\0\1"
                 "\0\0\0\2\0v"
                 "\0\0\0\x08\0l\0i\0s\0t"
                 "\0\0\0\x09\0"
                 "\x7f\xff\xff\xff"
                 "\0\0\0\0")
        << QStringLiteral("variable 1 \"v\": a list of 2147483647");
    QTest::newRow("huge text length") << 12
                                      << bytes("\0\0\0\1"
                                               "\x7f\xff\xff\xfe\0v") +
                                             QByteArray(16, '\0')
                                      << QStringLiteral("variable 1: the data ends early");
    QTest::newRow("odd text length") << 12
                                     << bytes("\0\0\0\1"
                                              "\0\0\0\3\0v\0") +
                                            QByteArray(16, '\0')
                                     << QStringLiteral("variable 1: a text has an odd byte length");
    QTest::newRow("unknown value type") << 12
                                        << bytes("\0\0\0\1"
                                                 "\0\0\0\2\0v"
                                                 "\0\0\0\x08\0l\0i\0s\0t"
                                                 "\0\0\0\x40\0"
                                                 "\0\0\0\0")
                                        << QStringLiteral("unsupported type id 64");
    QTest::newRow("unknown step type") << 12
                                       << bytes("\0\0\0\0"
                                                "\0\0\0\1"
                                                "\0\0\0\x04\0x\0y")
                                       << QStringLiteral("step 1 (xy): unknown step type");
}

void tst_Stephost::damagedBinaryFlows()
{
    QFETCH(int, cut);
    QFETCH(QByteArray, append);
    QFETCH(QString, problem);
    const QByteArray& saved = m_savedExistsFlow;
    QByteArray damaged = cut > 0 ? saved.left(cut) : saved.left(saved.size() + cut);
    damaged += append;
    QVERIFY(writeFile(path("damaged.bin"), damaged));
    checkFlowErrorLine(run({QStringLiteral("run"), path("damaged.bin")}), path("damaged.bin"),
                       problem);
    checkFlowErrorLine(run({QStringLiteral("dump"), path("damaged.bin")}), path("damaged.bin"),
                       problem);
}

void tst_Stephost::existsFlowEndToEnd()
{
    QVERIFY(writeFile(path("present.txt"), "here"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    const StephostResult result = run({QStringLiteral("run"), existsFlow()});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err);
    const QJsonObject report = result.report();
    QCOMPARE(report.value(QLatin1String("log")).toArray(), QJsonArray());
    const QJsonObject variables = report.value(QLatin1String("variables")).toObject();
    auto valueOf = [&](const char* name) {
        return variables.value(QLatin1String(name)).toObject().value(QLatin1String("value"));
    };
    QCOMPARE(valueOf("present"), QJsonValue(true));
    QCOMPARE(valueOf("missing"), QJsonValue(false));
    QCOMPARE(valueOf("folder"), QJsonValue(true));
    QCOMPARE(valueOf("viaVar"), QJsonValue(true));
    QCOMPARE(variables.value(QLatin1String("undeclaredResult")).toObject(),
             QJsonObject({{QStringLiteral("type"), QStringLiteral("undeclared")},
                          {QStringLiteral("qt"), QStringLiteral("bool")},
                          {QStringLiteral("value"), true}}));
    const QJsonArray steps = report.value(QLatin1String("steps")).toArray();
    QCOMPARE(steps.size(), 5);
    QCOMPARE(
        steps.at(3).toObject(),
        QJsonObject({{QStringLiteral("type"), QStringLiteral("file.exists")},
                     {QStringLiteral("text"), QStringLiteral("判断文件是否存在: $path -> $viaVar")},
                     {QStringLiteral("description"),
                      QStringLiteral("判断文件 $path 是否存在，结果存入 $viaVar")}}));
}

void tst_Stephost::binaryRunEqualsJsonRun()
{
    QVERIFY(writeFile(path("present.txt"), "here"));
    QVERIFY(!savedExistsFlow().isEmpty());
    const StephostResult fromJson = run({QStringLiteral("run"), existsFlow()});
    const StephostResult fromBinary = run({QStringLiteral("run"), path("flow.bin")});
    QCOMPARE(fromBinary.exitCode, 0);
    QCOMPARE(fromBinary.out, fromJson.out);
}

void tst_Stephost::dumpRoundTrip()
{
    const QByteArray saved = savedExistsFlow();
    QVERIFY(!saved.isEmpty());
    const StephostResult dumped = run({QStringLiteral("dump"), path("flow.bin")});
    QCOMPARE(dumped.exitCode, 0);
    QVERIFY(writeFile(path("dumped.json"), dumped.out));
    QCOMPARE(run({QStringLiteral("save"), path("dumped.json"), path("again.bin")}).exitCode, 0);
    QCOMPARE(readFile(path("again.bin")), saved);
    // The dump is a JSON flow that runs like the original.
    QCOMPARE(run({QStringLiteral("run"), path("dumped.json")}).out,
             run({QStringLiteral("run"), existsFlow()}).out);
}

void tst_Stephost::roundtripOption()
{
    QVERIFY(writeFile(path("present.txt"), "here"));
    const StephostResult plain = run({QStringLiteral("run"), existsFlow()});
    const StephostResult tripped =
        run({QStringLiteral("run"), existsFlow(), QStringLiteral("--roundtrip")});
    QCOMPARE(tripped.exitCode, 0);
    QCOMPARE(tripped.out, plain.out);
}

void tst_Stephost::reportVariableFormats_data()
{
    QTest::addColumn<QByteArray>("declaration");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("list")
        << QByteArray("{\"type\": \"list\", \"value\": [\"a\", \"b\"]}")
        << QByteArray("{\"type\": \"list\", \"qt\": \"QVariantList\", \"value\": [\"a\", \"b\"]}");
    QTest::newRow("QStringList")
        << QByteArray("{\"type\": \"list\", \"value\": [\"x\", \"\"], \"qt\": \"QStringList\"}")
        << QByteArray("{\"type\": \"list\", \"qt\": \"QStringList\", \"value\": [\"x\", \"\"]}");
    QTest::newRow("datatable")
        << QByteArray("{\"type\": \"datatable\", \"value\": [[\"id\", \"名\"], [], [\"1\"]]}")
        << QByteArray("{\"type\": \"datatable\", \"qt\": \"QVariantList\", \"value\": [[\"id\", "
                      "\"名\"], [], [\"1\"]]}");
    QTest::newRow("datatable as JSON text")
        << QByteArray("{\"type\": \"datatable\", \"value\": \"[[\\\"1\\\"]]\"}")
        << QByteArray(
               "{\"type\": \"datatable\", \"qt\": \"QString\", \"value\": \"[[\\\"1\\\"]]\"}");
    QTest::newRow("bool") << QByteArray("{\"type\": \"bool\", \"value\": false}")
                          << QByteArray("{\"type\": \"bool\", \"qt\": \"bool\", \"value\": false}");
    QTest::newRow("number") << QByteArray("{\"type\": \"number\", \"value\": 1.25}")
                            << QByteArray(
                                   "{\"type\": \"number\", \"qt\": \"double\", \"value\": 1.25}");
    QTest::newRow("whole number")
        << QByteArray("{\"type\": \"number\", \"value\": -12}")
        << QByteArray("{\"type\": \"number\", \"qt\": \"double\", \"value\": -12}");
    QTest::newRow("string escapes")
        << QByteArray("{\"type\": \"string\", \"value\": \"a\\\"b\\\\c\\n\\u0001中\"}")
        << QByteArray("{\"type\": \"string\", \"qt\": \"QString\", \"value\": "
                      "\"a\\\"b\\\\c\\n\\u0001中\"}");
    QTest::newRow("object")
        << QByteArray("{\"type\": \"object\", \"value\": {\"k\": [1, null]}}")
        << QByteArray(
               "{\"type\": \"object\", \"qt\": \"QVariantMap\", \"value\": {\"k\": [1, null]}}");
    QTest::newRow("undeclared")
        << QByteArray("{\"value\": 12}")
        << QByteArray("{\"type\": \"undeclared\", \"qt\": \"double\", \"value\": 12}");
    QTest::newRow("invalid") << QByteArray("{\"type\": \"string\"}")
                             << QByteArray("{\"type\": \"string\", \"qt\": null, \"value\": null}");
    QTest::newRow("explicit null")
        << QByteArray("{\"type\": \"list\", \"value\": null}")
        << QByteArray("{\"type\": \"list\", \"qt\": null, \"value\": null}");
}

void tst_Stephost::reportVariableFormats()
{
    QFETCH(QByteArray, declaration);
    QFETCH(QByteArray, expected);
    QVERIFY(writeFile(path("flow.json"), "{\"variables\": {\"v\": " + declaration + "}}"));
    // The same through the binary format, whose values are QVariants in a QDataStream.
    QCOMPARE(run({QStringLiteral("save"), path("flow.json"), path("flow.bin")}).exitCode, 0);
    for (const QString& flow : {path("flow.json"), path("flow.bin")}) {
        const StephostResult result = run({QStringLiteral("run"), flow});
        QCOMPARE(result.exitCode, 0);
        const QJsonObject variables = result.report().value(QLatin1String("variables")).toObject();
        QCOMPARE(variables.keys(), QStringList{QStringLiteral("v")});
        QCOMPARE(variables.value(QLatin1String("v")), parseJson(expected));
    }
}

void tst_Stephost::varsFilter_data()
{
    QTest::addColumn<QString>("vars");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("two") << QStringLiteral("present,missing")
                         << QStringList{QStringLiteral("missing"), QStringLiteral("present")};
    QTest::newRow("unknown names are left out")
        << QStringLiteral("nothing,folder") << QStringList{QStringLiteral("folder")};
    QTest::newRow("none") << QString() << QStringList();
}

void tst_Stephost::varsFilter()
{
    QFETCH(QString, vars);
    QFETCH(QStringList, reported);
    const StephostResult result =
        run({QStringLiteral("run"), existsFlow(), QStringLiteral("--vars"), vars});
    QCOMPARE(result.exitCode, 0);
    const QJsonObject report = result.report();
    QCOMPARE(report.value(QLatin1String("variables")).toObject().keys(), reported);
    QCOMPARE(report.value(QLatin1String("steps")).toArray().size(), 5);
}

void tst_Stephost::reportFileMatchesOutput()
{
    const StephostResult result =
        run({QStringLiteral("run"), existsFlow(), QStringLiteral("--report"), path("report.json")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    QCOMPARE(readFile(path("report.json")), result.out);
}

QTEST_GUILESS_MAIN(tst_Stephost)
#include "tst_stephost.moc"
