// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class PluginHost;

// A plug-in's or a journal's reason as a person reads it: in the host's language when a loaded
// plug-in knows the reason in it, else the stable English text as it is. Reports keep the stable
// text; windows and tables show this one.
QString shownReason(const PluginHost& host, const QString& reason);
