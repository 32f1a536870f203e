// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QByteArray>
#include <QVariant>

class PluginHost;

// A JSON flow: {"variables": {NAME: {"type", "value", "qt"}}, "steps": [{"type", "settings"}]}.
// Every setting is checked against the step's prototype; any problem throws FlowError.
Flow readJsonFlow(const QByteArray& text, const PluginHost& host);

// The flow as the JSON value readJsonFlow reads back; steps list every setting.
QVariant jsonFlowValue(const Flow& flow);
