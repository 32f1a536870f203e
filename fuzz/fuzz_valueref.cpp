// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// A setting text resolved against a scope of lists, nested lists, string lists, data tables and
// an object: any text must resolve without crashing.
#include "core/valueref.h"

#include <variablescope.h>

#include <QObject>

static QObject* object = nullptr;
static VariableScope* scope = nullptr;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    object = new QObject;
    scope = new VariableScope;
    VariableScope& s = *scope;
    {
        object->setObjectName(QStringLiteral("obj"));
        s.declare(QStringLiteral("list"), VarType::List,
                  QVariantList{QStringLiteral("a"), 1.5, QVariant(), QVariantList{1, 2}});
        s.declare(QStringLiteral("nested"), VarType::List,
                  QVariantList{QVariantList{QVariantList{QVariantList{}}}, QVariantList{1}});
        s.declare(QStringLiteral("names"), VarType::List,
                  QStringList{QStringLiteral("x"), QString()});
        s.declare(
            QStringLiteral("t"), VarType::DataTable,
            QVariantList{QVariantList{1, 2, 3}, QVariantList{}, QVariantList{QStringLiteral("z")}});
        s.declare(QStringLiteral("text"), VarType::String, QStringLiteral("hello"));
        s.declare(QStringLiteral("o"), VarType::Object, QVariant::fromValue(object));
        s.set(QStringLiteral("loose"), QVariantMap{{QStringLiteral("k"), 1}});
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const ValueRef ref = parseValueRef(text);
    const QVariant value = resolveValueRef(ref, scope);
    (void)value.toString();
    (void)toVariantList(value);
    (void)resolveValueRef(ref, nullptr);
    return 0;
}
