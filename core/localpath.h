// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

// `path` in the bytes a system call takes, exactly as QFile::encodeName gives them. A step over
// many files names each several times, and the code page's converter with the buffer it fills
// cost more than the system call: a short name of ASCII characters alone, under a locale whose
// code page keeps them as they are (as every code page a system names for its locale does), is
// copied byte for byte into the object itself.
class LocalPath
{
public:
    explicit LocalPath(const QString& path);
    LocalPath(const LocalPath&) = delete;
    LocalPath& operator=(const LocalPath&) = delete;

    // Ends with a zero byte.
    const char* constData() const { return m_long.isNull() ? m_short : m_long.constData(); }

private:
    char m_short[256];
    QByteArray m_long; // what the converter gave, for any other name
};
