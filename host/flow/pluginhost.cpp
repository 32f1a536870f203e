// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "pluginhost.h"

#include "installpaths.h"

#include <ioperationplugin.h>
#include <operation.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace
{
class PluginHostText
{
    Q_DECLARE_TR_FUNCTIONS(PluginHost)
};
} // namespace

PluginHost::~PluginHost()
{
    // Prototypes run code of their libraries when destroyed, so they go first; the libraries
    // themselves stay mapped until the process ends, as QPluginLoader leaves them.
    for (LoadedPlugin& plugin : m_plugins)
        qDeleteAll(plugin.prototypes);
    qDeleteAll(m_loaders);
}

bool PluginHost::load(const QString& file, QString* error)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    for (const LoadedPlugin& loaded : qAsConst(m_plugins)) {
        if (QFileInfo(loaded.file).canonicalFilePath() == QFileInfo(path).canonicalFilePath())
            return true;
    }

    auto* loader = new QPluginLoader(path);
    const QJsonObject metaData = loader->metaData();
    if (metaData.isEmpty()) {
        // Not a Qt plug-in at all (or not a library): load() words the reason best.
        loader->load();
        *error = loader->errorString();
        delete loader;
        return false;
    }
    const QString iid = metaData.value(QStringLiteral("IID")).toString();
    if (iid != QLatin1String(IOperationPlugin_iid)) {
        *error = PluginHostText::tr("interface id \"%1\" is not \"%2\"")
                     .arg(iid)
                     .arg(QLatin1String(IOperationPlugin_iid));
        delete loader;
        return false;
    }
    QObject* instance = loader->instance();
    auto* plugin = qobject_cast<IOperationPlugin*>(instance);
    if (!plugin) {
        *error = instance
                     ? PluginHostText::tr("the plug-in object does not implement IOperationPlugin")
                     : loader->errorString();
        delete loader;
        return false;
    }

    LoadedPlugin loaded;
    loaded.file = path;
    loaded.iid = iid;
    loaded.className = metaData.value(QStringLiteral("className")).toString();
    loaded.plugin = plugin;
    loaded.instance = instance;
    loaded.prototypes = plugin->createPrototypes();
    for (const Operation* prototype : qAsConst(loaded.prototypes)) {
        const QString type = prototype->typeId();
        if (m_byType.contains(type))
            m_clashes.append(PluginHostText::tr("%1: type id \"%2\" is already provided by another "
                                                "plug-in; the first one is used")
                                 .arg(path)
                                 .arg(type));
        else {
            m_byType.insert(type, prototype);
            m_instanceByType.insert(type, instance);
        }
    }
    m_plugins.append(loaded);
    m_loaders.append(loader);
    return true;
}

QStringList PluginHost::loadNamedOrDefault(const QStringList& files)
{
    QStringList errors;
    if (files.isEmpty()) {
        loadDirectory(defaultPluginDirectory(), &errors);
    } else {
        for (const QString& file : files) {
            QString error;
            if (!load(file, &error))
                errors.append(QStringLiteral("%1: %2").arg(file).arg(error));
        }
    }
    QStringList lines;
    for (const QString& error : qAsConst(errors))
        lines.append(PluginHostText::tr("skipping plug-in %1").arg(error));
    return lines + m_clashes;
}

void PluginHost::loadDirectory(const QString& dir, QStringList* errors)
{
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!QLibrary::isLibrary(entry.fileName()))
            continue;
        QString error;
        if (!load(entry.absoluteFilePath(), &error))
            errors->append(QStringLiteral("%1: %2").arg(entry.absoluteFilePath()).arg(error));
    }
}

Operation* PluginHost::createStep(const FlowStep& step) const
{
    const Operation* source = prototype(step.type);
    if (!source)
        return nullptr;
    Operation* op = source->clone(nullptr);
    op->setCarriedState(step.carriedState);
    for (auto it = step.settings.begin(); it != step.settings.end(); ++it)
        op->setProperty(it.key().toLatin1().constData(), it.value());
    return op;
}

QString PluginHost::defaultPluginDirectory()
{
    return InstallPaths::pluginDirectory();
}
