// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QtGlobal>

// How many more bytes this process may allocate: the least of what the system has available
// (memory and swap it can still hand out) and what the limits set on the process leave
// (RLIMIT_AS against its address space, RLIMIT_DATA against its data). The largest qint64 when
// none of them can be told.
qint64 allocatableBytes();
