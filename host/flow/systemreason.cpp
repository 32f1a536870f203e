// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "systemreason.h"

#include <QCoreApplication>

#include <cerrno>

namespace
{

struct SystemReason {
    int code;            // errno; 0 for no system call
    const char* english; // the C library's text, as the steps give it
};

// The failures a write, copy, rename or delete meets in practice.
const SystemReason systemReasons[] = {
    {EACCES, QT_TRANSLATE_NOOP("SystemReason", "Permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("SystemReason", "Operation not permitted")},
    {EROFS, QT_TRANSLATE_NOOP("SystemReason", "Read-only file system")},
    {ENOSPC, QT_TRANSLATE_NOOP("SystemReason", "No space left on device")},
    {EDQUOT, QT_TRANSLATE_NOOP("SystemReason", "Disk quota exceeded")},
    {EFBIG, QT_TRANSLATE_NOOP("SystemReason", "File too large")},
    {ENOENT, QT_TRANSLATE_NOOP("SystemReason", "No such file or directory")},
    {ENOTDIR, QT_TRANSLATE_NOOP("SystemReason", "Not a directory")},
    {EISDIR, QT_TRANSLATE_NOOP("SystemReason", "Is a directory")},
    {EEXIST, QT_TRANSLATE_NOOP("SystemReason", "File exists")},
    {EBUSY, QT_TRANSLATE_NOOP("SystemReason", "Device or resource busy")},
    {ETXTBSY, QT_TRANSLATE_NOOP("SystemReason", "Text file busy")},
    {EXDEV, QT_TRANSLATE_NOOP("SystemReason", "Invalid cross-device link")},
    {EMFILE, QT_TRANSLATE_NOOP("SystemReason", "Too many open files")},
    {ENFILE, QT_TRANSLATE_NOOP("SystemReason", "Too many open files in system")},
    {EIO, QT_TRANSLATE_NOOP("SystemReason", "Input/output error")},
    {ELOOP, QT_TRANSLATE_NOOP("SystemReason", "Too many levels of symbolic links")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("SystemReason", "File name too long")},
    {EINVAL, QT_TRANSLATE_NOOP("SystemReason", "Invalid argument")},
    {0, QT_TRANSLATE_NOOP("SystemReason", "the system gave no reason")},
};

} // namespace

QString shownSystemReason(const QString& reason)
{
    for (const SystemReason& known : systemReasons) {
        // The steps take the text from Qt, which may word a code its own way.
        if (reason == QLatin1String(known.english) ||
            (known.code != 0 && reason == qt_error_string(known.code)))
            return QCoreApplication::translate("SystemReason", known.english);
    }
    return reason;
}

QStringList knownSystemReasons()
{
    QStringList reasons;
    for (const SystemReason& known : systemReasons)
        reasons.append(QLatin1String(known.english));
    return reasons;
}
