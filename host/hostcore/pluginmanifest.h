// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What a plug-in tells the host about itself and how to order its steps in the palette.
struct PluginManifest {
    QString pluginId;
    QString name;
    QString version;
    int apiVersion = 0;
    QString typeIdPrefix;
    QStringList requiredCapabilities;
    QStringList extraList;
    QMap<QString, int> categoryOrder;
    QMap<QString, int> typeOrder;
};
