// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// The plan's words for what a change does ("copy", "rename", …) in the user's language.
namespace PlanWords
{
QString action(const QString& action);
}
