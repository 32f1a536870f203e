// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "parallel.h"

#include <QThread>
#include <QtGlobal>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
// More threads than this gain little on files of the sizes users keep.
const int kMaxParts = 8;
} // namespace

int partsFor(int items, int minPerPart)
{
    const int cores = QThread::idealThreadCount();
    return qBound(1, qMin(cores, items / qMax(1, minPerPart)), kMaxParts);
}

int partBegin(int items, int parts, int part)
{
    return int(qint64(items) * part / parts);
}

void runParts(int parts, const std::function<void(int)>& job)
{
    std::vector<std::thread> workers;
    for (int part = 0; part + 1 < parts; ++part)
        workers.emplace_back(job, part);
    if (parts > 0)
        job(parts - 1);
    for (std::thread& worker : workers)
        worker.join();
}

void runTasks(int tasks, int threads, const std::function<void(int task, int thread)>& task)
{
    std::atomic<int> next{0};
    runParts(qMin(threads, tasks), [&](int thread) {
        for (int taken = next++; taken < tasks; taken = next++)
            task(taken, thread);
    });
}
