// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "hostcore_export.h"

// Where a plug-in may register property editors of its own. The stand-in host has none.
class HOSTCORE_EXPORT IEditorRegistry
{
public:
    virtual ~IEditorRegistry();
};
