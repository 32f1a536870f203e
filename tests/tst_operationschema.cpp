// Every step class, as the plug-in hands it out, follows the same property-schema rules the host's
// property panel relies on. The classes are walked through their meta-objects, so a step added
// later is checked without touching this file.
#include <ioperationplugin.h>
#include <operation.h>

#include <QMetaClassInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QRegularExpression>
#include <QtTest>

Q_DECLARE_METATYPE(const QMetaObject*)

class tst_OperationSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void classShape_data();
    void classShape();
    void properties_data();
    void properties();
    void classInfo_data();
    void classInfo();
    void identity_data();
    void identity();
    void outOfRangeIntStoredUnchanged_data();
    void outOfRangeIntStoredUnchanged();

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
    const QString className = QString::fromLatin1(meta->className());
    QVERIFY(className.startsWith(QLatin1String("File")));
    QVERIFY(className.endsWith(QLatin1String("Operation")));
    QCOMPARE(meta->superClass(), &Operation::staticMetaObject);
    // No signals, slots or invokables of their own: settings are plain properties.
    QCOMPARE(meta->methodCount(), meta->methodOffset());
    QVERIFY(meta->propertyCount() > meta->propertyOffset());
}

void tst_OperationSchema::properties_data()
{
    addPrototypeRows();
}

void tst_OperationSchema::properties()
{
    QFETCH(Operation*, op);
    const QMetaObject* meta = op->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QByteArray name = property.name();
        const int type = property.userType();
        QVERIFY2(type == QMetaType::QString || type == QMetaType::Int || type == QMetaType::Bool,
                 name.constData());
        QVERIFY2(property.isReadable() && property.isWritable(), name.constData());
        QVERIFY2(!property.hasNotifySignal() && !property.isResettable(), name.constData());
        QVERIFY2(!property.isConstant() && !property.isFinal(), name.constData());
        QVERIFY2(property.isDesignable() && property.isScriptable() && property.isStored(),
                 name.constData());
    }
}

static QStringList ownPropertyNames(const QMetaObject* meta)
{
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    return names;
}

static int ownPropertyType(const QMetaObject* meta, const QString& name)
{
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    return index < meta->propertyOffset() ? QMetaType::UnknownType : meta->property(index).userType();
}

void tst_OperationSchema::classInfo_data()
{
    addPrototypeRows();
}

