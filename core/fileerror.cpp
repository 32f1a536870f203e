// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "fileerror.h"

FileError FileError::system(Operation operation, const QString& path, int code)
{
    // A check of the plug-in's own may refuse where no system call failed.
    const QString text =
        code != 0 ? qt_error_string(code) : QStringLiteral("the system gave no reason");
    return withText(operation, path, code, text);
}

FileError FileError::withText(Operation operation, const QString& path, int code,
                              const QString& text)
{
    FileError error;
    error.operation = operation;
    error.path = path;
    error.code = code;
    error.text = text;
    return error;
}

FileError FileError::journalRefused(Operation operation, const QString& path, const QString& text)
{
    FileError error = withText(operation, path, 0, text);
    error.refusedBy = RefusedBy::Journal;
    return error;
}

QString operationName(FileError::Operation operation)
{
    switch (operation) {
    case FileError::Operation::None:
        break;
    case FileError::Operation::MakeFolder:
        return QStringLiteral("mkdir");
    case FileError::Operation::Copy:
        return QStringLiteral("copy");
    case FileError::Operation::Rename:
        return QStringLiteral("rename");
    case FileError::Operation::Remove:
        return QStringLiteral("remove");
    case FileError::Operation::Open:
        return QStringLiteral("open");
    case FileError::Operation::Read:
        return QStringLiteral("read");
    case FileError::Operation::Write:
        return QStringLiteral("write");
    case FileError::Operation::Commit:
        return QStringLiteral("commit");
    }
    return QString();
}

bool failWith(FileError* error, const FileError& value)
{
    if (error)
        *error = value;
    return false;
}
