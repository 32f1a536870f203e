// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QVector>

struct Flow;
class IFileFlows;
class PluginHost;
class VariableScope;

// One flow's life as the plug-ins of its steps see it: begun (with the folder its relative paths
// resolve against) when this is made, ended when it goes, however the flow ends, so nothing a
// plug-in kept for the scope outlives it. Plug-ins that do not follow flows (IFileFlows) are left
// out: their steps take relative paths from the process's current folder.
class FlowScope
{
public:
    FlowScope(const Flow& flow, const PluginHost& host, const VariableScope* scope,
              const QString& folder);
    ~FlowScope();
    FlowScope(const FlowScope&) = delete;
    FlowScope& operator=(const FlowScope&) = delete;

private:
    QVector<IFileFlows*> m_begun;
    const VariableScope* m_scope;
};
