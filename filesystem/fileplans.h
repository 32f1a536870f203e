#pragma once

#include "filesystem/filesystem.h"

#include <fileplanning.h>

class VariableScope;

// Which files a step works on: those of the plan its flow's scope is under, if the host asked
// for one, else the disk. Plans are kept per scope, so flows run at once never see each other's.
FileSystem& fileSystemFor(const VariableScope* scope);

// The plan of `scope` is made on its first step and ends when it is taken.
void startPlannedStep(const VariableScope* scope, int step);
FilePlan takeFilePlan(const VariableScope* scope);
