// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include <ioperationplugin.h>
#include <operation.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>
#include <QSet>
#include <QtTest>

// The plug-in through QPluginLoader; its identity and manifest are checked by tst_stephost::list.
class tst_FileOperPlugin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void metaData();
    void prototypesAreNewEachTime();
    void iconsLiveWhileLoaded();

private:
    QPluginLoader* m_loader = nullptr;
};

void tst_FileOperPlugin::init()
{
    m_loader = new QPluginLoader(QStringLiteral(PLUGIN_PATH));
    // QPluginLoader keeps libraries mapped by default; these tests want unload() to be real.
    m_loader->setLoadHints(QLibrary::LoadHints());
    QVERIFY2(m_loader->load(), qPrintable(m_loader->errorString()));
}

void tst_FileOperPlugin::cleanup()
{
    if (m_loader->isLoaded())
        m_loader->unload();
    delete m_loader;
    m_loader = nullptr;
}

void tst_FileOperPlugin::metaData()
{
    const QJsonObject metaData = m_loader->metaData();
    QCOMPARE(metaData.value(QLatin1String("debug")), QJsonValue(false)); // a release build
    QVERIFY(!metaData.contains(QLatin1String("MetaData")));
}

void tst_FileOperPlugin::prototypesAreNewEachTime()
{
    auto* plugin = qobject_cast<IOperationPlugin*>(m_loader->instance());
    const QList<Operation*> both = plugin->createPrototypes() + plugin->createPrototypes();
    QCOMPARE(both.size(), 20);
    QSet<Operation*> distinct;
    for (Operation* op : both) {
        QVERIFY(op && !op->parent());
        distinct.insert(op);
    }
    QCOMPARE(distinct.size(), 20);
    qDeleteAll(both);
}

void tst_FileOperPlugin::iconsLiveWhileLoaded()
{
    const QString icon = QStringLiteral(":/images/file_read.svg");
    QVERIFY(QFile::exists(icon));
    QVERIFY(m_loader->unload());
    QFile maps(QStringLiteral("/proc/self/maps"));
    const QByteArray plugin = QFileInfo(QStringLiteral(PLUGIN_PATH)).canonicalFilePath().toUtf8();
    if (maps.open(QIODevice::ReadOnly) && maps.readAll().contains(plugin))
        QSKIP("the dynamic linker keeps the plug-in mapped after dlclose(): it exports "
              "STB_GNU_UNIQUE symbols (build it with -fno-gnu-unique), so its resources stay");
    QVERIFY(!QFile::exists(icon));
}

QTEST_GUILESS_MAIN(tst_FileOperPlugin)
#include "tst_fileoperplugin.moc"
