// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QVariant>

class Operation;
class PluginHost;

// What `stephost list` prints: every loaded plug-in with its identity, manifest and prototypes.
QVariant pluginListValue(const PluginHost& host);

// The property schema of one prototype, as `stephost schema` prints it.
QVariant operationSchemaValue(const Operation& prototype);
// The schemas of every prototype, in the order the plug-ins hand them over.
QVariant schemaListValue(const PluginHost& host);
