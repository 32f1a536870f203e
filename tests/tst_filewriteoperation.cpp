#include "operations/filewriteoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

template <int N> static QByteArray raw(const char (&bytes)[N])
{
    return QByteArray(bytes, N - 1);
}

static const QByteArray kMark = "\xEF\xBB\xBF";

class tst_FileWriteOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void content_data();
    void content();
    void modes_data();
    void modes();
    void warnings_data();
    void warnings();
    void valueText_data();
    void valueText();
    void texts_data();
    void texts();
    void cloneAndPersistence();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

void tst_FileWriteOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileWriteOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

static void declareContentVariables(VariableScope& scope)
{
    scope.declare(QStringLiteral("list"), VarType::List,
                  QVariantList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    scope.declare(QStringLiteral("strings"), VarType::List,
                  QStringList{QStringLiteral("s1"), QStringLiteral("s2")});
    scope.declare(QStringLiteral("table"), VarType::DataTable,
                  QVariantList{QVariantList{QStringLiteral("1"), QStringLiteral("2")},
                               QVariantList{3.0, 4.5}});
    scope.declare(
        QStringLiteral("nested"), VarType::List,
        QVariantList{QStringLiteral("x"),
                     QVariantList{QStringLiteral("y"),
                                  QVariantList{QStringLiteral("z1"), QStringLiteral("z2")}}});
    scope.declare(QStringLiteral("empty"), VarType::List, QVariantList());
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral(" 中文\r\n"));
    scope.declare(QStringLiteral("map"), VarType::Object,
                  QVariantMap{{QStringLiteral("k"), QStringLiteral("v")}});
}

void tst_FileWriteOperation::content_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("literal") << QStringLiteral("abc") << kMark + "abc";
    QTest::newRow("multi-line literal, untrimmed")
        << QStringLiteral("  a\n b \n") << kMark + "  a\n b \n";
    QTest::newRow("number literal 007") << QStringLiteral("007") << kMark + "7";
    QTest::newRow("number literal 1.50") << QStringLiteral("1.50") << kMark + "1.5";
    QTest::newRow("not a number") << QStringLiteral("007a") << kMark + "007a";
    QTest::newRow("empty") << QString() << kMark;
    QTest::newRow("string variable")
        << QStringLiteral("$text") << kMark + raw(" \xE4\xB8\xAD\xE6\x96\x87\r\n");
    QTest::newRow("list, one line per item") << QStringLiteral("$list") << kMark + "a\nb\nc";
    QTest::newRow("string list") << QStringLiteral("$strings") << kMark + "s1\ns2";
    QTest::newRow("data table, cells joined") << QStringLiteral("$table") << kMark + "1, 2\n3, 4.5";
    QTest::newRow("nested lists") << QStringLiteral("$nested") << kMark + "x\ny, z1, z2";
    QTest::newRow("empty list") << QStringLiteral("$empty") << kMark;
    QTest::newRow("list Items member") << QStringLiteral("$list.Items") << kMark + "a\nb\nc";
    QTest::newRow("list Count member") << QStringLiteral("$list.Count") << kMark + "3";
    QTest::newRow("missing variable") << QStringLiteral("$missing") << kMark;
    QTest::newRow("map has no text") << QStringLiteral("$map") << kMark;
}

void tst_FileWriteOperation::content()
{
    QFETCH(QString, content);
    VariableScope scope;
    declareContentVariables(scope);
    scope.declare(QStringLiteral("path"), VarType::String, QStringLiteral(" out.txt "));
    FileWriteOperation op;
    op.setFilePath(QStringLiteral("$path"));
    op.setContent(content);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QTEST(readFile(QStringLiteral("out.txt")), "bytes");
}

