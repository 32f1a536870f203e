#include <ioperationplugin.h>
#include <operation.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>
#include <QPointer>
#include <QSet>
#include <QtTest>

// The plug-in as a host meets it: a library found and instantiated through QPluginLoader.
// Only the host core types are used here, never the step classes linked into the test.
class tst_FileOperPlugin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void metaData_data();
    void metaData();
    void casts_data();
    void casts();
    void sameInstanceUntilDeleted();
    void identity();
    void prototypesAreNewEachTime();
    void typeOrderCoversTheTenTypes();
    void iconsLiveWhileLoaded();

private:
    IOperationPlugin* plugin() const
    {
        return qobject_cast<IOperationPlugin*>(m_loader->instance());
    }

    QPluginLoader* m_loader = nullptr;
};

namespace
{

const QStringList allTypeIds = {QStringLiteral("file.exists"),  QStringLiteral("file.copy"),
                                QStringLiteral("file.move"),    QStringLiteral("file.delete"),
                                QStringLiteral("file.rename"),  QStringLiteral("file.read"),
                                QStringLiteral("file.write"),   QStringLiteral("file.parse"),
                                QStringLiteral("file.readcsv"), QStringLiteral("file.writecsv")};

bool pluginIsMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(
        QFileInfo(QStringLiteral(PLUGIN_PATH)).canonicalFilePath().toUtf8());
}

QSet<QString> toSet(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

} // namespace

void tst_FileOperPlugin::init()
{
    m_loader = new QPluginLoader(QStringLiteral(PLUGIN_PATH));
    // QPluginLoader keeps libraries mapped by default; these tests want unload() to be real.
    m_loader->setLoadHints(QLibrary::LoadHints());
    QVERIFY2(m_loader->load(), qPrintable(m_loader->errorString()));
}

void tst_FileOperPlugin::cleanup()
{
    // Every test loads the library once; unloading here lets the last test see a real unload.
    if (m_loader->isLoaded())
        m_loader->unload();
    delete m_loader;
    m_loader = nullptr;
}

void tst_FileOperPlugin::metaData_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");

    QTest::newRow("IID") << QStringLiteral("IID")
                         << QJsonValue(QStringLiteral("org.stephost.IOperationPlugin/1.0"));
    QTest::newRow("className") << QStringLiteral("className")
                               << QJsonValue(QStringLiteral("FileOperPlugin"));
    QTest::newRow("release build") << QStringLiteral("debug") << QJsonValue(false);
    QTest::newRow("no extra metadata")
        << QStringLiteral("MetaData") << QJsonValue(QJsonValue::Undefined);
}

void tst_FileOperPlugin::metaData()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);
    QCOMPARE(m_loader->metaData().value(key), expected);
}

void tst_FileOperPlugin::casts_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("toInterface");

    QTest::newRow("class name") << QByteArray("FileOperPlugin") << false;
    QTest::newRow("interface name") << QByteArray("IOperationPlugin") << true;
    QTest::newRow("interface id") << QByteArray(IOperationPlugin_iid) << true;
}

void tst_FileOperPlugin::casts()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, toInterface);
    QObject* instance = m_loader->instance();
    QVERIFY(instance);
    void* cast = instance->qt_metacast(name.constData());
    QVERIFY(cast);
    auto* interface = qobject_cast<IOperationPlugin*>(instance);
    QVERIFY(interface);
    if (toInterface)
        QCOMPARE(cast, static_cast<void*>(interface));
    else
        QCOMPARE(cast, static_cast<void*>(instance));
    QVERIFY(!instance->qt_metacast("SomethingElse"));
}

void tst_FileOperPlugin::sameInstanceUntilDeleted()
{
    QPointer<QObject> first = m_loader->instance();
    QVERIFY(first);
    QCOMPARE(m_loader->instance(), first.data());
    first->setObjectName(QStringLiteral("first"));
    delete first.data();
    QVERIFY(first.isNull());
    QObject* second = m_loader->instance();
    QVERIFY(second);
    // A new object, whatever address it got: it does not carry the first one's name.
    QCOMPARE(second->objectName(), QString());
    QVERIFY(qobject_cast<IOperationPlugin*>(second));
}

