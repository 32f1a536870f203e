// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "fileplans.h"

#include "filesystem/planfilesystem.h"
#include "filesystem/realfilesystem.h"

void startPlannedStep(const VariableScope* scope, int step)
{
    if (!scope)
        return;
    auto plan = std::dynamic_pointer_cast<PlanFileSystem>(scopedFileSystem(scope));
    if (!plan) {
        plan = std::make_shared<PlanFileSystem>(RealFileSystem::instance());
        setScopedFileSystem(scope, plan);
    }
    plan->setStep(step);
}

FilePlan takeFilePlan(const VariableScope* scope)
{
    const auto plan = std::dynamic_pointer_cast<PlanFileSystem>(scopedFileSystem(scope));
    if (!plan)
        return FilePlan();
    takeScopedFileSystem(scope);
    return plan->plan();
}
