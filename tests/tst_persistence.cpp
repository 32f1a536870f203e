// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Saving, loading and cloning of every step: the base payload, then the settings in declaration
// order and nothing else, so equal shapes load into each other.
#include <core/persistence.h>
#include <ioperationplugin.h>
#include <operation.h>

#include <QDataStream>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class tst_Persistence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data() { addPrototypeRows(); }
    void roundTrip();
    void unsupportedSettingTypeAborts();

private:
    void addPrototypeRows();
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

// Writes the sample values through the meta-object and returns them.
static QVariantList fillSettings(Operation* op, int variant)
{
    QVariantList values;
    const QMetaObject* meta = op->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        values << sampleValue(meta->property(i), i, variant);
        meta->property(i).write(op, values.last());
    }
    op->setCarriedState(variant == 0 ? 0xdeadbeef : 0);
    return values;
}

static QVariantList settingsOf(const Operation* op)
{
    QVariantList values;
    const QMetaObject* meta = op->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        values << meta->property(i).read(op);
    return values;
}

// The settings' types in order: payloads of classes with the same shape load into each other.
static QList<int> shapeOf(const Operation* op)
{
    QList<int> types;
    for (const QVariant& value : settingsOf(op))
        types << value.userType();
    return types;
}

static QByteArray save(const Operation* op)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    op->saveOperation(out);
    return bytes;
}

// A clone of the prototype loaded from the bytes; `complete` when it read them all and no more.
static Operation* load(const Operation* prototype, const QByteArray& bytes, bool* complete)
{
    Operation* loaded = prototype->clone(nullptr);
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    loaded->loadOperation(in);
    *complete = in.status() == QDataStream::Ok && in.atEnd();
    return loaded;
}

void tst_Persistence::roundTrip()
{
    QFETCH(Operation*, op);
    QFETCH(int, variant);
    QScopedPointer<Operation> source(op->clone(nullptr));
    const QVariantList values = fillSettings(source.data(), variant);
    QCOMPARE(settingsOf(source.data()), values); // out-of-range ints are stored unchanged

    // The payload written by hand: base payload, then each setting in its plain stream form.
    QByteArray expected;
    QDataStream out(&expected, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << source->carriedState();
    for (const QVariant& value : values) {
        if (value.userType() == QMetaType::QString)
            out << value.toString();
        else if (value.userType() == QMetaType::Int)
            out << qint32(value.toInt());
        else
            out << value.toBool();
    }
    QCOMPARE(save(source.data()), expected);

    bool complete = false;
    QScopedPointer<Operation> loaded(load(op, expected, &complete));
    QVERIFY(complete);
    QCOMPARE(settingsOf(loaded.data()), values);
    QCOMPARE(loaded->carriedState(), source->carriedState());

    QObject parent;
    QScopedPointer<Operation> cloned(source->clone(&parent));
    QCOMPARE(cloned->metaObject(), source->metaObject());
    QCOMPARE(cloned->parent(), &parent);
    QCOMPARE(settingsOf(cloned.data()), values);
    QCOMPARE(cloned->carriedState(), source->carriedState());

    // Copy and move, delete and exists share a shape: each loads the other's payload.
    int sameShape = 0;
    for (const Operation* other : qAsConst(m_prototypes)) {
        if (other == op || shapeOf(other) != shapeOf(op))
            continue;
        QScopedPointer<Operation> crossed(load(other, expected, &complete));
        QVERIFY2(complete, other->metaObject()->className());
        QCOMPARE(settingsOf(crossed.data()), values);
        ++sameShape;
    }
    const QStringList paired{"file.copy", "file.move", "file.delete", "file.exists"};
    QCOMPARE(sameShape, paired.contains(op->typeId()) ? 1 : 0);

    // Cut just after the base payload and one byte more: the settings read as empty, 0, false.
    QScopedPointer<Operation> cut(op->clone(nullptr));
    fillSettings(cut.data(), 1 - variant);
    cut.reset(load(cut.data(), expected.left(int(sizeof(quint32)) + 1), &complete));
    QVERIFY(!complete);
    QVariantList defaults;
    for (const QVariant& value : values)
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        defaults << QVariant(QMetaType(value.userType()));
#else
        defaults << QVariant(value.userType(), nullptr);
#endif
    QCOMPARE(settingsOf(cut.data()), defaults);
}

// A setting the payload has no form for.
class RatioSetting : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double ratio MEMBER m_ratio)

public:
    double m_ratio = 0.5;
};

// Runs work in a child process, silenced and without a core file; true when the child aborted.
static bool abortsInChild(void (*work)())
{
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        work();
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFSIGNALED(status) &&
           WTERMSIG(status) == SIGABRT;
}

// Test builds keep Q_ASSERT in release mode, in the steps' library as in the tests.
void tst_Persistence::unsupportedSettingTypeAborts()
{
    QVERIFY(abortsInChild([] {
        RatioSetting object;
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        saveOwnProperties(object, out);
    }));
}

QTEST_GUILESS_MAIN(tst_Persistence)
#include "tst_persistence.moc"