void tst_FileOperPlugin::identity()
{
    IOperationPlugin* p = plugin();
    QVERIFY(p);
    QCOMPARE(p->pluginId(), QStringLiteral("org.stephost.FileOperPlugin"));
    QCOMPARE(p->name(), QStringLiteral("文件操作插件"));
    QCOMPARE(p->version(), QStringLiteral("1.0.0"));
    QCOMPARE(p->apiVersion(), 2);
    QCOMPARE(p->requiredCapabilities(), QStringList{QStringLiteral("hasListType")});
    const PluginManifest manifest = p->manifest();
    QCOMPARE(manifest.pluginId, p->pluginId());
    QCOMPARE(manifest.name, p->name());
    QCOMPARE(manifest.version, p->version());
    QCOMPARE(manifest.apiVersion, 2);
    QCOMPARE(manifest.typeIdPrefix, QStringLiteral("file."));
    QCOMPARE(manifest.requiredCapabilities, p->requiredCapabilities());
    QVERIFY(manifest.extraList.isEmpty());
    QCOMPARE(manifest.categoryOrder.keys(), QStringList{QStringLiteral("文件")});
    QCOMPARE(manifest.categoryOrder.value(QStringLiteral("文件")), 700);
}

void tst_FileOperPlugin::prototypesAreNewEachTime()
{
    IOperationPlugin* p = plugin();
    const QList<Operation*> first = p->createPrototypes();
    const QList<Operation*> second = p->createPrototypes();
    QVERIFY(!first.isEmpty());
    QCOMPARE(second.size(), first.size());
    QSet<Operation*> distinct;
    for (Operation* op : first + second) {
        QVERIFY(op);
        QVERIFY(!op->parent());
        distinct.insert(op);
    }
    QCOMPARE(distinct.size(), first.size() * 2);
    for (int i = 0; i < first.size(); ++i)
        QCOMPARE(second.at(i)->typeId(), first.at(i)->typeId());
    qDeleteAll(first);
    qDeleteAll(second);
}

void tst_FileOperPlugin::typeOrderCoversTheTenTypes()
{
    IOperationPlugin* p = plugin();
    const QMap<QString, int> typeOrder = p->manifest().typeOrder;
    QCOMPARE(toSet(typeOrder.keys()), toSet(allTypeIds));

    const QList<Operation*> prototypes = p->createPrototypes();
    QStringList typeIds;
    for (const Operation* op : prototypes)
        typeIds.append(op->typeId());
    qDeleteAll(prototypes);
    // Prototypes come in their fixed order, each type once; all ten once every step exists.
    QCOMPARE(toSet(typeIds).size(), typeIds.size());
    int next = 0;
    for (const QString& typeId : typeIds) {
        const int position = allTypeIds.indexOf(typeId);
        QVERIFY2(position >= next, qPrintable(typeId));
        next = position + 1;
    }
    if (typeIds.size() == allTypeIds.size())
        QCOMPARE(typeIds, allTypeIds);
}

void tst_FileOperPlugin::iconsLiveWhileLoaded()
{
    const QString icon = QStringLiteral(":/images/file_read.svg");
    QVERIFY(QFile::exists(icon));
    QVERIFY(m_loader->unload());
    if (pluginIsMapped())
        QSKIP("the dynamic linker keeps the plug-in mapped after dlclose(): it exports "
              "STB_GNU_UNIQUE symbols (build it with -fno-gnu-unique), so its resources stay");
    QVERIFY(!QFile::exists(icon));
}

QTEST_GUILESS_MAIN(tst_FileOperPlugin)
#include "tst_fileoperplugin.moc"
