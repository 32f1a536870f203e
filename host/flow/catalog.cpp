// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "catalog.h"

#include "operationprops.h"
#include "pluginhost.h"

#include <ioperationplugin.h>
#include <operation.h>

#include <QFileInfo>

namespace
{

QVariantMap intMap(const QMap<QString, int>& map)
{
    QVariantMap result;
    for (auto it = map.begin(); it != map.end(); ++it)
        result.insert(it.key(), it.value());
    return result;
}

QVariant manifestValue(const PluginManifest& manifest)
{
    QVariantMap value;
    value.insert(QStringLiteral("pluginId"), manifest.pluginId);
    value.insert(QStringLiteral("name"), manifest.name);
    value.insert(QStringLiteral("version"), manifest.version);
    value.insert(QStringLiteral("apiVersion"), manifest.apiVersion);
    value.insert(QStringLiteral("typeIdPrefix"), manifest.typeIdPrefix);
    value.insert(QStringLiteral("requiredCapabilities"), manifest.requiredCapabilities);
    value.insert(QStringLiteral("extraList"), manifest.extraList);
    value.insert(QStringLiteral("categoryOrder"), intMap(manifest.categoryOrder));
    value.insert(QStringLiteral("typeOrder"), intMap(manifest.typeOrder));
    return value;
}

QVariantMap identityValue(const Operation& op)
{
    QVariantMap value;
    value.insert(QStringLiteral("type"), op.typeId());
    value.insert(QStringLiteral("class"), QString::fromLatin1(op.metaObject()->className()));
    value.insert(QStringLiteral("root"), op.root());
    value.insert(QStringLiteral("typeName"), op.typeName());
    value.insert(QStringLiteral("icon"), op.icon());
    return value;
}

QVariant prototypeValue(const Operation& op)
{
    QVariantMap value = identityValue(op);
    value.insert(QStringLiteral("iconResolves"), QFileInfo::exists(op.icon()));
    return value;
}

QVariant pluginValue(const LoadedPlugin& loaded)
{
    const IOperationPlugin& plugin = *loaded.plugin;
    QVariantMap value;
    value.insert(QStringLiteral("file"), loaded.file);
    value.insert(QStringLiteral("iid"), loaded.iid);
    value.insert(QStringLiteral("className"), loaded.className);
    value.insert(QStringLiteral("pluginId"), plugin.pluginId());
    value.insert(QStringLiteral("name"), plugin.name());
    value.insert(QStringLiteral("version"), plugin.version());
    value.insert(QStringLiteral("apiVersion"), plugin.apiVersion());
    value.insert(QStringLiteral("requiredCapabilities"), plugin.requiredCapabilities());
    value.insert(QStringLiteral("manifest"), manifestValue(plugin.manifest()));
    QVariantList prototypes;
    for (const Operation* op : loaded.prototypes)
        prototypes.append(prototypeValue(*op));
    value.insert(QStringLiteral("prototypes"), prototypes);
    return value;
}

// Class-info keys a property may carry, with the report key each one becomes.
struct InfoPrefix {
    const char* prefix;
    const char* key;
};
const InfoPrefix infoPrefixes[] = {
    {"prop_", "label"},
    {"editor_", "editor"},
    {"choices_", "choices"},
    {"show_when_", "show_when"},
    {"range_", "range"},
    {"path_type_", "path_type"},
    {"varname_type_", "varname_type"},
    {"varref_type_", "varref_type"},
};

} // namespace

QVariant pluginListValue(const PluginHost& host)
{
    QVariantList plugins;
    for (const LoadedPlugin& loaded : host.plugins())
        plugins.append(pluginValue(loaded));
    QVariantMap value;
    value.insert(QStringLiteral("plugins"), plugins);
    return value;
}

QVariant operationSchemaValue(const Operation& prototype)
{
    const QList<QPair<QString, QString>> classInfo = ownClassInfo(prototype);
    QHash<QString, QString> infoByKey;
    QVariantList classInfoPairs;
    for (const auto& entry : classInfo) {
        infoByKey.insert(entry.first, entry.second);
        classInfoPairs.append(QVariant(QStringList{entry.first, entry.second}));
    }

    QVariantList properties;
    for (const QMetaProperty& property : settingProperties(prototype)) {
        const QString name = QString::fromLatin1(property.name());
        QVariantMap value;
        value.insert(QStringLiteral("name"), name);
        value.insert(QStringLiteral("type"), QString::fromLatin1(property.typeName()));
        value.insert(QStringLiteral("default"), property.read(&prototype));
        for (const InfoPrefix& info : infoPrefixes) {
            const auto found = infoByKey.constFind(QLatin1String(info.prefix) + name);
            if (found == infoByKey.constEnd())
                continue;
            if (qstrcmp(info.key, "choices") == 0)
                value.insert(QLatin1String(info.key), found->split(QLatin1Char('|')));
            else
                value.insert(QLatin1String(info.key), *found);
        }
        properties.append(value);
    }

    QVariantMap value = identityValue(prototype);
    value.insert(QStringLiteral("toString"), prototype.toString());
    value.insert(QStringLiteral("description"), prototype.description());
    value.insert(QStringLiteral("properties"), properties);
    value.insert(QStringLiteral("classInfo"), classInfoPairs);
    return value;
}

QVariant schemaListValue(const PluginHost& host)
{
    QVariantList schemas;
    for (const LoadedPlugin& loaded : host.plugins()) {
        for (const Operation* op : loaded.prototypes)
            schemas.append(operationSchemaValue(*op));
    }
    return schemas;
}
