// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "fileplans.h"

#include "filesystem/planfilesystem.h"

void startPlannedStep(const VariableScope* scope, int step)
{
    if (!scope)
        return;
    auto plan = std::dynamic_pointer_cast<PlanFileSystem>(scopedFileSystem(scope));
    if (!plan) {
        const std::shared_ptr<FileSystem> disk = scopedDisk(scope);
        // The entry that keeps the plan keeps its disk too.
        plan = std::make_shared<PlanFileSystem>(*disk);
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
