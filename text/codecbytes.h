// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QTextCodec>

// What a codec makes of text and bytes, the same bytes and characters under Qt 5 and Qt 6.
// Qt 6's codecs part from Qt 5's on malformed input, and Qt 5's results hold:
// - UTF-8 writes a lone surrogate as '?' (Qt 6: EF BF BD), and a high surrogate ending the text
//   as nothing, as Qt 5's encoder holds it back for a low half that never comes;
// - UTF-32 writes a high surrogate ending the text as U+FFFD (Qt 6: nothing);
// - UTF-16 and UTF-32 drop an incomplete code unit at the end of the bytes (Qt 6: U+FFFD).
// Under Qt 5 both are the codec's own calls.

// `text` encoded by `codec` through `state` (which says, for one, whether a mark is written).
QByteArray encodeText(QTextCodec* codec, QStringView text, QTextCodec::ConverterState* state);

// `size` bytes at `data` decoded by `codec` in one go, a leading mark of its own dropped.
QString decodeBytes(QTextCodec* codec, const char* data, int size);
