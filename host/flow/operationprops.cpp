// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "operationprops.h"

#include <operation.h>

#include <QMetaClassInfo>

QList<QMetaProperty> settingProperties(const Operation& op)
{
    const QMetaObject* meta = op.metaObject();
    QList<QMetaProperty> properties;
    for (int i = Operation::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
        properties.append(meta->property(i));
    return properties;
}

QVariantMap settingValues(const Operation& op)
{
    QVariantMap values;
    for (const QMetaProperty& property : settingProperties(op))
        values.insert(QString::fromLatin1(property.name()), property.read(&op));
    return values;
}

QList<QPair<QString, QString>> ownClassInfo(const Operation& op)
{
    const QMetaObject* meta = op.metaObject();
    QList<QPair<QString, QString>> entries;
    for (int i = meta->classInfoOffset(); i < meta->classInfoCount(); ++i) {
        const QMetaClassInfo info = meta->classInfo(i);
        entries.append({QString::fromUtf8(info.name()), QString::fromUtf8(info.value())});
    }
    return entries;
}

QStringList differingSettings(const Operation& a, const Operation& b)
{
    QStringList names;
    if (a.carriedState() != b.carriedState())
        names.append(QStringLiteral("carriedState"));
    for (const QMetaProperty& property : settingProperties(a)) {
        if (property.read(&a) != property.read(&b))
            names.append(QString::fromLatin1(property.name()));
    }
    return names;
}
