// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "palettemodel.h"

#include "flowmodel.h"
#include "pluginhost.h"
#include "svgicon.h"

#include <ioperationplugin.h>
#include <operation.h>
#include <pluginmanifest.h>

#include <QMimeData>

#include <algorithm>
#include <climits>

namespace
{

struct PaletteEntry {
    const Operation* prototype;
    int order; // within the category
};

struct PaletteCategory {
    QString name;
    int order;
    QList<PaletteEntry> entries;
};

// The orders all manifests give, the first plug-in's value winning, as the host keeps type ids.
void collectOrders(const PluginHost& host, QMap<QString, int>* categoryOrder,
                   QMap<QString, int>* typeOrder)
{
    for (const LoadedPlugin& plugin : host.plugins()) {
        const PluginManifest manifest = plugin.plugin->manifest();
        for (auto it = manifest.categoryOrder.begin(); it != manifest.categoryOrder.end(); ++it) {
            if (!categoryOrder->contains(it.key()))
                categoryOrder->insert(it.key(), it.value());
        }
        for (auto it = manifest.typeOrder.begin(); it != manifest.typeOrder.end(); ++it) {
            if (!typeOrder->contains(it.key()))
                typeOrder->insert(it.key(), it.value());
        }
    }
}

QList<PaletteCategory> paletteCategories(const PluginHost& host)
{
    QMap<QString, int> categoryOrder;
    QMap<QString, int> typeOrder;
    collectOrders(host, &categoryOrder, &typeOrder);

    QList<PaletteCategory> categories;
    for (const LoadedPlugin& plugin : host.plugins()) {
        for (const Operation* prototype : plugin.prototypes) {
            // A type id another plug-in already provides is not the one the host runs.
            if (host.prototype(prototype->typeId()) != prototype)
                continue;
            const QString root = prototype->root();
            auto category = std::find_if(categories.begin(), categories.end(),
                                         [&](const PaletteCategory& c) { return c.name == root; });
            if (category == categories.end())
                category = categories.insert(categories.end(),
                                             {root, categoryOrder.value(root, INT_MAX), {}});
            category->entries.append({prototype, typeOrder.value(prototype->typeId(), INT_MAX)});
        }
    }
    // Stable: what the manifests leave unordered keeps the plug-ins' own order.
    std::stable_sort(
        categories.begin(), categories.end(),
        [](const PaletteCategory& a, const PaletteCategory& b) { return a.order < b.order; });
    for (PaletteCategory& category : categories)
        std::stable_sort(
            category.entries.begin(), category.entries.end(),
            [](const PaletteEntry& a, const PaletteEntry& b) { return a.order < b.order; });
    return categories;
}

QStandardItem* typeItem(const Operation& prototype)
{
    auto* item = new QStandardItem(svgIcon(prototype.icon()), prototype.typeName());
    item->setData(prototype.typeId(), PaletteModel::TypeIdRole);
    item->setToolTip(prototype.description());
    item->setEditable(false);
    return item;
}

} // namespace

PaletteModel::PaletteModel(const PluginHost& host, QObject* parent) : QStandardItemModel(parent)
{
    for (const PaletteCategory& category : paletteCategories(host)) {
        auto* categoryItem = new QStandardItem(category.name);
        categoryItem->setEditable(false);
        categoryItem->setSelectable(false);
        for (const PaletteEntry& entry : category.entries)
            categoryItem->appendRow(typeItem(*entry.prototype));
        appendRow(categoryItem);
    }
}

QString PaletteModel::typeId(const QModelIndex& index)
{
    return index.data(TypeIdRole).toString();
}

QStringList PaletteModel::typeIds() const
{
    QStringList ids;
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* category = item(row);
        for (int child = 0; child < category->rowCount(); ++child)
            ids.append(category->child(child)->data(TypeIdRole).toString());
    }
    return ids;
}

QStringList PaletteModel::mimeTypes() const
{
    return {FlowModel::stepTypeMime};
}

QMimeData* PaletteModel::mimeData(const QModelIndexList& indexes) const
{
    const QString type = indexes.isEmpty() ? QString() : typeId(indexes.first());
    if (type.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(FlowModel::stepTypeMime, type.toUtf8());
    return data;
}
