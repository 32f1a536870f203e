// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "uniquepath.h"

#include "filesystem/filesystem.h"

#include <QFileInfo>

static const int kLastNumber = 99999;

QString makeUniquePath(FileSystem& files, const QString& path)
{
    return makeUniquePath([&files](const QString& candidate) { return files.exists(candidate); },
                          path);
}

QString makeUniquePath(const std::function<bool(const QString&)>& isTaken, const QString& path)
{
    const QFileInfo info(path);
    QString folder = info.path();
    // A root folder already ends in "/"; another one would give "//name(1)".
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString prefix = folder + info.completeBaseName() + QLatin1Char('(');
    const QString suffix = info.suffix();
    const QString extension = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;

    QString candidate;
    for (int number = 1; number <= kLastNumber; ++number) {
        candidate = prefix + QString::number(number) + QLatin1Char(')') + extension;
        if (!isTaken(candidate))
            break;
    }
    return candidate;
}
