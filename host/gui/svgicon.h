// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QIcon>
#include <QString>

// A step's icon drawn from its SVG resource (":/images/...") by QtSvg, so it looks sharp at any
// size without the image-format plug-ins. Null when the path names no SVG the renderer can read.
// Icons are kept by path: the same path gives the same icon.
QIcon svgIcon(const QString& resourcePath);
