#include "operations/filereadoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDataStream>
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

template <int N> static QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

static QVariant listOf(const QStringList& items)
{
    QVariantList list;
    for (const QString& item : items)
        list.append(item);
    return list;
}

class tst_FileReadOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void stores_data();
    void stores();
    void warnings_data();
    void warnings();
    void fifoIsReportedWithoutWaiting();
    void withoutScopeNothingIsStored();
    void texts_data();
    void texts();
    void cloneAndPersistence();
    void flowThroughStephost_data();
    void flowThroughStephost();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

void tst_FileReadOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileReadOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

void tst_FileReadOperation::stores_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QVariant>("value");

    const QStringList ab = {QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("lines, final LF") << raw("a\nb\n") << 1 << listOf(ab);
    QTest::newRow("lines, no final LF") << raw("a\nb") << 1 << listOf(ab);
    QTest::newRow("lines, two final LFs")
        << raw("a\n\n") << 1 << listOf({QStringLiteral("a"), QString()});
    QTest::newRow("lines, empty line inside")
        << raw("a\n\nb") << 1 << listOf({QStringLiteral("a"), QString(), QStringLiteral("b")});
    QTest::newRow("lines, empty file") << raw("") << 1 << listOf({QString()});
    QTest::newRow("lines, only LF") << raw("\n") << 1 << listOf({QString()});
    QTest::newRow("lines, CR LF keeps CR")
        << raw("a\r\nb\r\n") << 1 << listOf({QStringLiteral("a\r"), QStringLiteral("b\r")});
    QTest::newRow("lines, UTF-16LE with mark")
        << raw("\xFF\xFE\x2D\x4E\n\0"
               "b\0")
        << 1 << listOf({QStringLiteral("中"), QStringLiteral("b")});
    QTest::newRow("text, mark removed, line ends kept")
        << raw("\xEF\xBB\xBF"
               "a\r\nb\n")
        << 0 << QVariant(QStringLiteral("a\r\nb\n"));
    QTest::newRow("text, storeAs outside the choices")
        << raw("a\nb\n") << 2 << QVariant(QStringLiteral("a\nb\n"));
    QTest::newRow("text, empty file") << raw("") << 0 << QVariant(QString());
}

void tst_FileReadOperation::stores()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, storeAs);
    QVERIFY(writeFile(QStringLiteral("in file.txt"), bytes));

    VariableScope scope;
    scope.declare(QStringLiteral("p"), VarType::String, QStringLiteral("  in file.txt \t"));
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("old"));
    scope.declare(QStringLiteral("lines"), VarType::List, listOf({QStringLiteral("old")}));
    FileReadOperation op;
    op.setFilePath(QStringLiteral("$p"));
    op.setStoreAs(storeAs);
    op.setTargetVarStr(QStringLiteral("text"));
    op.setTargetVarList(QStringLiteral("lines"));
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    const QString target = storeAs == 1 ? QStringLiteral("lines") : QStringLiteral("text");
    const QVariant stored = scope.get(target);
    QTEST(stored, "value");
    if (storeAs == 1)
        QCOMPARE(stored.userType(), int(QMetaType::QVariantList));
}

