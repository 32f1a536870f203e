// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowscope.h"

#include "flow.h"
#include "pluginhost.h"

#include <fileflows.h>

FlowScope::FlowScope(const Flow& flow, const PluginHost& host, const VariableScope* scope,
                     const QString& folder)
    : m_scope(scope)
{
    for (const FlowStep& step : flow.steps) {
        auto* flows = qobject_cast<IFileFlows*>(host.pluginInstance(step.type));
        if (!flows || m_begun.contains(flows))
            continue;
        flows->beginFlow(scope, folder);
        m_begun.append(flows);
    }
}

FlowScope::~FlowScope()
{
    for (IFileFlows* flows : qAsConst(m_begun))
        flows->endFlow(m_scope);
}
