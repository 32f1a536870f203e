// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileprogress.h>

#include <memory>

class VariableScope;

// The watchers hosts set on the steps run with a scope, kept per scope so that flows run at once
// never report to each other's. A step holds its own copy of the watcher while it runs: one
// removed meanwhile is not called again by later steps, and never destroyed under a running one.
void setStepWatcher(const VariableScope* scope, const FileStepWatcher& watcher);
void removeStepWatcher(const VariableScope* scope);
// Null when nobody watches the steps of `scope`.
std::shared_ptr<const FileStepWatcher> stepWatcherFor(const VariableScope* scope);
