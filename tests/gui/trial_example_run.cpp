// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The stephost-gui program for real, under an X server (xvfb-run): it opens the office example in
// a scratch copy of its files, runs it, saves a picture of itself and closes, saying nothing on
// standard error, Qt included. The pictures go under build/screenshots/.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class ExampleRunTrial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void runsQuietly_data();
    void runsQuietly();
};

namespace
{

// A desktop session's environment inside the scratch folder: its own home (settings, documents)
// and runtime folder, the locale lang and, when not empty, LANGUAGE.
QProcessEnvironment sessionEnvironment(const QDir& scratch, const QString& lang,
                                       const QString& language)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "QT_QPA_PLATFORM",
                             "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), lang);
    if (!language.isEmpty())
        env.insert(QStringLiteral("LANGUAGE"), language);
    env.insert(QStringLiteral("HOME"), scratch.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.filePath(QStringLiteral("runtime")));
    return env;
}

} // namespace

void ExampleRunTrial::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"),
             "run under an X server: xvfb-run -a -s '-screen 0 1280x800x24' trial_example_run");
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
}

void ExampleRunTrial::runsQuietly_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("screenshot");
    const QString lang = QStringLiteral("zh_CN.UTF-8");
    QTest::newRow("Chinese") << lang << QString() << QStringLiteral("stephost-gui-zh.png");
    QTest::newRow("English") << lang << QStringLiteral("en")
                             << QStringLiteral("stephost-gui-en.png");
}

void ExampleRunTrial::runsQuietly()
{
    QFETCH(QString, lang);
    QFETCH(QString, language);
    QFETCH(QString, screenshot);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QDir dir(scratch.path());
    const QString office = dir.filePath(QStringLiteral("office"));
    QCOMPARE(QProcess::execute(
                 QStringLiteral("cp"),
                 {QStringLiteral("-R"), QStringLiteral(EXAMPLES_DIR "/office-files"), office}),
             0);
    const QString flow = QDir(office).filePath(QStringLiteral("office.json"));
    QVERIFY(QFile::copy(QStringLiteral(EXAMPLES_DIR "/office.json"), flow));
    QVERIFY(dir.mkpath(QStringLiteral("home")));
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    QVERIFY(dir.mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner));

    const QString picture = QStringLiteral(SCREENSHOT_DIR "/") + screenshot;
    QFile::remove(picture);
    QProcess window;
    window.setProcessEnvironment(sessionEnvironment(dir, lang, language));
    window.start(QStringLiteral(STEPHOST_GUI_PATH),
                 {QStringLiteral("--run"), QStringLiteral("--screenshot"), picture, flow});
    QVERIFY2(window.waitForFinished(120000), "stephost-gui did not close");
    const QByteArray errors = window.readAllStandardError();
    QVERIFY2(errors.isEmpty(), errors.constData());
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);

    // The run worked in the flow's own folder.
    for (const char* changed :
         {"backup/2026-12/sales(1).txt", "scans/001_receipt-taxi.txt", "orders-by-customer.csv"})
        QVERIFY2(QFileInfo::exists(QDir(office).filePath(QLatin1String(changed))), changed);
    const QImage image(picture);
    QCOMPARE(image.size(), QSize(1280, 800));
    qInfo("screenshot: %s", qPrintable(picture));
}

QTEST_GUILESS_MAIN(ExampleRunTrial)
#include "trial_example_run.moc"
