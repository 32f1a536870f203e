// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// A list nested 100,000 levels deep, built here, through every part that walks values: all ten
// steps reading it or replacing it, and the host's report and binary flow writer. Qt descends
// into nested values by recursion (destroying, comparing or streaming one), so the code under
// test must walk them with a stack of its own, or refuse them before Qt does.
#include "filetree.h"

#include "binaryflow.h"
#include "core/valueref.h"
#include "core/variables.h"
#include "flow.h"
#include "pluginhost.h"
#include "report.h"
#include "runner.h"

#include <operation.h>
#include <variablescope.h>

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

const int kDepth = 100000;

QVariant deepList()
{
    QVariant value = QStringLiteral("bottom");
    for (int i = 0; i < kDepth; ++i)
        value = QVariantList{value};
    return value;
}

// The variable's value as JSON, or "deep" while it still holds the nested list.
QString shownValue(const QVariant& value)
{
    if (nestedDeeperThan(value, 3))
        return QStringLiteral("deep");
    return QString::fromUtf8(
        QJsonDocument::fromVariant(QVariantList{value}).toJson(QJsonDocument::Compact));
}

} // namespace

class tst_DeepNesting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void steps_data();
    void steps();
    void report();
    void binaryFlowRefused();

private:
    PluginHost m_host;
    QTemporaryDir* m_dir = nullptr;
    VariableScope* m_scope = nullptr;
};

void tst_DeepNesting::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

void tst_DeepNesting::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(writeFile(m_dir->filePath("in.txt"), "x"));
    m_scope = new VariableScope;
}

void tst_DeepNesting::cleanup()
{
    // Releasing the scope's only reference first spares its destructor the descent.
    for (const QString& name : m_scope->names()) {
        QVariant value = m_scope->get(name);
        m_scope->set(name, QVariant());
        releaseValue(std::move(value));
    }
    delete m_scope;
    delete m_dir;
}

void tst_DeepNesting::steps_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("settings"); // "@/" stands for the scratch folder
    QTest::addColumn<int>("declared");
    QTest::addColumn<QString>("afterwards");
    QTest::addColumn<QByteArray>("written");
    const auto add = [](const char* tag, const char* type, const char* settings, VarType declared,
                        const char* afterwards, const QByteArray& written = QByteArray()) {
        QTest::newRow(tag) << type << settings << int(declared) << afterwards << written;
    };
    const VarType list = VarType::List;
    const QByteArray mark("\xEF\xBB\xBF");
    add("write its text", "file.write", "filePath=@/out.txt|content=$deep", list, "deep",
        mark + "bottom");
    add("write it as CSV", "file.writecsv", "sourceVar=deep|filePath=@/out.txt", VarType::DataTable,
        "deep", mark);
    add("copy what it lists", "file.copy", "files=$deep|destDir=@/out", list, "deep");
    add("move what it lists into it", "file.move", "files=$deep|destDir=@/out|listVar=deep", list,
        "[[]]");
    add("delete what it lists into it", "file.delete", "files=$deep|deletedList=deep", list,
        "[[]]");
    add("rename what it lists into it", "file.rename", "files=$deep|newList=deep", list, "[[]]");
    add("test a file into it", "file.exists", "fileName=@/in.txt|resultVar=deep", list, "[true]");
    add("read lines into it", "file.read", "filePath=@/in.txt|storeAs=1|targetVarList=deep", list,
        "[[\"x\"]]");
    add("read a CSV into it", "file.readcsv", "filePath=@/in.txt|targetVar=deep",
        VarType::DataTable, "[[[\"x\"]]]");
    add("parse a path into it", "file.parse", "filePath=@/in.txt|nameVar=deep", VarType::String,
        "[\"in\"]");
}

void tst_DeepNesting::steps()
{
    QFETCH(QString, type);
    QFETCH(QString, settings);
    QFETCH(int, declared);
    QFETCH(QString, afterwards);
    QFETCH(QByteArray, written);

    // The scope holds the only reference, so a step that replaces the variable destroys it.
    m_scope->declare(QStringLiteral("deep"), VarType(declared), deepList());
    const std::unique_ptr<Operation> step(m_host.prototype(type)->clone(nullptr));
    QVERIFY(applySettings(step.get(), settings.replace("@/", m_dir->path() + '/')));
    QCOMPARE(warningsOf(*step, m_scope), QStringList());
    QCOMPARE(shownValue(m_scope->get(QStringLiteral("deep"))), afterwards);
    QCOMPARE(readFile(m_dir->filePath("out.txt")), written);
}

void tst_DeepNesting::report()
{
    RunResult result;
    result.scope.declare(QStringLiteral("deep"), VarType::List, deepList());
    QCOMPARE(resolveValueRef(parseValueRef(QStringLiteral("$deep.Columns")), &result.scope),
             QVariant(1));
    const std::string text = reportText(result);
    // Linear in the depth: the layout stops indenting after a few dozen levels.
    QVERIFY(text.size() < 4 * size_t(kDepth));
    QVERIFY(text.find("\"bottom\"") != std::string::npos);
    QVERIFY(text.rfind(std::string(kDepth - 64, ']')) != std::string::npos);
    QVariant value = result.scope.get(QStringLiteral("deep"));
    result.scope.set(QStringLiteral("deep"), QVariant());
    releaseValue(std::move(value));
}

void tst_DeepNesting::binaryFlowRefused()
{
    Flow flow;
    flow.variables.append(FlowVariable{QStringLiteral("deep"), VarType::List, deepList()});
    QVERIFY(nestedDeeperThan(flow.variables.first().value, maxValueNesting));
    QString message;
    try {
        writeBinaryFlow(flow, m_host);
    } catch (const FlowError& error) {
        message = error.message;
    }
    QCOMPARE(message,
             QStringLiteral("variable \"deep\": the value is nested more than 1021 levels deep"));
    releaseValue(std::move(flow.variables.first().value));
}

QTEST_GUILESS_MAIN(tst_DeepNesting)
#include "tst_deepnesting.moc"
