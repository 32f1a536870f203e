// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

class VariableScope;

// A text setting parsed as either literal text or a reference to a flow variable:
// "$name" for its value, "$name.member" for a value derived from it (Rows, Columns, Count, Items,
// or a property of an object).
struct ValueRef {
    bool isRef = false;
    QString name;
    QString member;
    QString literal;
};

ValueRef parseValueRef(const QString& text);
QVariant resolveValueRef(const ValueRef& ref, VariableScope* scope);
QVariantList toVariantList(const QVariant& value);
// Whether the value is a list of items (a list, a text list, a sequence Qt can walk), text and
// bytes excepted: Qt 6 walks those as lists of characters.
bool isListValue(const QVariant& value);
