// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The host's legacy code page: its default from the user's locale and the names it accepts.
#include "legacyencoding.h"

#include <QtTest>

class tst_LegacyEncoding : public QObject
{
    Q_OBJECT

private slots:
    void defaultFollowsLocale_data();
    void defaultFollowsLocale();
    void acceptedNames_data();
    void acceptedNames();
};

void tst_LegacyEncoding::defaultFollowsLocale_data()
{
    QTest::addColumn<QStringList>("variables"); // NAME=VALUE
    QTest::addColumn<QByteArray>("encoding");

    const QByteArray chinese = "GB18030";
    QTest::newRow("LANG Chinese") << QStringList{"LANG=zh_CN.UTF-8"} << chinese;
    QTest::newRow("LANG C") << QStringList{"LANG=C.UTF-8"} << QByteArray();
    QTest::newRow("LANG Taiwanese") << QStringList{"LANG=zh_TW.UTF-8"} << chinese;
    QTest::newRow("nothing set") << QStringList() << QByteArray();
    QTest::newRow("LC_ALL over LANG")
        << QStringList{"LC_ALL=C", "LANG=zh_CN.UTF-8"} << QByteArray();
    QTest::newRow("LC_CTYPE over LANG")
        << QStringList{"LC_CTYPE=zh_CN.GBK", "LANG=en_US.UTF-8"} << chinese;
    QTest::newRow("LC_ALL over LC_CTYPE")
        << QStringList{"LC_ALL=zh_CN.UTF-8", "LC_CTYPE=C.UTF-8"} << chinese;
    QTest::newRow("empty counts as unset") << QStringList{"LC_ALL=", "LANG=zh_CN.UTF-8"} << chinese;
    QTest::newRow("other variables do not count")
        << QStringList{"LC_MESSAGES=zh_CN.UTF-8", "LANGUAGE=zh_CN"} << QByteArray();
}

void tst_LegacyEncoding::defaultFollowsLocale()
{
    QFETCH(QStringList, variables);
    QProcessEnvironment environment;
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QTEST(defaultLegacyEncoding(environment), "encoding");
}

void tst_LegacyEncoding::acceptedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("GB18030") << "GB18030" << true;
    QTest::newRow("an alias, any case") << "gbk" << true;
    QTest::newRow("UTF-8") << "UTF-8" << true;
    QTest::newRow("unknown") << "GB-nonsense" << false;
    QTest::newRow("empty") << "" << false;
}

// An unknown name is one line that names it and every codec's own name.
void tst_LegacyEncoding::acceptedNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const QString problem = legacyEncodingProblem(name);
    QCOMPARE(problem.isEmpty(), accepted);
    if (accepted)
        return;
    QVERIFY2(
        problem.startsWith(QStringLiteral("unknown legacy encoding \"%1\" (accepted: ").arg(name)),
        qPrintable(problem));
    QVERIFY(problem.contains(QLatin1String(", GB18030, GBK, ")));
    QVERIFY(problem.contains(QLatin1String("UTF-8")) && !problem.contains(QLatin1Char('\n')));
}

QTEST_GUILESS_MAIN(tst_LegacyEncoding)
#include "tst_legacyencoding.moc"
