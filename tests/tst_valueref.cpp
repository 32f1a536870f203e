// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "core/valueref.h"

#include <variablescope.h>

#include <QtTest>

class tst_ValueRef : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void resolve_data();
    void resolve();
    void objectMember();
};

void tst_ValueRef::parse_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isRef");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("literal");

    QTest::newRow("name") << "$files" << true << "files" << "" << "";
    QTest::newRow("member") << "$t.Rows" << true << "t" << "Rows" << "";
    QTest::newRow("dotted member") << "$a.b.c" << true << "a" << "b.c" << "";
    QTest::newRow("trailing dot") << "$a." << true << "a" << "" << "";
    QTest::newRow("dot first") << "$.x" << true << ".x" << "" << "";
    QTest::newRow("dollar alone") << "$" << false << "" << "" << "$";
    QTest::newRow("leading blank") << " $a" << false << "" << "" << " $a";
    QTest::newRow("path") << "D:/data/in.csv" << false << "" << "" << "D:/data/in.csv";
    QTest::newRow("empty") << "" << false << "" << "" << "";
    // clang-format on
}

void tst_ValueRef::parse()
{
    QFETCH(QString, text);
    const ValueRef ref = parseValueRef(text);
    QTEST(ref.isRef, "isRef");
    QTEST(ref.name, "name");
    QTEST(ref.member, "member");
    QTEST(ref.literal, "literal");
}

static void declareSamples(VariableScope& scope)
{
    scope.declare(
        "t", VarType::DataTable,
        QVariantList{QVariantList{1, 2}, QVariantList{1, 2, 3, 4, 5}, QVariantList{1, 2, 3}});
    scope.declare("json", VarType::DataTable, "[[1, 2]]");
    scope.declare("empty", VarType::List, QVariantList());
    scope.declare("mixed", VarType::List, QVariantList{"x", QVariantList{1, 2, 3}});
    scope.declare("files", VarType::List, QVariantList{"a", "b"});
    scope.declare("names", VarType::List, QStringList{"x", "y", "z"});
    scope.declare("text", VarType::String, " hello ");
}

void tst_ValueRef::resolve_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");

    const QVariant invalid;
    QTest::newRow("rows") << "$t.Rows" << QVariant(3);
    QTest::newRow("rows lower case") << "$t.rows" << QVariant(3);
    QTest::newRow("count") << "$t.Count" << QVariant(3);
    QTest::newRow("longest row") << "$t.Columns" << QVariant(5);
    QTest::newRow("members of a table held as JSON text") << "$json.Rows" << invalid;
    QTest::newRow("columns of empty list") << "$empty.Columns" << invalid;
    QTest::newRow("columns when first item is text") << "$mixed.Columns" << invalid;
    QTest::newRow("items of list") << "$files.Items" << QVariant(QVariantList{"a", "b"});
    QTest::newRow("items of text") << "$text.Items" << invalid;
    QTest::newRow("unknown member") << "$files.Size" << invalid;
    QTest::newRow("string list") << "$names" << QVariant(QStringList{"x", "y", "z"});
    QTest::newRow("string list count") << "$names.Count" << QVariant(3);
    QTest::newRow("text kept as is") << "$text" << QVariant(" hello ");
    QTest::newRow("missing variable") << "$nothing" << invalid;
    QTest::newRow("missing variable member") << "$nothing.Rows" << invalid;
    QTest::newRow("integer literal") << "12" << QVariant(12.0);
    QTest::newRow("decimal literal") << "1.50" << QVariant(1.5);
    QTest::newRow("leading zeros") << "007" << QVariant(7.0);
    QTest::newRow("blanks around number") << " 3 " << QVariant(3.0);
    QTest::newRow("text literal keeps blanks") << " a b " << QVariant(" a b ");
    QTest::newRow("empty literal") << "" << QVariant(QString(QLatin1String("")));
    // clang-format on
}

void tst_ValueRef::resolve()
{
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    VariableScope scope;
    declareSamples(scope);
    const ValueRef ref = parseValueRef(text);
    const QVariant value = resolveValueRef(ref, &scope);
    QCOMPARE(value.isValid(), expected.isValid());
    QCOMPARE(value.userType(), expected.userType());
    QCOMPARE(value, expected);
    // Without a scope a reference is invalid; a literal still resolves.
    const QVariant unscoped = resolveValueRef(ref, nullptr);
    QCOMPARE(unscoped.isValid(), !ref.isRef);
    if (!ref.isRef)
        QCOMPARE(unscoped, expected);
}

void tst_ValueRef::objectMember()
{
    QObject object;
    object.setObjectName("widget");
    object.setProperty("Size", 7);
    VariableScope scope;
    scope.declare("o", VarType::Object, QVariant::fromValue(&object));
    QCOMPARE(resolveValueRef(parseValueRef("$o.objectName"), &scope), QVariant("widget"));
    QCOMPARE(resolveValueRef(parseValueRef("$o.Size"), &scope), QVariant(7));
    // Property names match case-sensitively, unlike the list members.
    QVERIFY(!resolveValueRef(parseValueRef("$o.size"), &scope).isValid());
}

QTEST_GUILESS_MAIN(tst_ValueRef)
#include "tst_valueref.moc"
