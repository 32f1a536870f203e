// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Invariants a fuzz target asserts beyond "no crash": a broken one ends the run like a crash,
// so libFuzzer keeps the input that broke it.

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline void fuzzCheck(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

// The input split into a few leading control bytes and the rest.
struct FuzzInput {
    FuzzInput(const uint8_t* data, size_t size)
        : bytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)))
    {
    }

    // The next control byte, 0 once the input is used up.
    uchar take()
    {
        if (pos >= bytes.size())
            return 0;
        return uchar(bytes.at(pos++));
    }
    QByteArray rest() const { return bytes.mid(pos); }
    // The rest as text: UTF-8, or raw UTF-16 code units (lone surrogates included) when asked.
    QString restAsText(bool utf16) const
    {
        const QByteArray tail = rest();
        if (!utf16)
            return QString::fromUtf8(tail);
        return QString(reinterpret_cast<const QChar*>(tail.constData()), tail.size() / 2);
    }

    QByteArray bytes;
    int pos = 0;
};
