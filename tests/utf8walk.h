// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>

// The UTF-8 structure test as the rules state it, one byte at a time: the reference the reader's
// word-at-a-time test is checked against, in the tests and by the fuzzer.
inline bool plainUtf8Walk(const QByteArray& data)
{
    for (int i = 0; i < data.size();) {
        const uchar lead = uchar(data.at(i));
        const int further = lead < 0x80   ? 0
                            : lead < 0xC0 ? -1
                            : lead < 0xE0 ? 1
                            : lead < 0xF0 ? 2
                            : lead < 0xF8 ? 3
                                          : -1;
        if (further < 0 || i + further >= data.size())
            return false;
        for (int k = 1; k <= further; ++k) {
            if ((uchar(data.at(i + k)) & 0xC0) != 0x80)
                return false;
        }
        i += further + 1;
    }
    return true;
}
