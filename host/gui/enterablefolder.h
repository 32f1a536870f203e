// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Why relative paths cannot resolve in `folder` (it is no folder, or one that may not be searched),
// in the user's language; empty when they can.
QString folderEntryError(const QString& folder);
