// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QChar>
#include <QString>
#include <QVariantList>

// One CSV line, without line break, from a row's cells, separated by the first character of
// `delimiter` ("," when empty). A cell holding the delimiter, a quote, LF or CR is enclosed in
// quotes with its quotes doubled; every other cell is written as its text.
QString formatCsvLine(const QVariantList& cells, const QString& delimiter);

// The same line appended to `out`, so a whole file can be built in one string.
void appendCsvLine(QString& out, const QVariantList& cells, QChar delimiter);