void tst_FileWriteOperation::modes_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<bool>("appendNoNewline");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("overwrite") << QByteArray("old") << QStringLiteral("abc") << 0 << false
                               << kMark + "abc";
    QTest::newRow("ifExist outside the choices overwrites")
        << QByteArray("old") << QStringLiteral("abc") << 2 << true << kMark + "abc";
    QTest::newRow("overwrite with nothing")
        << QByteArray("old") << QString() << 0 << false << kMark;
    QTest::newRow("append on a new line")
        << QByteArray("abc") << QStringLiteral("x") << 1 << false << QByteArray("abc\nx");
    QTest::newRow("append without newline")
        << QByteArray("abc") << QStringLiteral("x") << 1 << true << QByteArray("abcx");
    QTest::newRow("append after a final LF")
        << QByteArray("abc\n") << QStringLiteral("x") << 1 << false << QByteArray("abc\nx");
    QTest::newRow("append nothing adds the line break")
        << QByteArray("abc") << QString() << 1 << false << QByteArray("abc\n");
    QTest::newRow("append to a missing file")
        << QByteArray() << QStringLiteral("x") << 1 << false << kMark + "x";
    QTest::newRow("append a list to UTF-16LE") << raw("\xFF\xFE"
                                                      "a\0")
                                               << QStringLiteral("$list") << 1 << false
                                               << raw("\xFF\xFE"
                                                      "a\0\n\0a\0\n\0b\0\n\0c\0");
}

void tst_FileWriteOperation::modes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, content);
    QFETCH(int, ifExist);
    QFETCH(bool, appendNoNewline);
    if (!before.isNull())
        QVERIFY(writeFile(QStringLiteral("out.txt"), before));
    VariableScope scope;
    declareContentVariables(scope);
    FileWriteOperation op;
    op.setFilePath(QStringLiteral("out.txt"));
    op.setContent(content);
    op.setIfExist(ifExist);
    op.setAppendNoNewline(appendNoNewline);
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QTEST(readFile(QStringLiteral("out.txt")), "after");
}

void tst_FileWriteOperation::warnings_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("warning");

    QTest::newRow("empty path") << QString() << 0
                                << QStringLiteral("[FileWrite] 文件路径为空，已跳过");
    QTest::newRow("blank path") << QStringLiteral(" \t") << 1
                                << QStringLiteral("[FileWrite] 文件路径为空，已跳过");
    QTest::newRow("reference to nothing")
        << QStringLiteral("$missing") << 0 << QStringLiteral("[FileWrite] 文件路径为空，已跳过");
    QTest::newRow("missing folder")
        << QStringLiteral("nofolder/out.txt") << 0
        << QStringLiteral("[FileWrite] 写入失败： \"nofolder/out.txt\"");
    QTest::newRow("missing folder, append")
        << QStringLiteral("nofolder/out.txt") << 1
        << QStringLiteral("[FileWrite] 写入失败： \"nofolder/out.txt\"");
    QTest::newRow("parent is a file")
        << QStringLiteral("keep.txt/out.txt") << 0
        << QStringLiteral("[FileWrite] 写入失败： \"keep.txt/out.txt\"");
    QTest::newRow("target is a folder")
        << QStringLiteral("folder") << 0 << QStringLiteral("[FileWrite] 写入失败： \"folder\"");
    QTest::newRow("target is a folder, append")
        << QStringLiteral("folder") << 1 << QStringLiteral("[FileWrite] 写入失败： \"folder\"");
    QTest::newRow("FIFO does not hang")
        << QStringLiteral("pipe") << 0 << QStringLiteral("[FileWrite] 写入失败： \"pipe\"");
    QTest::newRow("FIFO, append, does not hang")
        << QStringLiteral("pipe") << 1 << QStringLiteral("[FileWrite] 写入失败： \"pipe\"");
    QTest::newRow("quote and backslash escaped")
        << QStringLiteral("no\"dir\\/x") << 0
        << QStringLiteral("[FileWrite] 写入失败： \"no\\\"dir\\\\/x\"");
}

