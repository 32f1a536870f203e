// Saving and loading of every step the plug-in offers: the payload is the base payload followed by
// the settings in declaration order, nothing else, so equal shapes load into each other.
#include <ioperationplugin.h>
#include <operation.h>

#include <QDataStream>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QtTest>

class tst_Persistence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void payloadLayout_data();
    void payloadLayout();
    void truncatedPayload_data();
    void truncatedPayload();
    void crossTypeLoad_data();
    void crossTypeLoad();

private:
    void addPrototypeRows();
    Operation* prototype(const QString& typeId) const;
    QPluginLoader m_loader{QStringLiteral(PLUGIN_PATH)};
    QList<Operation*> m_prototypes;
};

void tst_Persistence::initTestCase()
{
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    auto* plugin = qobject_cast<IOperationPlugin*>(m_loader.instance());
    QVERIFY(plugin);
    m_prototypes = plugin->createPrototypes();
}

void tst_Persistence::cleanupTestCase()
{
    qDeleteAll(m_prototypes);
}

void tst_Persistence::addPrototypeRows()
{
    QTest::addColumn<Operation*>("op");
    QTest::addColumn<int>("variant");
    for (Operation* op : qAsConst(m_prototypes)) {
        for (int variant = 0; variant < 2; ++variant)
            QTest::addRow("%s/%d", op->metaObject()->className(), variant) << op << variant;
    }
}

Operation* tst_Persistence::prototype(const QString& typeId) const
{
    for (Operation* op : m_prototypes) {
        if (op->typeId() == typeId)
            return op;
    }
    return nullptr;
}

// Distinct, awkward values: empty and non-empty text, negative and out-of-range ints, both bools.
static QVariant sampleValue(const QMetaProperty& property, int index, int variant)
{
    switch (property.userType()) {
    case QMetaType::QString:
        return variant == 0 ? QVariant(QStringLiteral("值 %1 $x.Rows\n\"q\"").arg(index))
                            : QVariant(QString());
    case QMetaType::Int:
        return variant == 0 ? -3 - index : 7 + index;
    default:
        return (index + variant) % 2 == 0;
    }
}

static void fillSettings(Operation* op, int variant)
{
    const QMetaObject* meta = op->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        meta->property(i).write(op, sampleValue(meta->property(i), i, variant));
    op->setCarriedState(variant == 0 ? 0xdeadbeef : 0);
}

static QVariantList settingsOf(const Operation* op)
{
    QVariantList values;
    const QMetaObject* meta = op->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        values << meta->property(i).read(op);
    return values;
}

static QByteArray save(const Operation* op)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    op->saveOperation(out);
    return bytes;
}

void tst_Persistence::roundTrip_data()
{
    addPrototypeRows();
}

void tst_Persistence::roundTrip()
{
    QFETCH(Operation*, op);
    QFETCH(int, variant);
    QScopedPointer<Operation> source(op->clone(nullptr));
    fillSettings(source.data(), variant);

    const QByteArray bytes = save(source.data());
    QScopedPointer<Operation> loaded(op->clone(nullptr));
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    loaded->loadOperation(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(settingsOf(loaded.data()), settingsOf(source.data()));
    QCOMPARE(loaded->carriedState(), source->carriedState());

    QScopedPointer<Operation> cloned(source->clone(nullptr));
    QCOMPARE(settingsOf(cloned.data()), settingsOf(source.data()));
    QCOMPARE(cloned->carriedState(), source->carriedState());
}

void tst_Persistence::payloadLayout_data()
{
    addPrototypeRows();
}

void tst_Persistence::payloadLayout()
{
    QFETCH(Operation*, op);
    QFETCH(int, variant);
    QScopedPointer<Operation> source(op->clone(nullptr));
    fillSettings(source.data(), variant);

    // Written by hand: base payload, then each setting in its plain QDataStream form.
    QByteArray expected;
    QDataStream out(&expected, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << source->carriedState();
    for (const QVariant& value : settingsOf(source.data())) {
        if (value.userType() == QMetaType::QString)
            out << value.toString();
        else if (value.userType() == QMetaType::Int)
            out << qint32(value.toInt());
        else
            out << value.toBool();
    }
    QCOMPARE(save(source.data()), expected);
}

void tst_Persistence::truncatedPayload_data()
{
    addPrototypeRows();
}

void tst_Persistence::truncatedPayload()
{
    QFETCH(Operation*, op);
    QFETCH(int, variant);
    QScopedPointer<Operation> source(op->clone(nullptr));
    fillSettings(source.data(), variant);
    const QByteArray bytes = save(source.data());

    // Cut just after the base payload and the first setting: the rest reads as empty, 0, false.
    QByteArray head;
    {
        QDataStream out(&head, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_15);
        out << source->carriedState();
    }
    QScopedPointer<Operation> loaded(op->clone(nullptr));
    fillSettings(loaded.data(), 1 - variant);
    QDataStream in(bytes.left(head.size() + 1));
    in.setVersion(QDataStream::Qt_5_15);
    loaded->loadOperation(in);
    QVERIFY(in.status() != QDataStream::Ok);
    for (const QVariant& value : settingsOf(loaded.data())) {
        if (value.userType() == QMetaType::QString)
            QVERIFY(value.toString().isEmpty());
        else if (value.userType() == QMetaType::Int)
            QCOMPARE(value.toInt(), 0);
        else
            QCOMPARE(value.toBool(), false);
    }
}

void tst_Persistence::crossTypeLoad_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("move into copy") << "file.move" << "file.copy";
    QTest::newRow("copy into move") << "file.copy" << "file.move";
    QTest::newRow("delete into exists") << "file.delete" << "file.exists";
    QTest::newRow("exists into delete") << "file.exists" << "file.delete";
}

void tst_Persistence::crossTypeLoad()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    Operation* fromPrototype = prototype(from);
    Operation* toPrototype = prototype(to);
    QVERIFY(fromPrototype && toPrototype);

    QScopedPointer<Operation> source(fromPrototype->clone(nullptr));
    fillSettings(source.data(), 0);
    const QByteArray bytes = save(source.data());
    QScopedPointer<Operation> loaded(toPrototype->clone(nullptr));
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    loaded->loadOperation(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(settingsOf(loaded.data()), settingsOf(source.data()));
}

QTEST_GUILESS_MAIN(tst_Persistence)
#include "tst_persistence.moc"
