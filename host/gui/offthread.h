// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <functional>

// Calls `work` on a thread of its own and returns once it is done, handling the window's events
// meanwhile so that the window keeps drawing itself.
void waitOffThread(const std::function<void()>& work);
