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
    void resolveWithoutScope();
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

static VariableScope* sampleScope()
{
    auto* scope = new VariableScope;
    const QVariantList table{QVariantList{1, 2}, QVariantList{1, 2, 3, 4, 5},
                             QVariantList{1, 2, 3}};
    scope->declare(QStringLiteral("t"), VarType::DataTable, table);
    scope->declare(QStringLiteral("json"), VarType::DataTable, QStringLiteral("[[1, 2]]"));
    scope->declare(QStringLiteral("empty"), VarType::List, QVariantList());
    scope->declare(QStringLiteral("mixed"), VarType::List,
                   QVariantList{QStringLiteral("x"), QVariantList{1, 2, 3}});
    scope->declare(QStringLiteral("files"), VarType::List,
                   QVariantList{QStringLiteral("a"), QStringLiteral("b")});
    scope->declare(QStringLiteral("names"), VarType::List,
                   QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")});
    scope->declare(QStringLiteral("text"), VarType::String, QStringLiteral(" hello "));
    return scope;
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
    QTest::newRow("items of list")
        << "$files.Items" << QVariant(QVariantList{QStringLiteral("a"), QStringLiteral("b")});
    QTest::newRow("items of text") << "$text.Items" << invalid;
    QTest::newRow("unknown member") << "$files.Size" << invalid;
    QTest::newRow("string list") << "$names"
                                 << QVariant(QStringList{QStringLiteral("x"), QStringLiteral("y"),
                                                         QStringLiteral("z")});
    QTest::newRow("string list count") << "$names.Count" << QVariant(3);
    QTest::newRow("text kept as is") << "$text" << QVariant(QStringLiteral(" hello "));
    QTest::newRow("missing variable") << "$nothing" << invalid;
    QTest::newRow("missing variable member") << "$nothing.Rows" << invalid;
    QTest::newRow("integer literal") << "12" << QVariant(12.0);
    QTest::newRow("decimal literal") << "1.50" << QVariant(1.5);
    QTest::newRow("leading zeros") << "007" << QVariant(7.0);
    QTest::newRow("blanks around number") << " 3 " << QVariant(3.0);
    QTest::newRow("text literal keeps blanks") << " a b " << QVariant(QStringLiteral(" a b "));
    QTest::newRow("empty literal") << "" << QVariant(QString(QLatin1String("")));
    // clang-format on
}

void tst_ValueRef::resolve()
{
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    QScopedPointer<VariableScope> scope(sampleScope());
    const QVariant value = resolveValueRef(parseValueRef(text), scope.data());
    QCOMPARE(value.isValid(), expected.isValid());
    QCOMPARE(value.userType(), expected.userType());
    QCOMPARE(value, expected);
}

// Without a scope a reference is invalid; a literal still resolves.
void tst_ValueRef::resolveWithoutScope()
{
    QVERIFY(!resolveValueRef(parseValueRef(QStringLiteral("$x")), nullptr).isValid());
    QVERIFY(!resolveValueRef(parseValueRef(QStringLiteral("$x.Rows")), nullptr).isValid());
    QCOMPARE(resolveValueRef(parseValueRef(QStringLiteral("1.50")), nullptr), QVariant(1.5));
}

void tst_ValueRef::objectMember()
{
    QObject object;
    object.setObjectName(QStringLiteral("widget"));
    object.setProperty("Size", 7);
    VariableScope scope;
    scope.declare(QStringLiteral("o"), VarType::Object, QVariant::fromValue(&object));
    QCOMPARE(resolveValueRef(parseValueRef(QStringLiteral("$o.objectName")), &scope),
             QVariant(QStringLiteral("widget")));
    QCOMPARE(resolveValueRef(parseValueRef(QStringLiteral("$o.Size")), &scope), QVariant(7));
    // Property names match case-sensitively, unlike the list members.
    QVERIFY(!resolveValueRef(parseValueRef(QStringLiteral("$o.size")), &scope).isValid());
}

QTEST_GUILESS_MAIN(tst_ValueRef)
#include "tst_valueref.moc"
