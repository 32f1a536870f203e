// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "persistence.h"

#include <QDataStream>
#include <QMetaProperty>

template <typename Visit> static void forEachOwnProperty(const QMetaObject* meta, Visit visit)
{
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        visit(meta->property(i));
}

void saveOwnProperties(const QObject& object, QDataStream& out)
{
    forEachOwnProperty(object.metaObject(), [&](const QMetaProperty& property) {
        const QVariant value = property.read(&object);
        switch (property.userType()) {
        case QMetaType::QString:
            out << value.toString();
            break;
        case QMetaType::Int:
            out << qint32(value.toInt());
            break;
        case QMetaType::Bool:
            out << value.toBool();
            break;
        default:
            Q_ASSERT_X(false, "saveOwnProperties", "settings are QString, int or bool");
        }
    });
}

void loadOwnProperties(QObject& object, QDataStream& in)
{
    // Values are taken as read, without range checks: a payload that ends early leaves what
    // QDataStream gives on a failed read (empty, 0, false), and the stream's status tells the host.
    forEachOwnProperty(object.metaObject(), [&](const QMetaProperty& property) {
        switch (property.userType()) {
        case QMetaType::QString: {
            QString text;
            in >> text;
            property.write(&object, text);
            break;
        }
        case QMetaType::Int: {
            qint32 number = 0;
            in >> number;
            property.write(&object, int(number));
            break;
        }
        case QMetaType::Bool: {
            bool flag = false;
            in >> flag;
            property.write(&object, flag);
            break;
        }
        default:
            Q_ASSERT_X(false, "loadOwnProperties", "settings are QString, int or bool");
        }
    });
}

void copyOwnProperties(const QObject& from, QObject& to)
{
    forEachOwnProperty(from.metaObject(), [&](const QMetaProperty& property) {
        property.write(&to, property.read(&from));
    });
}
