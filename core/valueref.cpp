// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "valueref.h"

#include <variablescope.h>

#include <QObject>
#include <algorithm>

ValueRef parseValueRef(const QString& text)
{
    ValueRef ref;
    if (text.startsWith(QLatin1Char('$')) && text.size() >= 2) {
        const QString rest = text.mid(1);
        const int dot = rest.indexOf(QLatin1Char('.'));
        ref.isRef = true;
        // A dot straight after the "$" belongs to the name: "$.x" names the variable ".x".
        if (dot > 0) {
            ref.name = rest.left(dot);
            ref.member = rest.mid(dot + 1);
        } else {
            ref.name = rest;
        }
        return ref;
    }
    ref.literal = text;
    return ref;
}

static QVariant longestRowLength(const QVariantList& rows)
{
    if (rows.isEmpty() || !isListValue(rows.first()))
        return QVariant();
    int longest = 0;
    for (const QVariant& row : rows) {
        if (isListValue(row))
            longest = std::max(longest, int(toVariantList(row).size()));
    }
    return longest;
}

static QVariant listMember(const QVariant& value, const QString& member, bool* matched)
{
    *matched = true;
    if (member.compare(QLatin1String("Rows"), Qt::CaseInsensitive) == 0)
        return int(toVariantList(value).size());
    if (member.compare(QLatin1String("Columns"), Qt::CaseInsensitive) == 0)
        return longestRowLength(toVariantList(value));
    if (member.compare(QLatin1String("Count"), Qt::CaseInsensitive) == 0)
        return int(toVariantList(value).size());
    if (member.compare(QLatin1String("Items"), Qt::CaseInsensitive) == 0)
        return value;
    *matched = false;
    return QVariant();
}

QVariant resolveValueRef(const ValueRef& ref, VariableScope* scope)
{
    if (!ref.isRef) {
        bool isNumber = false;
        const double number = ref.literal.toDouble(&isNumber);
        return isNumber ? QVariant(number) : QVariant(ref.literal);
    }
    const QVariant value = scope ? scope->get(ref.name) : QVariant();
    if (ref.member.isEmpty())
        return value;

    if (isListValue(value)) {
        bool matched = false;
        const QVariant result = listMember(value, ref.member, &matched);
        if (matched)
            return result;
    }
    if (value.canConvert<QObject*>()) {
        if (const QObject* object = qvariant_cast<QObject*>(value)) {
            const QVariant property = object->property(ref.member.toUtf8().constData());
            if (property.isValid())
                return property;
        }
    }
    return QVariant();
}

bool isListValue(const QVariant& value)
{
    const int type = value.userType();
    return type != QMetaType::QString && type != QMetaType::QByteArray &&
           value.canConvert<QVariantList>();
}

QVariantList toVariantList(const QVariant& value)
{
    // A list is taken as it is: the general conversion first looks up registered converters,
    // under a lock, which costs more than the copy when called for every row of a table.
    if (value.userType() == QMetaType::QVariantList)
        return *static_cast<const QVariantList*>(value.constData());
    return value.value<QVariantList>();
}
