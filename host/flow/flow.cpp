// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flow.h"

#include <QVariantList>

#include <utility>
#include <vector>

namespace
{
struct TypeWord {
    VarType type;
    const char* word;
};
const TypeWord typeWords[] = {
    {VarType::Undeclared, "undeclared"}, {VarType::Bool, "bool"},     {VarType::Number, "number"},
    {VarType::String, "string"},         {VarType::Object, "object"}, {VarType::List, "list"},
    {VarType::DataTable, "datatable"},
};
} // namespace

QString varTypeWord(VarType type)
{
    for (const TypeWord& entry : typeWords) {
        if (entry.type == type)
            return QString::fromLatin1(entry.word);
    }
    return QStringLiteral("undeclared");
}

bool varTypeFromWord(const QString& word, VarType* type)
{
    if (word.isEmpty()) {
        *type = VarType::Undeclared;
        return true;
    }
    for (const TypeWord& entry : typeWords) {
        if (word == QLatin1String(entry.word)) {
            *type = entry.type;
            return true;
        }
    }
    return false;
}

static bool isContainer(const QVariant& value)
{
    return value.userType() == QMetaType::QVariantList ||
           value.userType() == QMetaType::QVariantMap;
}

bool nestedDeeperThan(const QVariant& value, int levels)
{
    if (!isContainer(value))
        return levels < 0;
    // Containers still to look into, each with its own depth.
    std::vector<std::pair<QVariant, int>> pending{{value, 1}};
    while (!pending.empty()) {
        const auto [container, depth] = std::move(pending.back());
        pending.pop_back();
        if (depth > levels)
            return true;
        const QVariantList items = container.userType() == QMetaType::QVariantList
                                       ? container.toList()
                                       : container.toMap().values();
        for (const QVariant& item : items) {
            if (isContainer(item))
                pending.emplace_back(item, depth + 1);
        }
    }
    return false;
}
