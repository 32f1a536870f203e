// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "variables.h"

#include <variablescope.h>

#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

namespace
{

bool isContainer(const QVariant& value)
{
    const int type = value.userType();
    return type == QMetaType::QVariantList || type == QMetaType::QVariantMap ||
           type == QMetaType::QVariantHash;
}

// Moves the nested containers out of a container that nobody else holds, so that destroying it
// destroys only plain values. A container still shared is left whole: destroying this reference
// to it destroys nothing.
template <typename Container> void takeNested(Container container, std::vector<QVariant>& pending)
{
    if (!container.isDetached())
        return;
    for (QVariant& item : container) {
        if (isContainer(item))
            pending.push_back(std::move(item));
    }
}

void takeNestedOf(QVariant& value, std::vector<QVariant>& pending)
{
    const int type = value.userType();
    // The container is taken out of the variant first, so that this copy is its only reference
    // when nobody else holds it.
    if (type == QMetaType::QVariantList) {
        QVariantList list = value.toList();
        value.clear();
        takeNested(std::move(list), pending);
    } else if (type == QMetaType::QVariantMap) {
        QVariantMap map = value.toMap();
        value.clear();
        takeNested(std::move(map), pending);
    } else if (type == QMetaType::QVariantHash) {
        QVariantHash hash = value.toHash();
        value.clear();
        takeNested(std::move(hash), pending);
    }
}

} // namespace

void releaseValue(QVariant value)
{
    std::vector<QVariant> pending;
    pending.push_back(std::move(value));
    while (!pending.empty()) {
        QVariant current = std::move(pending.back());
        pending.pop_back();
        takeNestedOf(current, pending);
    }
}

void setVariable(VariableScope* scope, const QString& name, const QVariant& value)
{
    QVariant previous = scope->get(name);
    scope->set(name, value);
    releaseValue(std::move(previous));
}
