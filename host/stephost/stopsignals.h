// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Ctrl+C (SIGINT) and SIGTERM ask a run to stop where it is, so that it can still report what it
// did; a second one ends the process at once, as the signal does by default.
namespace StopSignals
{

void install();
// The signal that asked to stop, or 0 while none has.
int received();

} // namespace StopSignals
