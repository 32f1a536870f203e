// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <memory>

class VariableScope;

// Which files a step works on: those of the plan or journal its flow's scope is under, if the
// host asked for one, else the disk. They are kept per scope, so flows run at once never see
// each other's.
FileSystem& fileSystemFor(const VariableScope* scope);

// The file system of `scope`, null when it has none of its own.
std::shared_ptr<FileSystem> scopedFileSystem(const VariableScope* scope);
void setScopedFileSystem(const VariableScope* scope, std::shared_ptr<FileSystem> files);
std::shared_ptr<FileSystem> takeScopedFileSystem(const VariableScope* scope);
