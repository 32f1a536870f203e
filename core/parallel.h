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

// Runs job(0) … job(parts - 1) at once, the last on the calling thread, and returns when all are
// done.
void runParts(int parts, const std::function<void(int)>& job);
