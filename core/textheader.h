// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Where a string's header (reference count, size) lies, for a prefetch: the cache line that holds
// it holds the first characters too. Null for a string with no data.
inline const void* textHeader(const QString& text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return const_cast<QString&>(text).data_ptr().d_ptr();
#else
    return const_cast<QString&>(text).data_ptr();
#endif
}
