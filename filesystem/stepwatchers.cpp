// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "stepwatchers.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace
{

struct Watchers {
    QMutex lock;
    QHash<const VariableScope*, std::shared_ptr<const FileStepWatcher>> byScope;
    // Read without the lock: a step in a host that never watches pays one load.
    std::atomic<int> count{0};
};

Watchers& watchers()
{
    static Watchers all;
    return all;
}

} // namespace

void setStepWatcher(const VariableScope* scope, const FileStepWatcher& watcher)
{
    if (!scope)
        return;
    Watchers& all = watchers();
    QMutexLocker locker(&all.lock);
    std::shared_ptr<const FileStepWatcher>& slot = all.byScope[scope];
    if (!slot)
        all.count.fetch_add(1, std::memory_order_release);
    slot = std::make_shared<const FileStepWatcher>(watcher);
}

void removeStepWatcher(const VariableScope* scope)
{
    Watchers& all = watchers();
    QMutexLocker locker(&all.lock);
    if (all.byScope.remove(scope) > 0)
        all.count.fetch_sub(1, std::memory_order_release);
}

std::shared_ptr<const FileStepWatcher> stepWatcherFor(const VariableScope* scope)
{
    Watchers& all = watchers();
    if (!scope || all.count.load(std::memory_order_acquire) == 0)
        return nullptr;
    QMutexLocker locker(&all.lock);
    return all.byScope.value(scope);
}
