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
    void screenshot();
};

void tst_GuiLegacyEncodingMenu::keptChoiceApplies_data()
{
    QTest::addColumn<QVariant>("kept");
    QTest::addColumn<int>("chosen"); // the action triggered, -1: none
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QVariant>("property"); // invalid: no property, the locale codec decides
    const QVariant none;
    const QVariant gb(QByteArray("GB18030"));
    QTest::newRow("nothing kept") << none << -1 << "" << none;
    QTest::newRow("GB18030") << QVariant("GB18030") << -1 << "GB18030" << gb;
    QTest::newRow("UTF-8") << QVariant("UTF-8") << -1 << "UTF-8" << QVariant(QByteArray("UTF-8"));
    QTest::newRow("unknown name") << QVariant("GB-0") << -1 << "" << none;
    QTest::newRow("GB18030 chosen") << none << 1 << "GB18030" << gb;
    QTest::newRow("automatic chosen") << QVariant("GB18030") << 0 << "" << none;
}

// The tests run under LC_ALL=C.UTF-8, where "automatic" leaves the property unset. A choice is
// kept in the settings as it is applied.
void tst_GuiLegacyEncodingMenu::keptChoiceApplies()
{
    QFETCH(QVariant, kept);
    QFETCH(int, chosen);
    QFETCH(QString, choice);
    const QTemporaryDir dir;
    QSettings settings(dir.filePath("gui.ini"), QSettings::IniFormat);
    if (kept.isValid())
        settings.setValue("legacyEncoding", kept);
    const LegacyEncodingMenu menu(&settings);
    QCOMPARE(menu.actions().size(), 7);
    if (chosen >= 0) {
        menu.actions().at(chosen)->trigger();
        QCOMPARE(settings.value("legacyEncoding").toString(), choice);
    }
    QCOMPARE(menu.choice(), choice);
    QTEST(qApp->property("stephost.legacyEncoding"), "property");
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
