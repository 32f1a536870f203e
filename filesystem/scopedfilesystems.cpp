// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "scopedfilesystems.h"

#include "core/posixfile_unix.h"
#include "filesystem/realfilesystem.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

namespace
{

// The disk every flow shares that was given no folder.
std::shared_ptr<FileSystem> sharedDisk()
{
    static const std::shared_ptr<FileSystem> disk(&RealFileSystem::instance(), [](FileSystem*) {});
    return disk;
}

// What one scope's flow works on. Never changed once made: a change makes a new one, so a step
// that holds one (through what fileSystemFor handed out) keeps the disk below its plan or journal.
struct Entry {
    std::shared_ptr<FileSystem> disk;
    std::shared_ptr<FileSystem> layer; // a plan or journal over the disk, or null
    bool flow = false;                 // made by beginScopedFlow, kept until its end

    // Neither a folder nor a layer: the scope works on the shared disk as if it had none.
    bool isPlain() const { return !flow && !layer; }
};

using EntryPointer = std::shared_ptr<const Entry>;

struct Scoped {
    QMutex lock;
    QHash<const VariableScope*, EntryPointer> byScope;
    // Read without the lock: a run in a host that never plans, journals or gives a folder pays
    // one load a step.
    std::atomic<int> count{0};

    EntryPointer find(const VariableScope* scope) const { return byScope.value(scope); }

    // Under the lock. A plain entry is dropped, so such a scope is back on the quick road.
    void put(const VariableScope* scope, EntryPointer entry)
    {
        const bool had = byScope.contains(scope);
        if (!entry || entry->isPlain()) {
            if (had && byScope.remove(scope))
                count.fetch_sub(1, std::memory_order_release);
            return;
        }
        if (!had)
            count.fetch_add(1, std::memory_order_release);
        byScope.insert(scope, std::move(entry));
    }
};

Scoped& scoped()
{
    static Scoped all;
    return all;
}

std::shared_ptr<FileSystem> diskFor(const QString& folder)
{
    if (folder.isEmpty())
        return sharedDisk();
    return std::make_shared<RealFileSystem>(absoluteFolder(folder));
}

} // namespace

std::shared_ptr<FileSystem> fileSystemFor(const VariableScope* scope)
{
    Scoped& all = scoped();
    if (!scope || all.count.load(std::memory_order_acquire) == 0)
        return sharedDisk();
    EntryPointer entry;
    {
        QMutexLocker locker(&all.lock);
        entry = all.find(scope);
    }
    if (!entry)
        return sharedDisk();
    // Shares the entry's ownership: the disk below a layer lives as long as the layer is used.
    return std::shared_ptr<FileSystem>(entry,
                                       entry->layer ? entry->layer.get() : entry->disk.get());
}

void beginScopedFlow(const VariableScope* scope, const QString& folder)
{
    auto entry = std::make_shared<Entry>();
    entry->disk = diskFor(folder);
    entry->flow = !folder.isEmpty();
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    all.put(scope, std::move(entry));
}

void endScopedFlow(const VariableScope* scope)
{
    EntryPointer ended;
    Scoped& all = scoped();
    {
        QMutexLocker locker(&all.lock);
        ended = all.find(scope);
        all.put(scope, nullptr);
    }
    // A journal's last records go to disk here, outside the lock, unless a step still holds it.
}

std::shared_ptr<FileSystem> scopedDisk(const VariableScope* scope)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    const EntryPointer entry = all.find(scope);
    return entry ? entry->disk : sharedDisk();
}

std::shared_ptr<FileSystem> scopedFileSystem(const VariableScope* scope)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    const EntryPointer entry = all.find(scope);
    return entry ? entry->layer : nullptr;
}

void setScopedFileSystem(const VariableScope* scope, std::shared_ptr<FileSystem> files)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    const EntryPointer old = all.find(scope);
    auto entry = std::make_shared<Entry>(old ? *old : Entry{sharedDisk(), nullptr, false});
    entry->layer = std::move(files);
    all.put(scope, std::move(entry));
}

std::shared_ptr<FileSystem> takeScopedFileSystem(const VariableScope* scope)
{
    Scoped& all = scoped();
    QMutexLocker locker(&all.lock);
    const EntryPointer old = all.find(scope);
    if (!old || !old->layer)
        return nullptr;
    auto entry = std::make_shared<Entry>(*old);
    entry->layer = nullptr;
    all.put(scope, std::move(entry));
    // Keeps the disk below it too.
    return std::shared_ptr<FileSystem>(old, old->layer.get());
}
