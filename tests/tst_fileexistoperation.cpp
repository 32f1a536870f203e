#include "operations/fileexistoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileExistOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void doOperation_data();
    void doOperation();
    void emptyResultVarStoresNothing();
    void texts_data();
    void texts();
    void cloneCarriesSettings();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

void tst_FileExistOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    QVERIFY(writeFile(QStringLiteral("a.txt"), "a"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));
}

void tst_FileExistOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

void tst_FileExistOperation::doOperation_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty") << QString() << false;
    QTest::newRow("existing file") << QStringLiteral("a.txt") << true;
    QTest::newRow("missing file") << QStringLiteral("b.txt") << false;
    QTest::newRow("folder") << QStringLiteral("folder") << true;
    QTest::newRow("blanks around") << QStringLiteral("  a.txt \t") << true;
    QTest::newRow("reference") << QStringLiteral("$p") << true;
    QTest::newRow("reference to missing variable") << QStringLiteral("$missing") << false;
    QTest::newRow("only blanks") << QStringLiteral("   ") << false;
}

void tst_FileExistOperation::doOperation()
{
    QFETCH(QString, fileName);
    QFETCH(bool, expected);

    VariableScope scope;
    scope.declare(QStringLiteral("p"), VarType::String, QStringLiteral(" a.txt "));
    scope.declare(QStringLiteral("ok"), VarType::Bool, QStringLiteral("unchanged?"));
    FileExistOperation op;
    op.setFileName(fileName);
    op.setResultVar(QStringLiteral("ok"));
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(scope.get(QStringLiteral("ok")), QVariant(expected));
    QVERIFY(log.messages().isEmpty());
}

void tst_FileExistOperation::emptyResultVarStoresNothing()
{
    VariableScope scope;
    FileExistOperation op;
    op.setFileName(QStringLiteral("a.txt"));
    op.setVariableScope(&scope);
    op.doOperation();
    QVERIFY(scope.names().isEmpty());

    // The name is used as typed: "$ok" names a variable called "$ok".
    op.setResultVar(QStringLiteral("$ok"));
    op.doOperation();
    QCOMPARE(scope.get(QStringLiteral("$ok")), QVariant(true));
}

void tst_FileExistOperation::texts_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("resultVar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");

    QTest::newRow("plain name") << QStringLiteral("D:/a.txt") << QStringLiteral("ok")
                                << QStringLiteral("判断文件是否存在: D:/a.txt -> $ok")
                                << QStringLiteral("判断文件 D:/a.txt 是否存在，结果存入 $ok");
    QTest::newRow("dollar name") << QStringLiteral("$p") << QStringLiteral("$ok")
                                 << QStringLiteral("判断文件是否存在: $p -> $ok")
                                 << QStringLiteral("判断文件 $p 是否存在，结果存入 $ok");
    QTest::newRow("empty") << QString() << QString() << QStringLiteral("判断文件是否存在:  -> ")
                           << QStringLiteral("判断文件  是否存在，结果存入 ");
}

void tst_FileExistOperation::texts()
{
    QFETCH(QString, fileName);
    QFETCH(QString, resultVar);
    FileExistOperation op;
    op.setFileName(fileName);
    op.setResultVar(resultVar);
    QTEST(op.toString(), "text");
    QTEST(op.description(), "description");
}

void tst_FileExistOperation::cloneCarriesSettings()
{
    QObject parent;
    FileExistOperation op;
    op.setFileName(QStringLiteral("x"));
    op.setResultVar(QStringLiteral("y"));
    op.setCarriedState(42);
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* exist = qobject_cast<FileExistOperation*>(copy.data());
    QVERIFY(exist);
    QCOMPARE(exist->parent(), &parent);
    QCOMPARE(exist->fileName(), QStringLiteral("x"));
    QCOMPARE(exist->resultVar(), QStringLiteral("y"));
    QCOMPARE(exist->carriedState(), 42u);
}

QTEST_GUILESS_MAIN(tst_FileExistOperation)
#include "tst_fileexistoperation.moc"
