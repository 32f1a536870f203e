// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/fileexistoperation.h"

#include <QDir>
#include <QtTest>

// Its texts and the host's view of it run through tests/flows/exists.json (tst_stephost).
class tst_FileExistOperation : public QObject
{
    Q_OBJECT

private slots:
    void doOperation_data();
    void doOperation();
};

void tst_FileExistOperation::doOperation_data()
{
    // clang-format off
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("resultVar");
    QTest::addColumn<QVariant>("stored"); // invalid: nothing stored

    const QString ok = QStringLiteral("ok");
    QTest::newRow("empty") << QString() << ok << QVariant(false);
    QTest::newRow("only blanks") << "   " << ok << QVariant(false);
    QTest::newRow("missing file") << "b.txt" << ok << QVariant(false);
    QTest::newRow("folder") << "folder" << ok << QVariant(true);
    QTest::newRow("blanks around") << "  a.txt \t" << ok << QVariant(true);
    QTest::newRow("reference, trimmed") << "$p" << ok << QVariant(true);
    QTest::newRow("reference to missing variable") << "$missing" << ok << QVariant(false);
    QTest::newRow("no result variable") << "a.txt" << QString() << QVariant();
    // The name is used as typed: "$ok" names a variable called "$ok".
    QTest::newRow("result name with dollar") << "a.txt" << "$ok" << QVariant(true);
    // clang-format on
}

void tst_FileExistOperation::doOperation()
{
    QFETCH(QString, fileName);
    QFETCH(QString, resultVar);
    QFETCH(QVariant, stored);
    const ScratchCwd dir;
    QVERIFY(writeFile(QStringLiteral("a.txt"), "a"));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));

    VariableScope scope;
    scope.declare(QStringLiteral("p"), VarType::String, QStringLiteral(" a.txt "));
    FileExistOperation op;
    op.setFileName(fileName);
    op.setResultVar(resultVar);
    QCOMPARE(warningsOf(op, &scope), QStringList());
    QCOMPARE(scope.names().size(), stored.isValid() ? 2 : 1);
    if (stored.isValid())
        QCOMPARE(scope.get(resultVar), stored);
}

QTEST_GUILESS_MAIN(tst_FileExistOperation)
#include "tst_fileexistoperation.moc"
