// Every step class, as the plug-in hands it out, follows the shape the host's property panel relies
// on. Labels, annotations and their order are fixed by the golden schema (tst_stephost); this walks
// what that output cannot show: the meta-object's flags. (Int settings outside their choices are
// stored unchanged: tst_persistence writes and reads such values for every class.)
#include <ioperationplugin.h>
#include <operation.h>

#include <QMetaProperty>
#include <QPluginLoader>
#include <QtTest>

class tst_OperationSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void classShape_data();
    void classShape();

private:
    void addPrototypeRows();
    QPluginLoader m_loader{QStringLiteral(PLUGIN_PATH)};
    QList<Operation*> m_prototypes;
};

void tst_OperationSchema::initTestCase()
{
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    auto* plugin = qobject_cast<IOperationPlugin*>(m_loader.instance());
    QVERIFY(plugin);
    m_prototypes = plugin->createPrototypes();
    QCOMPARE(m_prototypes.size(), 10);
}

void tst_OperationSchema::cleanupTestCase()
{
    qDeleteAll(m_prototypes);
}

void tst_OperationSchema::addPrototypeRows()
{
    QTest::addColumn<Operation*>("op");
    for (Operation* op : qAsConst(m_prototypes))
        QTest::newRow(op->metaObject()->className()) << op;
}

void tst_OperationSchema::classShape_data()
{
    addPrototypeRows();
}

void tst_OperationSchema::classShape()
{
    QFETCH(Operation*, op);
    const QMetaObject* meta = op->metaObject();
    QCOMPARE(meta->superClass(), &Operation::staticMetaObject);
    // No signals, slots or invokables of their own: settings are plain properties.
    QCOMPARE(meta->methodCount(), meta->methodOffset());
    QVERIFY(meta->propertyCount() > meta->propertyOffset());
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const int type = property.userType();
        QVERIFY2(type == QMetaType::QString || type == QMetaType::Int || type == QMetaType::Bool,
                 property.name());
        QVERIFY2(property.isReadable() && property.isWritable(), property.name());
        QVERIFY2(!property.hasNotifySignal() && !property.isResettable(), property.name());
        QVERIFY2(!property.isConstant() && !property.isFinal(), property.name());
        QVERIFY2(property.isDesignable() && property.isScriptable() && property.isStored(),
                 property.name());
    }
}

QTEST_GUILESS_MAIN(tst_OperationSchema)
#include "tst_operationschema.moc"
