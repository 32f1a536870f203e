// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

QString besideProgram(const QString& buildTree, const QString& installed)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString inBuildTree = QDir::cleanPath(programDir.filePath(buildTree));
    if (QFileInfo(inBuildTree).isDir())
        return inBuildTree;
    return QDir::cleanPath(programDir.filePath(installed));
}

} // namespace

namespace InstallPaths
{

QString pluginDirectory()
{
    return besideProgram(QStringLiteral("../plugins"),
                         QStringLiteral(STEPHOST_PLUGIN_DIR_FROM_BIN));
}

QString translationDirectory()
{
    return besideProgram(QStringLiteral("../translations"),
                         QStringLiteral(STEPHOST_TRANSLATION_DIR_FROM_BIN));
}

} // namespace InstallPaths
