// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QVariant>

#include <string>

// How flows and reports map values between JSON and QVariant: string <-> QString, number ->
// double, true/false <-> bool, array <-> QVariantList (nested), object <-> QVariantMap,
// null <-> invalid QVariant.
QVariant jsonToVariant(const QJsonValue& value);

// Writes a QVariant as indented UTF-8 JSON text. Lists of plain values stay on one line, so a
// data table prints one row per line. Linear in the size of the value, whatever its shape:
// reports of tables with a million rows go through here. QVariantMap keys come sorted.
void appendJson(std::string& out, const QVariant& value, int indent = 0);
QByteArray toJsonText(const QVariant& value);
