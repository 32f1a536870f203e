// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <QString>

#include <memory>

class VariableScope;

// Which files a step works on: the disk of its flow (relative paths taken from the flow's folder),
// or the plan or journal over it, if the host asked for one. They are kept per scope, so flows
// run at once never see each other's. What is handed out stays alive for as long as the step
// holds it, whatever happens to the scope's entry meanwhile.
std::shared_ptr<FileSystem> fileSystemFor(const VariableScope* scope);

// The flow run with `scope` begins: its steps' relative paths resolve against `folder` (empty:
// the process's current folder at the moment each is used; a relative folder is taken from the
// current folder now). Whatever an earlier flow left under the same scope goes.
void beginScopedFlow(const VariableScope* scope, const QString& folder);
// The flow ends, however it ended: its plan or journal (the journal's records on disk) and its
// folder go, and a later scope at the same address starts from the disk.
void endScopedFlow(const VariableScope* scope);

// The disk of `scope`'s flow: the real files, relative paths taken from its folder.
std::shared_ptr<FileSystem> scopedDisk(const VariableScope* scope);
// The plan or journal over the disk of `scope`, null when it has none.
std::shared_ptr<FileSystem> scopedFileSystem(const VariableScope* scope);
void setScopedFileSystem(const VariableScope* scope, std::shared_ptr<FileSystem> files);
std::shared_ptr<FileSystem> takeScopedFileSystem(const VariableScope* scope);
