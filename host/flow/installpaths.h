// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Folders the hosts find relative to their own program: in a build tree next to bin/, installed
// at paths fixed relative to bin/ when the project was configured, so a moved prefix still works.
namespace InstallPaths
{

// "../plugins" in a build tree, else the installed plug-ins folder.
QString pluginDirectory();
// "../translations" in a build tree, else the installed translations folder.
QString translationDirectory();

} // namespace InstallPaths
