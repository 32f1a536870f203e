// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QByteArray>

class PluginHost;

// The host's binary flow format, QDataStream Qt_5_15, big-endian:
//   "STEPFLOW" (8 raw bytes), quint32 format version (1, or 2 for a flow with a comment),
//   version 2 only: QString comment,
//   quint32 variable count, per variable: QString name, QString type word, QVariant value,
//   quint32 step count, per step: QString type id, then the step's own saveOperation payload.
extern const char binaryFlowMagic[8];
// A flow without a comment is written as version 1, byte for byte as before comments were kept.
const quint32 binaryFlowVersion = 1;
const quint32 binaryFlowVersionWithComment = 2;

bool isBinaryFlow(const QByteArray& data);

// Throws FlowError for a step type no plug-in provides.
QByteArray writeBinaryFlow(const Flow& flow, const PluginHost& host);

// Reads damaged data without trusting it: every count and length is checked against the bytes
// left before anything is allocated, and any short or corrupt read throws FlowError.
Flow readBinaryFlow(const QByteArray& data, const PluginHost& host);
