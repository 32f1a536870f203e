// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "greetplugin.h"

#include <variablescope.h>

#include <QDataStream>

void GreetOperation::doOperation() const
{
    if (variableScope() && !m_resultVar.isEmpty())
        variableScope()->set(m_resultVar, QStringLiteral("Hello, %1!").arg(m_name));
}

// The base payload first, then this step's settings, so a saved flow loads back the same.
void GreetOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    out << m_name << m_resultVar;
}

void GreetOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    in >> m_name >> m_resultVar;
}

Operation* GreetOperation::clone(QObject* parent) const
{
    auto* copy = new GreetOperation;
    copy->setParent(parent);
    copy->m_name = m_name;
    copy->m_resultVar = m_resultVar;
    return copy;
}

PluginManifest GreetPlugin::manifest() const
{
    PluginManifest manifest;
    manifest.pluginId = pluginId();
    manifest.name = name();
    manifest.version = version();
    manifest.apiVersion = apiVersion();
    manifest.typeIdPrefix = QStringLiteral("greet.");
    return manifest;
}
