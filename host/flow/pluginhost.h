// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class IOperationPlugin;
class Operation;
class QObject;
class QPluginLoader;

// One plug-in library the host loaded, with the prototypes it handed over.
struct LoadedPlugin {
    QString file; // absolute path
    QString iid;
    QString className;
    IOperationPlugin* plugin = nullptr;
    QObject* instance = nullptr;  // the same object, for the optional interfaces it may offer
    QList<Operation*> prototypes; // owned by PluginHost
};

// Loads operation plug-ins through QPluginLoader, as a real host does (metadata, interface id,
// qobject_cast), and keeps their prototypes by type id.
class PluginHost
{
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads one library. A library that does not load, or does not implement the operation
    // interface, is left out and the reason is returned in error.
    bool load(const QString& file, QString* error);
    // Tries every library in dir; one message per library left out.
    void loadDirectory(const QString& dir, QStringList* errors);
    // The folder tried without --plugin: InstallPaths::pluginDirectory().
    static QString defaultPluginDirectory();
    // The libraries named (as with --plugin), else every one in the default folder. Returns one
    // line per library left out ("skipping plug-in FILE: reason") and per type id clash.
    QStringList loadNamedOrDefault(const QStringList& files);

    const QList<LoadedPlugin>& plugins() const { return m_plugins; }
    // The prototype of a type id, or null.
    const Operation* prototype(const QString& type) const { return m_byType.value(type); }
    // The plug-in object that provides a type id, or null.
    QObject* pluginInstance(const QString& type) const { return m_instanceByType.value(type); }
    // A new step of the flow step's type with its settings; the caller owns it. Null for a
    // type no plug-in provides. Settings were checked when the flow was read.
    Operation* createStep(const FlowStep& step) const;
    // Type id clashes between plug-ins found while loading (the first plug-in keeps the id).
    QStringList clashes() const { return m_clashes; }

private:
    QList<LoadedPlugin> m_plugins;
    QList<QPluginLoader*> m_loaders;
    QHash<QString, const Operation*> m_byType;
    QHash<QString, QObject*> m_instanceByType;
    QStringList m_clashes;
};
