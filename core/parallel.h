// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <functional>

// Large tables and texts are worked on in parts, one per core, on threads that share nothing but
// what they only read.

// Rows of a data table: below this many, a part is not worth a thread of its own.
const int kRowsPerThread = 50000;

// How many parts `items` items are cut into: one per core, none smaller than `minPerPart`.
int partsFor(int items, int minPerPart);

// The first item of `part` when `items` items are cut into `parts` runs of near-equal length.
int partBegin(int items, int parts, int part);

// Work cut into tasks is cut this much finer than one task per thread, so that a thread slowed
// down (by the system, or by the allocator growing its heap) takes fewer of them.
const int kTasksPerThread = 16;

// Runs job(0) … job(parts - 1) at once, the last on the calling thread, and returns when all are
// done.
void runParts(int parts, const std::function<void(int)>& job);

// Runs task(0, thread) … task(tasks - 1, thread) on `threads` threads, the calling one among
// them, each thread taking the next task not yet taken whenever it is free. `thread` (0 to
// threads - 1) tells which thread runs the task, for state each thread keeps to itself.
void runTasks(int tasks, int threads, const std::function<void(int task, int thread)>& task);
