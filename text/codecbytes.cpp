// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "codecbytes.h"

#include <algorithm>
#include <iterator>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)

namespace
{

// The codecs' MIB numbers (IANA): Qt 5 and Qt 6 agree on these.
const int kMibUtf8 = 106;
const int kMibUtf16[] = {1013, 1014, 1015};
const int kMibUtf32[] = {1017, 1018, 1019};

template <size_t N> bool isOneOf(int mib, const int (&mibs)[N])
{
    return std::find(std::begin(mibs), std::end(mibs), mib) != std::end(mibs);
}

bool endsWithHighSurrogate(QStringView text)
{
    return !text.isEmpty() && text.back().isHighSurrogate();
}

// Lone surrogates as '?', and a high surrogate at the end left out.
QString withQt5Utf8Replacements(QStringView text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            result.append(c);
            result.append(text[++i]);
        } else if (c.isHighSurrogate() && i + 1 == size) {
            break;
        } else {
            result.append(c.isSurrogate() ? QLatin1Char('?') : c);
        }
    }
    return result;
}

bool holdsSurrogate(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

} // namespace

QByteArray encodeText(QTextCodec* codec, QStringView text, QTextCodec::ConverterState* state)
{
    const int mib = codec->mibEnum();
    if (mib == kMibUtf8 && holdsSurrogate(text)) {
        const QString mended = withQt5Utf8Replacements(text);
        return codec->fromUnicode(mended.constData(), int(mended.size()), state);
    }
    if (isOneOf(mib, kMibUtf32) && endsWithHighSurrogate(text)) {
        const QString mended = text.chopped(1).toString() + QChar(QChar::ReplacementCharacter);
        return codec->fromUnicode(mended.constData(), int(mended.size()), state);
    }
    return codec->fromUnicode(text.data(), int(text.size()), state);
}

QString decodeBytes(QTextCodec* codec, const char* data, int size)
{
    const int mib = codec->mibEnum();
    if (isOneOf(mib, kMibUtf16))
        size -= size % 2;
    else if (isOneOf(mib, kMibUtf32))
        size -= size % 4;
    return codec->toUnicode(data, size);
}

#else

QByteArray encodeText(QTextCodec* codec, QStringView text, QTextCodec::ConverterState* state)
{
    return codec->fromUnicode(text.data(), int(text.size()), state);
}

QString decodeBytes(QTextCodec* codec, const char* data, int size)
{
    return codec->toUnicode(data, size);
}

#endif
