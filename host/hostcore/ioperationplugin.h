// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "hostcore_export.h"
#include "pluginmanifest.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class IEditorRegistry;
class Operation;

#define IOperationPlugin_iid "org.stephost.IOperationPlugin/1.0"

class HOSTCORE_EXPORT IOperationPlugin
{
public:
    virtual ~IOperationPlugin();
    virtual QList<Operation*> createPrototypes() = 0;
    virtual QString pluginId() const = 0;
    virtual QString name() const = 0;
    virtual QString version() const = 0;
    virtual int apiVersion() const = 0;
    virtual PluginManifest manifest() const = 0;
    virtual void registerEditors(IEditorRegistry& registry);
    virtual QStringList requiredCapabilities() const = 0;
};

Q_DECLARE_INTERFACE(IOperationPlugin, IOperationPlugin_iid)