void tst_OperationSchema::classInfo()
{
    QFETCH(Operation*, op);
    const QMetaObject* meta = op->metaObject();
    const QStringList properties = ownPropertyNames(meta);
    const QStringList prefixes{QStringLiteral("prop_"),      QStringLiteral("editor_"),
                               QStringLiteral("choices_"),   QStringLiteral("show_when_"),
                               QStringLiteral("range_"),     QStringLiteral("path_type_"),
                               QStringLiteral("varname_type_"), QStringLiteral("varref_type_")};
    const QStringList editorKinds{QStringLiteral("FILEPATH"), QStringLiteral("FOLDERPATH"),
                                  QStringLiteral("MULTIFILE"), QStringLiteral("VARNAME"),
                                  QStringLiteral("VARREF"),   QStringLiteral("COMBO"),
                                  QStringLiteral("SPINBOX"),  QStringLiteral("NUMVAR:INT")};

    QMap<QString, QMap<QString, QString>> entries; // property -> prefix -> value
    int lastPropertyIndex = -1;
    QString currentProperty;
    for (int i = meta->classInfoOffset(); i < meta->classInfoCount(); ++i) {
        const QString key = QString::fromUtf8(meta->classInfo(i).name());
        const QString value = QString::fromUtf8(meta->classInfo(i).value());
        QString prefix;
        for (const QString& candidate : prefixes) {
            // "show_when_" and "varname_type_" must win over shorter look-alikes.
            if (key.startsWith(candidate) && candidate.size() > prefix.size())
                prefix = candidate;
        }
        QVERIFY2(!prefix.isEmpty(), qPrintable(key));
        const QString property = key.mid(prefix.size());
        const int propertyIndex = properties.indexOf(property);
        QVERIFY2(propertyIndex >= 0, qPrintable(key + QLatin1String(" names no property")));
        // Grouped by property, in property order, the label first.
        if (property != currentProperty) {
            QVERIFY2(propertyIndex > lastPropertyIndex, qPrintable(key));
            QCOMPARE(prefix, QStringLiteral("prop_"));
            lastPropertyIndex = propertyIndex;
            currentProperty = property;
        }
        QVERIFY2(!entries[property].contains(prefix), qPrintable(key + QLatin1String(" twice")));
        entries[property][prefix] = value;
    }

    for (const QString& property : properties) {
        const QMap<QString, QString> info = entries.value(property);
        const int type = ownPropertyType(meta, property);
        QVERIFY2(!info.value(QStringLiteral("prop_")).isEmpty(), qPrintable(property));
        const QString editor = info.value(QStringLiteral("editor_"));
        if (type == QMetaType::Bool) {
            QVERIFY2(editor.isEmpty(), qPrintable(property));
            continue;
        }
        QVERIFY2(editorKinds.contains(editor), qPrintable(property + QLatin1Char(' ') + editor));
        const bool intEditor = editor == QLatin1String("COMBO") || editor == QLatin1String("SPINBOX");
        QCOMPARE(type, intEditor ? int(QMetaType::Int) : int(QMetaType::QString));
        QCOMPARE(info.contains(QStringLiteral("choices_")), editor == QLatin1String("COMBO"));
        if (editor == QLatin1String("COMBO"))
            QVERIFY(info.value(QStringLiteral("choices_")).split(QLatin1Char('|')).size() >= 2);
        QCOMPARE(info.contains(QStringLiteral("range_")), editor == QLatin1String("SPINBOX"));
        if (editor == QLatin1String("SPINBOX")) {
            const QStringList bounds = info.value(QStringLiteral("range_")).split(QLatin1Char('-'));
            QCOMPARE(bounds.size(), 2);
            QVERIFY(bounds[0].toUInt() <= bounds[1].toUInt());
        }
        const bool path = editor == QLatin1String("FILEPATH") || editor == QLatin1String("FOLDERPATH");
        QCOMPARE(info.contains(QStringLiteral("path_type_")), path);
        if (path)
            QCOMPARE(info.value(QStringLiteral("path_type_")), QStringLiteral("string"));
        QCOMPARE(info.contains(QStringLiteral("varname_type_")), editor == QLatin1String("VARNAME"));
        if (editor == QLatin1String("VARNAME")) {
            const QStringList types{QStringLiteral("string"), QStringLiteral("bool"),
                                    QStringLiteral("list"), QStringLiteral("datatable")};
            QVERIFY(types.contains(info.value(QStringLiteral("varname_type_"))));
        }
        if (info.contains(QStringLiteral("varref_type_"))) {
            QCOMPARE(editor, QStringLiteral("VARREF"));
            const QString types = info.value(QStringLiteral("varref_type_"));
            QVERIFY(types == QLatin1String("string") || types == QLatin1String("string,list"));
        }
        if (info.contains(QStringLiteral("show_when_"))) {
            static const QRegularExpression condition(QStringLiteral("^(\\w+)=(\\d+)$"));
            const auto match = condition.match(info.value(QStringLiteral("show_when_")));
            QVERIFY(match.hasMatch());
            QCOMPARE(ownPropertyType(meta, match.captured(1)), int(QMetaType::Int));
        }
    }
}

void tst_OperationSchema::identity_data()
{
    addPrototypeRows();
}

void tst_OperationSchema::identity()
{
    QFETCH(Operation*, op);
    QCOMPARE(op->root(), QStringLiteral("文件"));
    QVERIFY(op->typeId().startsWith(QLatin1String("file.")));
    QVERIFY(op->icon().startsWith(QLatin1String(":/images/file_")));
    QVERIFY(QFile::exists(op->icon()));
    QVERIFY(!op->typeName().isEmpty());
    QVERIFY(op->toString().startsWith(op->typeName()));
    QVERIFY(!op->parent());
}

void tst_OperationSchema::outOfRangeIntStoredUnchanged_data()
{
    addPrototypeRows();
}

void tst_OperationSchema::outOfRangeIntStoredUnchanged()
{
    QFETCH(Operation*, op);
    QScopedPointer<Operation> copy(op->clone(nullptr));
    const QMetaObject* meta = copy->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.userType() != QMetaType::Int)
            continue;
        for (int value : {-5, 7, 123456789}) {
            QVERIFY(property.write(copy.data(), value));
            QCOMPARE(property.read(copy.data()).toInt(), value);
        }
    }
}

QTEST_GUILESS_MAIN(tst_OperationSchema)
#include "tst_operationschema.moc"