void tst_FileReadOperation::warnings_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("warning");

    const QString file = QStringLiteral("a.txt");
    QTest::newRow("empty path") << QString() << 0 << QStringLiteral("text")
                                << QStringLiteral("[FileRead] 文件路径为空，已跳过");
    QTest::newRow("blank path and no target") << QStringLiteral("  ") << 0 << QString()
                                              << QStringLiteral("[FileRead] 文件路径为空，已跳过");
    QTest::newRow("missing file, no target")
        << QStringLiteral("missing.txt") << 0 << QString()
        << QStringLiteral("[FileRead] 文件不存在： \"missing.txt\"");
    QTest::newRow("missing file, quotes escaped")
        << QStringLiteral("x\"y\\z.txt") << 1 << QStringLiteral("lines")
        << QStringLiteral("[FileRead] 文件不存在： \"x\\\"y\\\\z.txt\"");
    QTest::newRow("folder") << QStringLiteral("folder") << 0 << QStringLiteral("text")
                            << QStringLiteral("[FileRead] 读取失败： \"folder\"");
    QTest::newRow("no list target")
        << file << 1 << QString() << QStringLiteral("[FileRead] 未指定列表目标变量，已跳过");
    QTest::newRow("list target declared as string")
        << file << 1 << QStringLiteral("text")
        << QStringLiteral("[FileRead] 目标变量 \"text\" 未声明为列表，已跳过");
    QTest::newRow("list target undeclared")
        << file << 1 << QStringLiteral("nowhere")
        << QStringLiteral("[FileRead] 目标变量 \"nowhere\" 未声明为列表，已跳过");
    QTest::newRow("list target with dollar")
        << file << 1 << QStringLiteral("$lines")
        << QStringLiteral("[FileRead] 目标变量 \"$lines\" 未声明为列表，已跳过");
    QTest::newRow("no text target")
        << file << 0 << QString() << QStringLiteral("[FileRead] 未指定字符串目标变量，已跳过");
    QTest::newRow("text target declared as list")
        << file << 0 << QStringLiteral("lines")
        << QStringLiteral("[FileRead] 目标变量 \"lines\" 未声明为字符串，已跳过");
    QTest::newRow("text target undeclared")
        << file << 0 << QStringLiteral("nowhere")
        << QStringLiteral("[FileRead] 目标变量 \"nowhere\" 未声明为字符串，已跳过");
}

void tst_FileReadOperation::warnings()
{
    QFETCH(QString, filePath);
    QFETCH(int, storeAs);
    QFETCH(QString, target);
    QFETCH(QString, warning);
    QVERIFY(writeFile(QStringLiteral("a.txt"), "content"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));

    VariableScope scope;
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("old"));
    scope.declare(QStringLiteral("lines"), VarType::List, listOf({QStringLiteral("old")}));
    FileReadOperation op;
    op.setFilePath(filePath);
    op.setStoreAs(storeAs);
    op.setTargetVarStr(target);
    op.setTargetVarList(target);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{warning});
    QCOMPARE(scope.get(QStringLiteral("text")), QVariant(QStringLiteral("old")));
    QCOMPARE(scope.get(QStringLiteral("lines")), listOf({QStringLiteral("old")}));
    QVERIFY(!scope.contains(QStringLiteral("nowhere")));
}

void tst_FileReadOperation::fifoIsReportedWithoutWaiting()
{
    QCOMPARE(mkfifo("pipe", 0600), 0);
    VariableScope scope;
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("old"));
    FileReadOperation op;
    op.setFilePath(QStringLiteral("pipe"));
    op.setTargetVarStr(QStringLiteral("text"));
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{QStringLiteral("[FileRead] 读取失败： \"pipe\"")});
    QCOMPARE(scope.get(QStringLiteral("text")), QVariant(QStringLiteral("old")));
}

// The host always sets a scope; without one the target cannot be declared, so it is reported.
void tst_FileReadOperation::withoutScopeNothingIsStored()
{
    QVERIFY(writeFile(QStringLiteral("a.txt"), "content"));
    FileReadOperation op;
    op.setFilePath(QStringLiteral("a.txt"));
    op.setTargetVarStr(QStringLiteral("text"));
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(),
             QStringList{QStringLiteral("[FileRead] 目标变量 \"text\" 未声明为字符串，已跳过")});
}

void tst_FileReadOperation::texts_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("storeAs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("text target") << QStringLiteral("D:/a.txt") << 0
                                 << QStringLiteral("从文件读取文本: D:/a.txt -> $s")
                                 << QStringLiteral("读取 D:/a.txt 的内容存入 $s");
    QTest::newRow("list target") << QStringLiteral("$p") << 1
                                 << QStringLiteral("从文件读取文本: $p -> $list")
                                 << QStringLiteral("读取 $p 的内容存入 $list");
    QTest::newRow("storeAs outside the choices")
        << QStringLiteral("b.txt") << 5 << QStringLiteral("从文件读取文本: b.txt -> $s")
        << QStringLiteral("读取 b.txt 的内容存入 $s");
}

