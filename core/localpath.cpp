// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "localpath.h"

#include <QFile>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <atomic>

namespace
{

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Whether `codec` turns each ASCII character into the one byte of the same value. Asked of the
// codec itself, once for each codec the locale has had.
bool keepsAscii(QTextCodec* codec)
{
    static std::atomic<QTextCodec*> known{nullptr};
    if (codec == known.load(std::memory_order_acquire))
        return true;
    QString characters(128, Qt::Uninitialized);
    QByteArray bytes(128, Qt::Uninitialized);
    for (int i = 0; i < 128; ++i) {
        characters[i] = QChar(ushort(i));
        bytes[i] = char(i);
    }
    if (codec->fromUnicode(characters) != bytes)
        return false;
    known.store(codec, std::memory_order_release);
    return true;
}
#endif

// Whether the bytes QFile::encodeName gives an ASCII name are its characters' own values.
bool localeKeepsAscii()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return true; // Qt 6 names files in UTF-8 here, whatever the locale
#else
    QTextCodec* const codec = QTextCodec::codecForLocale();
    return codec && keepsAscii(codec);
#endif
}

bool isAscii(const ushort* characters, int size)
{
    ushort all = 0;
    for (int i = 0; i < size; ++i)
        all |= characters[i];
    return all < 0x80;
}

} // namespace

LocalPath::LocalPath(const QString& path)
{
    const int size = path.size();
    const ushort* const characters = path.utf16();
    // The zero byte at the end must fit too.
    if (size < int(sizeof m_short) && isAscii(characters, size) && localeKeepsAscii()) {
        for (int i = 0; i < size; ++i)
            m_short[i] = char(characters[i]);
        m_short[size] = '\0';
        return;
    }
    m_long = QFile::encodeName(path);
    // A name that encodes to nothing still has its zero byte.
    if (m_long.isNull())
        m_long = QByteArray("");
}
