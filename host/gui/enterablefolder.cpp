// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "enterablefolder.h"

#include <QCoreApplication>
#include <QFileInfo>

QString folderEntryError(const QString& folder)
{
    const QFileInfo info(folder);
    if (!folder.isEmpty() && info.isDir() && info.isExecutable())
        return QString();
    return QCoreApplication::translate("MainWindow", "the working folder %1 cannot be entered")
        .arg(folder);
}
