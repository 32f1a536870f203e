// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What the flow fuzz targets share: the plug-in loaded once through the host, as stephost loads it.

#include "pluginhost.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstdlib>

inline PluginHost* loadFuzzHost(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv); // lives for the whole run, like the host
    auto* host = new PluginHost;
    QString error;
    if (!host->load(QStringLiteral(PLUGIN_PATH), &error)) {
        std::fprintf(stderr, "cannot load %s: %s\n", PLUGIN_PATH, qPrintable(error));
        std::exit(1);
    }
    return host;
}
