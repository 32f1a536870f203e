// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The legacy code page preference: kept in the settings, applied to the whole application.
#include "legacyencodingmenu.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class tst_GuiLegacyEncodingMenu : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qApp->setProperty("stephost.legacyEncoding", QVariant()); }
    void keptChoiceApplies_data();
    void keptChoiceApplies();
    void choosingKeepsAndApplies();
    void screenshot();
};

void tst_GuiLegacyEncodingMenu::keptChoiceApplies_data()
{
    QTest::addColumn<QVariant>("kept");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QVariant>("property"); // invalid: no property, the locale codec decides
    QTest::newRow("nothing kept") << QVariant() << "" << QVariant();
    QTest::newRow("GB18030") << QVariant("GB18030") << "GB18030" << QVariant(QByteArray("GB18030"));
    QTest::newRow("UTF-8") << QVariant("UTF-8") << "UTF-8" << QVariant(QByteArray("UTF-8"));
    QTest::newRow("unknown name") << QVariant("GB-0") << "" << QVariant();
}

// The tests run under LC_ALL=C.UTF-8, where "automatic" leaves the property unset.
void tst_GuiLegacyEncodingMenu::keptChoiceApplies()
{
    QFETCH(QVariant, kept);
    const QTemporaryDir dir;
    QSettings settings(dir.filePath("gui.ini"), QSettings::IniFormat);
    if (kept.isValid())
        settings.setValue("legacyEncoding", kept);
    const LegacyEncodingMenu menu(&settings);
    QTEST(menu.choice(), "choice");
    QTEST(qApp->property("stephost.legacyEncoding"), "property");
    QCOMPARE(menu.actions().size(), 7);
}

void tst_GuiLegacyEncodingMenu::choosingKeepsAndApplies()
{
    const QTemporaryDir dir;
    QSettings settings(dir.filePath("gui.ini"), QSettings::IniFormat);
    LegacyEncodingMenu menu(&settings);
    menu.actions().at(1)->trigger();
    QCOMPARE(menu.choice(), "GB18030");
    QCOMPARE(settings.value("legacyEncoding").toString(), "GB18030");
    QCOMPARE(qApp->property("stephost.legacyEncoding"), QVariant(QByteArray("GB18030")));
    menu.actions().at(0)->trigger();
    QCOMPARE(settings.value("legacyEncoding").toString(), "");
    QCOMPARE(qApp->property("stephost.legacyEncoding"), QVariant());
}

// The open menu, for a look at its texts, written under the build folder.
void tst_GuiLegacyEncodingMenu::screenshot()
{
    const QTemporaryDir dir;
    QSettings settings(dir.filePath("gui.ini"), QSettings::IniFormat);
    settings.setValue("legacyEncoding", "GB18030");
    LegacyEncodingMenu menu(&settings);
    menu.popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    const QString path = QStringLiteral(SCREENSHOT_DIR "/legacy-encoding-menu.png");
    QVERIFY(menu.grab().save(path));
    qInfo("screenshot: %s", qPrintable(path));
}

QTEST_MAIN(tst_GuiLegacyEncodingMenu)
#include "tst_gui_legacyencodingmenu.moc"