void tst_FileReadOperation::texts()
{
    QFETCH(QString, filePath);
    QFETCH(int, storeAs);
    FileReadOperation op;
    op.setFilePath(filePath);
    op.setStoreAs(storeAs);
    op.setTargetVarStr(QStringLiteral("s"));
    op.setTargetVarList(QStringLiteral("$list"));
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");

    FileReadOperation empty;
    QCOMPARE(empty.toString(), QStringLiteral("从文件读取文本:  -> "));
    QCOMPARE(empty.description(), QStringLiteral("读取  的内容存入 "));
}

void tst_FileReadOperation::cloneAndPersistence()
{
    FileReadOperation op;
    op.setFilePath(QStringLiteral("$p"));
    op.setStoreAs(-3);
    op.setTargetVarStr(QString());
    op.setTargetVarList(QStringLiteral("lines"));
    op.setCarriedState(7);

    QObject parent;
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* read = qobject_cast<FileReadOperation*>(copy.data());
    QVERIFY(read);
    QCOMPARE(read->parent(), &parent);
    QCOMPARE(read->carriedState(), 7u);
    QCOMPARE(read->filePath(), op.filePath());
    QCOMPARE(read->storeAs(), -3);
    QCOMPARE(read->targetVarList(), op.targetVarList());

    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        op.saveOperation(out);
    }
    QByteArray expected;
    {
        QDataStream out(&expected, QIODevice::WriteOnly);
        out << quint32(7) << QStringLiteral("$p") << qint32(-3) << QString()
            << QStringLiteral("lines");
    }
    QCOMPARE(payload, expected);
    FileReadOperation loaded;
    QDataStream in(payload);
    loaded.loadOperation(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(loaded.filePath(), op.filePath());
    QCOMPARE(loaded.storeAs(), -3);
    QCOMPARE(loaded.targetVarStr(), QString());
    QCOMPARE(loaded.targetVarList(), op.targetVarList());
}

void tst_FileReadOperation::flowThroughStephost_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("as built") << QStringList();
    QTest::newRow("saved and loaded first") << QStringList{QStringLiteral("--roundtrip")};
}

// Writes, appends (a list, a data table, to a UTF-16 file) and reads back through the loaded
// plug-in, as a host runs them.
void tst_FileReadOperation::flowThroughStephost()
{
    QFETCH(QStringList, options);
    QVERIFY(QDir().mkdir(QStringLiteral("out")));
    QVERIFY(writeFile(QStringLiteral("utf16.txt"), raw("\xFF\xFE"
                                                       "A\0")));
    const StephostResult run = runStephost(
        QStringList{QStringLiteral("run"), QStringLiteral(FLOWS_DIR "/text.json")} + options,
        m_dir->path());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QJsonObject report = run.report();

    const QStringList log = report.value(QLatin1String("log")).toVariant().toStringList();
    QCOMPARE(log, (QStringList{
                      QStringLiteral("[FileRead] 目标变量 \"notList\" 未声明为列表，已跳过"),
                      QStringLiteral("[FileRead] 文件不存在： \"missing.txt\""),
                      QStringLiteral("[FileWrite] 写入失败： \"nofolder/x.txt\""),
                  }));
    const QJsonObject variables = report.value(QLatin1String("variables")).toObject();
    const auto value = [&](const char* name) {
        return variables.value(QLatin1String(name)).toObject().value(QLatin1String("value"));
    };
    QCOMPARE(value("text").toString(), QStringLiteral("第一行\n第二行\nthird1, 2\n3, 4"));
    QCOMPARE(value("items").toArray(),
             (QJsonArray{QStringLiteral("第一行"), QStringLiteral("第二行"),
                         QStringLiteral("third1, 2"), QStringLiteral("3, 4")}));
    QCOMPARE(value("utf16").toString(), QStringLiteral("A\n尾"));
    QCOMPARE(value("notList").toString(), QStringLiteral("kept"));

    QCOMPARE(readFile(QStringLiteral("out/new.txt")),
             QStringLiteral("\uFEFF第一行\n第二行\nthird1, 2\n3, 4").toUtf8());
    QCOMPARE(readFile(QStringLiteral("utf16.txt")), raw("\xFF\xFE"
                                                        "A\0\n\0\x3E\x5C"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("nofolder")));
}

QTEST_GUILESS_MAIN(tst_FileReadOperation)
#include "tst_filereadoperation.moc"
