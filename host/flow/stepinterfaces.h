// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"
#include "pluginhost.h"

#include <QCoreApplication>
#include <QVector>

// The optional interface I of each step's plug-in, in step order. Throws FlowError, before any
// step runs, for a step whose plug-in lacks it (`lacking` says what it cannot do); an unknown
// type is left to the runner, which names it.
template <class I>
QVector<I*> stepInterfaces(const Flow& flow, const PluginHost& host, const QString& lacking)
{
    QVector<I*> found;
    for (int i = 0; i < flow.steps.size(); ++i) {
        const QString& type = flow.steps.at(i).type;
        auto* interface = qobject_cast<I*>(host.pluginInstance(type));
        if (!interface && host.prototype(type))
            throw FlowError{
                QCoreApplication::translate("StepInterfaces", "step %1 (%2): its plug-in %3")
                    .arg(i + 1)
                    .arg(type, lacking)};
        found.append(interface);
    }
    return found;
}
