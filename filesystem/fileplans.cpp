#include "fileplans.h"

#include "filesystem/planfilesystem.h"
#include "filesystem/realfilesystem.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <memory>

namespace
{

struct Plans {
    QMutex lock;
    QHash<const VariableScope*, std::shared_ptr<PlanFileSystem>> byScope;
    // Read without the lock: a run in a host that never plans pays one load per step.
    std::atomic<int> count{0};
};

Plans& plans()
{
    static Plans all;
    return all;
}

} // namespace

FileSystem& fileSystemFor(const VariableScope* scope)
{
    Plans& all = plans();
    if (!scope || all.count.load(std::memory_order_acquire) == 0)
        return RealFileSystem::instance();
    QMutexLocker locker(&all.lock);
    const auto found = all.byScope.constFind(scope);
    if (found == all.byScope.constEnd())
        return RealFileSystem::instance();
    return *found.value();
}

void startPlannedStep(const VariableScope* scope, int step)
{
    if (!scope)
        return;
    Plans& all = plans();
    QMutexLocker locker(&all.lock);
    std::shared_ptr<PlanFileSystem>& plan = all.byScope[scope];
    if (!plan) {
        plan = std::make_shared<PlanFileSystem>(RealFileSystem::instance());
        all.count.fetch_add(1, std::memory_order_release);
    }
    plan->setStep(step);
}

FilePlan takeFilePlan(const VariableScope* scope)
{
    Plans& all = plans();
    QMutexLocker locker(&all.lock);
    const std::shared_ptr<PlanFileSystem> plan = all.byScope.take(scope);
    if (!plan)
        return FilePlan();
    all.count.fetch_sub(1, std::memory_order_release);
    return plan->plan();
}
