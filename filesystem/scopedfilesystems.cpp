// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "scopedfilesystems.h"

#include "filesystem/realfilesystem.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace
{

struct Scoped {
    QMutex lock;
    QHash<const VariableScope*, std::shared_ptr<FileSystem>> byScope;
    // Read without the lock: a run in a host that never plans or journals pays one load a step.
    std::atomic<int> count{0};
};

Scoped& scoped()
{
    static Scoped all;
    return all;
}

} // namespace

FileSystem& fileSystemFor(const VariableScope* scope)
{
    Scoped& all = scoped();
    if (!scope || all.count.load(std::memory_order_acquire) == 0)
        return RealFileSystem::instance();
    QMutexLocker locker(&all.lock);
    const auto found = all.byScope.constFind(scope);
    if (found == all.byScope.constEnd())
        return RealFileSystem::instance();
    return *found.value();
}

std::shared_ptr<FileSystem> scopedFileSystem(const VariableScope* scope)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    return all.byScope.value(scope);
}

void setScopedFileSystem(const VariableScope* scope, std::shared_ptr<FileSystem> files)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    std::shared_ptr<FileSystem>& slot = all.byScope[scope];
    if (!slot)
        all.count.fetch_add(1, std::memory_order_release);
    slot = std::move(files);
}

std::shared_ptr<FileSystem> takeScopedFileSystem(const VariableScope* scope)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    std::shared_ptr<FileSystem> files = all.byScope.take(scope);
    if (files)
        all.count.fetch_sub(1, std::memory_order_release);
    return files;
}
