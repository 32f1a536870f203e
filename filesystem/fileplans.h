// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/scopedfilesystems.h"

#include <fileplanning.h>

// The plan of `scope` is made on its first step and ends when it is taken.
void startPlannedStep(const VariableScope* scope, int step);
FilePlan takeFilePlan(const VariableScope* scope);