void tst_FileWriteOperation::warnings()
{
    QFETCH(QString, filePath);
    QFETCH(int, ifExist);
    QFETCH(QString, warning);
    QVERIFY(writeFile(QStringLiteral("keep.txt"), "keep"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
    QCOMPARE(mkfifo("pipe", 0600), 0);
    const QStringList entriesBefore = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    FileWriteOperation op;
    op.setFilePath(filePath);
    op.setContent(QStringLiteral("x"));
    op.setIfExist(ifExist);
    VariableScope scope;
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList{warning});
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entriesBefore);
    QCOMPARE(readFile(QStringLiteral("keep.txt")), QByteArray("keep"));
    QVERIFY(QDir(QStringLiteral("folder")).isEmpty());
}

void tst_FileWriteOperation::valueText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("string") << QVariant(QStringLiteral("a b")) << QStringLiteral("a b");
    QTest::newRow("number") << QVariant(2.5) << QStringLiteral("2.5");
    QTest::newRow("invalid") << QVariant() << QString();
    QTest::newRow("list") << QVariant(QVariantList{QStringLiteral("a"), 1.0})
                          << QStringLiteral("a, 1");
    QTest::newRow("string list") << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")})
                                 << QStringLiteral("a, b");
    QTest::newRow("nested") << QVariant(QVariantList{
                                   QStringLiteral("a"),
                                   QVariantList{QStringLiteral("b"), QStringLiteral("c")}})
                            << QStringLiteral("a, b, c");
}

void tst_FileWriteOperation::valueText()
{
    QFETCH(QVariant, value);
    QTEST(::valueText(value), "text");
}

void tst_FileWriteOperation::texts_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("overwrite") << QStringLiteral("D:/a.txt") << QStringLiteral("$t") << 0
                               << QStringLiteral("将文本写入文件: -> D:/a.txt")
                               << QStringLiteral("将文本$t写入 D:/a.txt（覆盖）");
    QTest::newRow("append") << QStringLiteral("$p") << QStringLiteral("hello") << 1
                            << QStringLiteral("将文本写入文件: -> $p")
                            << QStringLiteral("将文本hello写入 $p（追加）");
    QTest::newRow("outside the choices")
        << QStringLiteral("b.txt") << QString() << 2 << QStringLiteral("将文本写入文件: -> b.txt")
        << QStringLiteral("将文本写入 b.txt（覆盖）");
}

void tst_FileWriteOperation::texts()
{
    QFETCH(QString, filePath);
    QFETCH(QString, content);
    QFETCH(int, ifExist);
    FileWriteOperation op;
    op.setFilePath(filePath);
    op.setContent(content);
    op.setIfExist(ifExist);
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");
}

void tst_FileWriteOperation::cloneAndPersistence()
{
    FileWriteOperation op;
    op.setFilePath(QStringLiteral("out.txt"));
    op.setContent(QStringLiteral("line 1\nline 2"));
    op.setIfExist(7);
    op.setAppendNoNewline(true);
    op.setCarriedState(9);

    QObject parent;
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* write = qobject_cast<FileWriteOperation*>(copy.data());
    QVERIFY(write);
    QCOMPARE(write->parent(), &parent);
    QCOMPARE(write->carriedState(), 9u);
    QCOMPARE(write->content(), op.content());
    QCOMPARE(write->ifExist(), 7);
    QCOMPARE(write->appendNoNewline(), true);

    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        op.saveOperation(out);
    }
    QByteArray expected;
    {
        QDataStream out(&expected, QIODevice::WriteOnly);
        out << quint32(9) << op.filePath() << op.content() << qint32(7) << true;
    }
    QCOMPARE(payload, expected);
    FileWriteOperation loaded;
    QDataStream in(payload);
    loaded.loadOperation(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(loaded.filePath(), op.filePath());
    QCOMPARE(loaded.content(), op.content());
    QCOMPARE(loaded.ifExist(), 7);
    QCOMPARE(loaded.appendNoNewline(), true);
}

QTEST_GUILESS_MAIN(tst_FileWriteOperation)
#include "tst_filewriteoperation.moc"
