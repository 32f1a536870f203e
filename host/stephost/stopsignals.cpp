// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "stopsignals.h"

#include <atomic>
#include <csignal>

namespace
{

std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and set in a signal handler");

// Only what is safe in a signal handler: an atomic store, and the default action restored and
// raised again for the second signal.
void askToStop(int signal)
{
    if (g_received.exchange(signal) != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

void catchSignal(int signal)
{
    struct sigaction action = {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the steps stop where they ask, not where a call fails.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

void StopSignals::install()
{
    catchSignal(SIGINT);
    catchSignal(SIGTERM);
}

int StopSignals::received()
{
    return g_received.load();
}
