// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "ioperationplugin.h"
#include "ieditorregistry.h"

IOperationPlugin::~IOperationPlugin() = default;

void IOperationPlugin::registerEditors(IEditorRegistry& registry)
{
    Q_UNUSED(registry)
}

IEditorRegistry::~IEditorRegistry() = default;
