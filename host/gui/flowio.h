// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QString>

class PluginHost;

// The two formats stephost reads, told apart on reading by the binary magic.
enum class FlowFormat { Json, Binary };

// What a file name asks for: ".json" is a JSON flow, anything else the binary format.
FlowFormat flowFormatForPath(const QString& path);

// Writes the flow as stephost writes it (the JSON of `stephost dump`, the bytes of
// `stephost save`), replacing the file only once the whole flow is written. Throws FlowError.
void saveFlowFile(const QString& path, const Flow& flow, FlowFormat format, const PluginHost& host);
