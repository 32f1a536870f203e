// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <QString>

#include <memory>

// Plays one call of a file system, written as the tests write it: "copy A B", "copy! A B" (may
// replace), "rename A B", "rename! A B", "remove A", "mkdir A", "read A", "readPart A" (its first
// bytes), "write A TEXT", "append A TEXT"; any other call does nothing. False when it failed,
// with the reason in *error where given.
inline bool playCall(FileSystem& files, const QString& call, const QString& a, const QString& b,
                     FileError* error = nullptr)
{
    const Overwrite overwrite = call.endsWith(QLatin1Char('!')) ? Overwrite::Yes : Overwrite::No;
    QByteArray bytes;
    if (call.startsWith(QLatin1String("copy")))
        return files.copyFile(a, b, overwrite, error);
    if (call.startsWith(QLatin1String("rename")))
        return files.rename(a, b, overwrite, error);
    if (call == QLatin1String("remove"))
        return files.remove(a, error);
    if (call == QLatin1String("mkdir"))
        return files.makeFolderPath(a, error);
    if (call == QLatin1String("read"))
        return files.readAll(a, 1 << 20, &bytes, error);
    if (call == QLatin1String("readPart"))
        return files.readPart(a, 0, 10, &bytes, error);
    if (call != QLatin1String("write") && call != QLatin1String("append"))
        return true;
    const WriteMode mode = call == QLatin1String("append") ? WriteMode::Append : WriteMode::Replace;
    const std::unique_ptr<FileWriter> writer = files.openForWriting(a, mode, error);
    if (writer && writer->write(b.toUtf8()) && writer->commit())
        return true;
    if (writer && error)
        *error = writer->error();
    return false;
}
