// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QString>

class PluginHost;

// Reads a flow file, JSON or binary (told apart by the binary magic), and checks every step
// against the loaded plug-ins. Throws FlowError; the message does not repeat the file name.
Flow readFlowFile(const QString& path, const PluginHost& host);

// Writes bytes to a file, replacing it. Throws FlowError.
void writeWholeFile(const QString& path, const char* data, qint64 size);
