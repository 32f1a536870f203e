// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "planfilesystem.h"

#include "core/logging.h"
#include "core/posixfile_unix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <unistd.h>

namespace
{

// Plan files get identities no disk file has.
const quint64 kPlanDevice = ~quint64(0);

// What the file systems in use hold at most (ext4, xfs, btrfs, tmpfs).
const int kMaxNameBytes = 255;
const int kMaxPathBytes = PATH_MAX - 1;

QString parentKey(const QString& key)
{
    const int slash = key.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : key.left(slash);
}

// The path with its "." components and repeated slashes gone. Its ".." components stay: where
// one climbs to depends on the links before it, which only a lookup can tell.
QString withoutDotComponents(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("."))
            parts << part;
    }
    const QString root = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    if (parts.isEmpty())
        return root.isEmpty() ? QStringLiteral(".") : root;
    return root + parts.join(QLatin1Char('/'));
}

using Operation = FileError::Operation;

// Always false, with the reason in *error when asked: the number the disk would give, the
// plan's own words.
bool failed(FileError* error, Operation operation, const QString& path, int code,
            const QString& why)
{
    return failWith(error, FileError::withText(operation, path, code, why));
}

bool failedAsSystem(FileError* error, Operation operation, const QString& path, int code)
{
    return failWith(error, FileError::system(operation, path, code));
}

// What the disk says of a path that is not a regular file where one is wanted (`missing`: the
// number for nothing there); of a FIFO or a device the plug-in says it, as it never opens one.
int notFileCode(const EntryStatus& status, int missing)
{
    if (!status.exists())
        return missing;
    return status.isFolder() ? EISDIR : 0;
}

bool failedNotFile(FileError* error, Operation operation, const QString& path,
                   const EntryStatus& status, int missing)
{
    const int code = notFileCode(status, missing);
    if (code == 0)
        return failed(error, operation, path, 0, QStringLiteral("not a regular file"));
    return failedAsSystem(error, operation, path, code);
}

} // namespace

// Collects what a step writes; the plan takes it over only on commit, as the disk keeps only a
// write that was completed.
class PlanFileWriter : public FileWriter
{
public:
    PlanFileWriter(PlanFileSystem* plan, QString key, QString path, WriteMode mode, bool existed)
        : m_plan(plan), m_key(std::move(key)), m_path(std::move(path)), m_mode(mode),
          m_existed(existed)
    {
    }

    bool write(const QByteArray& bytes) override
    {
        m_bytes.append(bytes);
        return true;
    }

    bool commit() override
    {
        m_plan->commitWrite(m_key, m_path, m_mode, m_existed, m_bytes);
        return true;
    }

    // As the disk writes in most cases: whether it would write a file with other hard links in
    // place changes nothing a plan shows.
    WriteWay way() const override
    {
        if (!m_existed)
            return WriteWay::Created;
        return m_mode == WriteMode::Append ? WriteWay::InPlace : WriteWay::Replacement;
    }

private:
    PlanFileSystem* m_plan;
    QString m_key;
    QString m_path;
    WriteMode m_mode;
    bool m_existed;
    QByteArray m_bytes;
};

PlanFileSystem::PlanFileSystem(FileSystem& disk)
    : m_disk(disk), m_cwd(absoluteFolder(disk.baseFolder()))
{
}

PlanFileSystem::~PlanFileSystem() = default;

void PlanFileSystem::setStep(int step)
{
    m_step = step;
    m_lastRemoval = Removal();
    m_lastCopy = -1;
}

FilePlan PlanFileSystem::plan() const
{
    return FilePlan{m_entries};
}

// How many links deep a path is followed, as the kernel does before it gives up.
static const int kMaxLinkDepth = 40;

// The text of the link at `path` on disk, as it was written; null when it cannot be read.
static QString readLinkText(const QString& path)
{
    char target[PATH_MAX];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    if (size <= 0 || size_t(size) >= sizeof target)
        return QString();
    return QFile::decodeName(QByteArray(target, int(size)));
}

// The components of a path still to walk, the next one last.
static void pushComponents(const QString& path, QStringList* pending)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        pending->append(*part);
}

// Whether only "." components are left, so the component just taken is the path's last.
static bool onlyDotsLeft(const QStringList& pending)
{
    return std::all_of(pending.cbegin(), pending.cend(),
                       [](const QString& part) { return part == QLatin1String("."); });
}

// A path resolved as the kernel resolves it: each component before the last is followed through
// a link (as this view sees links) before the next one is looked at, so ".." climbs from where a
// link leads rather than from the link's own folder. The last component is kept as named, for
// resolve() to follow when asked; "." components go.
QString PlanFileSystem::keyOf(const QString& path)
{
    QStringList pending;
    pushComponents(QDir::isAbsolutePath(path) ? path : m_cwd + QLatin1Char('/') + path, &pending);
    QString key = QStringLiteral("/");
    int linksFollowed = 0;
    while (!pending.isEmpty()) {
        const QString part = pending.takeLast();
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            key = parentKey(key);
            continue;
        }
        const QString next = key == QLatin1String("/") ? key + part : key + QLatin1Char('/') + part;
        const QString target = onlyDotsLeft(pending) || linksFollowed >= kMaxLinkDepth
                                   ? QString()
                                   : linkTargetAt(next);
        if (target.isEmpty()) {
            key = next;
            continue;
        }
        ++linksFollowed;
        if (QDir::isAbsolutePath(target))
            key = QStringLiteral("/");
        pushComponents(target, &pending);
    }
    return key;
}

// What the link at `key` of this view leads to, as written in it; empty when no link is there.
QString PlanFileSystem::linkTargetAt(const QString& key)
{
    const Place place = placeOf(key);
    if (place.gone || (place.node && !place.node->isDiskEntry))
        return QString();
    const QString diskPath = place.node ? place.node->diskPath : place.diskPath;
    if (!diskStatus(diskPath).isLink)
        return QString();
    return readLinkText(diskPath);
}

PlanFileSystem::Place PlanFileSystem::placeOf(const QString& key) const
{
    const auto found = m_nodes.constFind(key);
    if (found != m_nodes.constEnd()) {
        Place place;
        place.node = &found.value();
        place.gone = found->kind == NodeKind::Gone;
        return place;
    }
    // Only a renamed folder moves what lies below it; until one is, a path the plan has not
    // changed is the disk's.
    if (m_foldersRenamed) {
        for (int slash = key.lastIndexOf(QLatin1Char('/')); slash > 0;
             slash = key.lastIndexOf(QLatin1Char('/'), slash - 1)) {
            const auto above = m_nodes.constFind(key.left(slash));
            if (above == m_nodes.constEnd())
                continue;
            Place place;
            if (above->kind == NodeKind::Folder && above->isDiskEntry)
                place.diskPath = above->diskPath + key.mid(slash);
            else
                place.gone = true;
            return place;
        }
    }
    Place place;
    place.diskPath = key;
    return place;
}

PlanFileSystem::Resolved PlanFileSystem::resolve(const QString& key, Links links)
{
    Resolved found;
    found.key = key;
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        found.status = EntryStatus();
        const Place place = placeOf(found.key);
        if (place.gone)
            return found;
        const Node* node = place.node;
        if (node && !node->isDiskEntry) {
            found.status.type =
                node->kind == NodeKind::Folder ? EntryType::Folder : EntryType::File;
            found.status.size = node->diskSize + node->added.size();
            found.status.id = node->id;
            return found;
        }
        const QString diskPath = node ? node->diskPath : place.diskPath;
        found.status = diskStatus(diskPath);
        // A link leads to a path of this view, which the plan may have changed.
        if (found.status.isLink && links == Links::Follow) {
            // A relative target is taken from where the link now is in this view.
            const QString target = readLinkText(diskPath);
            if (target.isEmpty())
                break;
            found.key = keyOf(QDir::isAbsolutePath(target)
                                  ? target
                                  : parentKey(found.key) + QLatin1Char('/') + target);
            continue;
        }
        if (node)
            found.status.size += node->added.size();
        return found;
    }
    found.status = EntryStatus(); // a loop of links
    return found;
}

// The disk does not change while it is planned for, so each entry is asked about once.
EntryStatus PlanFileSystem::diskStatus(const QString& diskPath)
{
    const auto known = m_diskStatus.constFind(diskPath);
    if (known != m_diskStatus.constEnd())
        return known.value();
    const EntryStatus status = m_disk.status(diskPath, Links::NoFollow);
    m_diskStatus.insert(diskPath, status);
    return status;
}

EntryStatus PlanFileSystem::statusAt(const QString& key, Links links)
{
    return resolve(key, links).status;
}

EntryStatus PlanFileSystem::status(const QString& path, Links links)
{
    if (path.isEmpty())
        return EntryStatus();
    return statusAt(keyOf(path), links);
}

// The path in this view, every link followed: the plan's own changes and the disk's links alike.
QString PlanFileSystem::canonicalPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const Resolved found = resolve(keyOf(path), Links::Follow);
    return found.status.exists() ? found.key : QString();
}

bool PlanFileSystem::canAccessOnDisk(const QString& diskPath, int mode)
{
    QHash<QString, bool>& known = m_diskAccess[mode];
    const auto found = known.constFind(diskPath);
    if (found != known.constEnd())
        return found.value();
    const bool allowed = ::access(QFile::encodeName(diskPath).constData(), mode) == 0;
    known.insert(diskPath, allowed);
    return allowed;
}

bool PlanFileSystem::canWriteFolder(const QString& folderKey)
{
    const Place place = placeOf(folderKey);
    if (place.gone)
        return false;
    if (!place.node)
        return canAccessOnDisk(place.diskPath, W_OK | X_OK);
    // A folder the plan made is the flow's own.
    return !place.node->isDiskEntry || canAccessOnDisk(place.node->diskPath, W_OK | X_OK);
}

// Why a new entry cannot be made at key, or an empty text when it can; *code gets the number the
// disk would give.
QString PlanFileSystem::whyNotCreatable(const QString& key, int* code)
{
    const auto refused = [code](int number, const char* why) {
        if (code)
            *code = number;
        return QString::fromLatin1(why);
    };
    const QString name = key.mid(key.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.contains(QChar(0)))
        return refused(EINVAL, "the name holds a character the file system refuses");
    if (QFile::encodeName(name).size() > kMaxNameBytes)
        return refused(ENAMETOOLONG, "the name is too long for the file system");
    if (QFile::encodeName(key).size() > kMaxPathBytes)
        return refused(ENAMETOOLONG, "the path is too long for the file system");
    const QString folder = parentKey(key);
    const EntryStatus above = statusAt(folder, Links::Follow);
    if (!above.isFolder())
        return refused(above.exists() ? ENOTDIR : ENOENT, "the folder does not exist");
    if (!canWriteFolder(folder))
        return refused(EACCES, "the folder cannot be written");
    return QString();
}

// What the disk says of a path with nothing there: a file in place of a folder above it is told
// apart.
int PlanFileSystem::missingCode(const QString& key)
{
    const EntryStatus above = statusAt(parentKey(key), Links::Follow);
    return above.exists() && !above.isFolder() ? ENOTDIR : ENOENT;
}

FileId PlanFileSystem::newId()
{
    return {kPlanDevice, ++m_nextId};
}

int PlanFileSystem::addChange(const QString& action, const QString& path, const QString& from)
{
    FilePlan::Entry entry;
    entry.change.step = m_step;
    entry.change.action = action;
    entry.change.path = path;
    entry.change.from = from;
    m_entries.append(entry);
    return m_entries.size() - 1;
}

void PlanFileSystem::addFailure(const QString& action, const QString& path, const QString& from,
                                const QString& why)
{
    explainSkip(lcFiles, path, QStringLiteral("the planned %1 fails, ").arg(action) + why);
    PlannedChange& change = m_entries[addChange(action, path, from)].change;
    change.fails = true;
    change.conflict = why;
}

// Records a change that puts something at key. A removal of key just before, in the same step,
// was the first half of a replacement: the two become one entry that replaces.
int PlanFileSystem::addCreation(const QString& action, const QString& key, const QString& path,
                                const QString& from, bool replaces)
{
    int index;
    int replacedProduct = -1;
    if (m_lastRemoval.entry == m_entries.size() - 1 && m_lastRemoval.key == key) {
        index = m_lastRemoval.entry;
        replacedProduct = m_lastRemoval.producedBy;
        PlannedChange& change = m_entries[index].change;
        const QString conflict = change.conflict;
        change = PlannedChange();
        change.step = m_step;
        change.action = action;
        change.path = path;
        change.from = from;
        change.conflict = conflict;
        replaces = true;
    } else {
        index = addChange(action, path, from);
        if (replaces) {
            const Place place = placeOf(key);
            if (place.node)
                replacedProduct = place.node->producedBy;
        }
    }
    m_lastRemoval = Removal();
    PlannedChange& change = m_entries[index].change;
    change.replaces = replaces;
    if (replacedProduct >= 0 && action != QLatin1String("write") && change.conflict.isEmpty())
        change.conflict = QStringLiteral("replaces what step %1 put here")
                              .arg(m_entries.at(replacedProduct).change.step);
    if (replaces)
        m_destroyed.insert(key, index);
    else
        m_destroyed.remove(key);
    return index;
}

// The flow uses the file at key. If a change of this flow destroyed the file that was there, the
// use most likely meant that file: the change is marked.
void PlanFileSystem::noteUse(const QString& key, const QString& verb, bool sameStepCounts)
{
    const auto destroyed = m_destroyed.constFind(key);
    if (destroyed == m_destroyed.constEnd())
        return;
    PlannedChange& change = m_entries[destroyed.value()].change;
    if (!change.conflict.isEmpty() || (!sameStepCounts && change.step == m_step))
        return;
    const QString what = change.action == QLatin1String("delete")
                             ? QStringLiteral("deletes a file that step %1 later %2")
                             : QStringLiteral("replaces a file that step %1 later %2");
    change.conflict = what.arg(m_step).arg(verb);
}

bool PlanFileSystem::makeFolderPath(const QString& path, FileError* error)
{
    const QString cleaned = withoutDotComponents(path);
    QString key = keyOf(path);
    // The missing folders, innermost first, each with the text the run would name it by.
    QStringList missingKeys;
    QStringList missingTexts;
    QString text = cleaned;
    while (!statusAt(key, Links::Follow).exists()) {
        if (statusAt(key, Links::NoFollow).exists()) // a dangling link: mkdir fails on it
            return failedAsSystem(error, Operation::MakeFolder, path, EEXIST);
        missingKeys.prepend(key);
        missingTexts.prepend(text);
        const QString above = parentKey(key);
        if (above == key)
            return failedAsSystem(error, Operation::MakeFolder, path, ENOENT);
        key = above;
        const int slash = text.lastIndexOf(QLatin1Char('/'));
        text = slash < 0 ? QString() : text.left(qMax(slash, 1));
    }
    // A file in the way: of the folder itself, or of a folder above it.
    if (!statusAt(key, Links::Follow).isFolder())
        return failedAsSystem(error, Operation::MakeFolder, path,
                              missingKeys.isEmpty() ? EEXIST : ENOTDIR);
    for (int i = 0; i < missingKeys.size(); ++i) {
        int code = 0;
        const QString why = whyNotCreatable(missingKeys.at(i), &code);
        if (!why.isEmpty()) {
            addFailure(QStringLiteral("mkdir"), missingTexts.at(i), QString(), why);
            return failed(error, Operation::MakeFolder, missingTexts.at(i), code, why);
        }
        Node folder;
        folder.kind = NodeKind::Folder;
        folder.id = newId();
        m_nodes.insert(missingKeys.at(i), folder);
        addChange(QStringLiteral("mkdir"), missingTexts.at(i), QString());
        m_destroyed.remove(missingKeys.at(i));
    }
    return true;
}

PlanFileSystem::Node PlanFileSystem::nodeForCopy(const Place& source, const EntryStatus& status)
{
    Node copy;
    copy.kind = NodeKind::File;
    copy.id = newId();
    if (!source.node) {
        copy.diskPath = source.diskPath;
        copy.diskSize = status.size;
        return copy;
    }
    copy.diskPath = source.node->diskPath;
    copy.diskSize =
        source.node->isDiskEntry ? status.size - source.node->added.size() : source.node->diskSize;
    copy.added = source.node->added;
    return copy;
}

bool PlanFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite,
                              FileError* error)
{
    const QString sourceKey = keyOf(source);
    const QString targetKey = keyOf(target);
    noteUse(sourceKey, QStringLiteral("copies or moves"), true);
    const Resolved sourceFile = resolve(sourceKey, Links::Follow);
    const EntryStatus& sourceStatus = sourceFile.status;
    const EntryStatus targetStatus = statusAt(targetKey, Links::Follow);
    if (!sourceStatus.isFile())
        return failed(error, Operation::Copy, source,
                      notFileCode(sourceStatus, missingCode(sourceKey)),
                      QStringLiteral("the source is not a regular file"));
    if (targetStatus.isFolder() || (overwrite == Overwrite::No && targetStatus.exists()))
        return failed(error, Operation::Copy, target, targetStatus.isFolder() ? EISDIR : EEXIST,
                      QStringLiteral("Destination file exists"));
    const Place from = placeOf(sourceFile.key);
    const QString diskSource = from.node ? from.node->diskPath : from.diskPath;
    if (!diskSource.isEmpty() && !canAccessOnDisk(diskSource, R_OK)) {
        const QString why = QStringLiteral("the source cannot be read");
        addFailure(QStringLiteral("copy"), target, source, why);
        return failed(error, Operation::Copy, source, EACCES, why);
    }
    int code = 0;
    const QString why = whyNotCreatable(targetKey, &code);
    if (!why.isEmpty()) {
        addFailure(QStringLiteral("copy"), target, source, why);
        return failed(error, Operation::Copy, target, code, why);
    }
    // Onto a dangling link a copy replaces the link.
    const bool replaces = statusAt(targetKey, Links::NoFollow).exists();
    Node copy = nodeForCopy(from, sourceStatus);
    const int entry = addCreation(QStringLiteral("copy"), targetKey, target, source, replaces);
    copy.producedBy = entry;
    m_nodes.insert(targetKey, copy);
    m_lastCopy = entry;
    m_lastCopySourceKey = sourceKey;
    return true;
}

void PlanFileSystem::moveNodesUnder(const QString& from, const QString& to)
{
    const QString prefix = from + QLatin1Char('/');
    QList<QString> keys;
    for (auto it = m_nodes.constBegin(); it != m_nodes.constEnd(); ++it) {
        if (it.key().startsWith(prefix))
            keys.append(it.key());
    }
    for (const QString& key : keys)
        m_nodes.insert(to + key.mid(from.size()), m_nodes.take(key));
}

bool PlanFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite,
                            FileError* error)
{
    const QString sourceKey = keyOf(source);
    const QString targetKey = keyOf(target);
    noteUse(sourceKey, QStringLiteral("renames"), true);
    const EntryStatus sourceStatus = statusAt(sourceKey, Links::NoFollow);
    const EntryStatus targetStatus = statusAt(targetKey, Links::NoFollow);
    // A dangling link is taken for free, as on disk.
    if (!sourceStatus.exists())
        return failed(error, Operation::Rename, source, missingCode(sourceKey),
                      QStringLiteral("No such file or directory"));
    if (targetStatus.isFolder() ||
        (overwrite == Overwrite::No && statusAt(targetKey, Links::Follow).exists()))
        return failed(error, Operation::Rename, target, targetStatus.isFolder() ? EISDIR : EEXIST,
                      QStringLiteral("Destination file exists"));
    int code = 0;
    QString why = whyNotCreatable(targetKey, &code);
    if (why.isEmpty() && !canWriteFolder(parentKey(sourceKey))) {
        code = EACCES;
        why = QStringLiteral("the source's folder cannot be written");
    }
    if (!why.isEmpty()) {
        addFailure(QStringLiteral("rename"), target, source, why);
        return failed(error, Operation::Rename, target, code, why);
    }
    const Place from = placeOf(sourceKey);
    Node moved;
    if (from.node) {
        moved = *from.node;
    } else {
        moved.kind = sourceStatus.isFolder() ? NodeKind::Folder : NodeKind::File;
        moved.diskPath = from.diskPath;
        moved.isDiskEntry = true;
        moved.id = sourceStatus.id;
    }
    if (moved.kind == NodeKind::Folder) {
        moveNodesUnder(sourceKey, targetKey);
        m_foldersRenamed = true;
    }
    const int entry =
        addCreation(QStringLiteral("rename"), targetKey, target, source, targetStatus.exists());
    m_nodes.insert(sourceKey, Node());
    moved.producedBy = entry;
    m_nodes.insert(targetKey, moved);
    m_destroyed.remove(sourceKey);
    return true;
}

bool PlanFileSystem::remove(const QString& path, FileError* error)
{
    const QString key = keyOf(path);
    const EntryStatus status = statusAt(key, Links::NoFollow);
    if (!status.exists())
        return failed(error, Operation::Remove, path, missingCode(key),
                      QStringLiteral("No such file or directory"));
    if (status.isFolder())
        return failed(error, Operation::Remove, path, EISDIR, QStringLiteral("Is a directory"));
    if (!canWriteFolder(parentKey(key))) {
        const QString why = QStringLiteral("the folder cannot be written");
        addFailure(QStringLiteral("delete"), path, QString(), why);
        return failed(error, Operation::Remove, path, EACCES, why);
    }
    const Place place = placeOf(key);
    const int producedBy = place.node ? place.node->producedBy : -1;
    m_nodes.insert(key, Node());
    // A move is a copy and then the removal of its source.
    if (m_lastCopy >= 0 && m_lastCopy == m_entries.size() - 1 && m_lastCopySourceKey == key) {
        m_entries[m_lastCopy].change.action = QStringLiteral("move");
        m_lastCopy = -1;
        return true;
    }
    const int entry = addChange(QStringLiteral("delete"), path, QString());
    m_lastRemoval = {entry, key, producedBy};
    m_destroyed.insert(key, entry);
    return true;
}

std::unique_ptr<FileWriter> PlanFileSystem::openForWriting(const QString& path, WriteMode mode,
                                                           FileError* error)
{
    // Writing through a link writes what it leads to.
    const Resolved file = resolve(keyOf(path), Links::Follow);
    const QString& key = file.key;
    const EntryStatus& status = file.status;
    const QString action =
        mode == WriteMode::Append ? QStringLiteral("append") : QStringLiteral("write");
    if (status.exists() && !status.isFile()) {
        failedNotFile(error, Operation::Open, path, status, ENOENT);
        return nullptr;
    }
    QString why;
    int code = EACCES;
    if (!status.exists()) {
        why = whyNotCreatable(key, &code);
    } else {
        const Place place = placeOf(key);
        const QString diskPath = place.node ? place.node->diskPath : place.diskPath;
        const bool onDisk = !place.node || place.node->isDiskEntry;
        if (onDisk && !canAccessOnDisk(diskPath, W_OK))
            why = QStringLiteral("the file cannot be written");
    }
    if (!why.isEmpty()) {
        addFailure(action, path, QString(), why);
        failed(error, Operation::Open, path, code, why);
        return nullptr;
    }
    return std::make_unique<PlanFileWriter>(this, key, path, mode, status.exists());
}

void PlanFileSystem::commitWrite(const QString& key, const QString& path, WriteMode mode,
                                 bool existed, const QByteArray& bytes)
{
    if (mode == WriteMode::Append && existed) {
        const Place place = placeOf(key);
        Node node;
        if (place.node) {
            node = *place.node;
        } else {
            node.kind = NodeKind::File;
            node.diskPath = place.diskPath;
            node.isDiskEntry = true;
        }
        node.added.append(bytes);
        m_nodes.insert(key, node);
        addChange(QStringLiteral("append"), path, QString());
        m_lastRemoval = Removal();
        return;
    }
    Node written;
    written.kind = NodeKind::File;
    written.added = bytes;
    written.id = newId();
    m_nodes.insert(key, written);
    const QString action =
        mode == WriteMode::Append ? QStringLiteral("append") : QStringLiteral("write");
    addCreation(action, key, path, QString(), existed);
    // What the flow writes is what it means to find there later.
    m_destroyed.remove(key);
}

bool PlanFileSystem::contentAt(const QString& path, qint64 maxSize, QByteArray* bytes,
                               FileError* error)
{
    const Resolved file = resolve(path, Links::Follow);
    if (!file.status.isFile())
        return failedNotFile(error, Operation::Read, path, file.status, missingCode(file.key));
    if (file.status.size > maxSize)
        return failedAsSystem(error, Operation::Read, path, EFBIG);
    const Place place = placeOf(file.key);
    if (!place.node)
        return m_disk.readAll(place.diskPath, maxSize, bytes, error);
    const Node& node = *place.node;
    QByteArray content;
    if (!node.diskPath.isEmpty() && !m_disk.readAll(node.diskPath, maxSize, &content, error))
        return false;
    if (!node.isDiskEntry)
        content.truncate(int(node.diskSize));
    *bytes = content + node.added;
    return true;
}

bool PlanFileSystem::readAll(const QString& path, qint64 maxSize, QByteArray* bytes,
                             FileError* error)
{
    const QString key = keyOf(path);
    noteUse(key, QStringLiteral("reads"), false);
    return contentAt(key, maxSize, bytes, error);
}

bool PlanFileSystem::readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes,
                              FileError* error)
{
    const Resolved file = resolve(keyOf(path), Links::Follow);
    const Place place = placeOf(file.key);
    if (!file.status.isFile())
        return failedNotFile(error, Operation::Read, path, file.status, missingCode(file.key));
    if (!place.node)
        return m_disk.readPart(place.diskPath, offset, length, bytes, error);
    if (!contentAt(file.key, std::numeric_limits<int>::max(), bytes, error))
        return false;
    *bytes = bytes->mid(int(offset), int(length));
    return true;
}

void PlanFileSystem::noteSkipped(const QString& action, const QString& path, const QString& from,
                                 const QString& reason)
{
    noteUse(keyOf(from.isEmpty() ? path : from), QStringLiteral("names"), false);
    FilePlan::Entry entry;
    entry.isSkip = true;
    entry.skip.step = m_step;
    entry.skip.action = action;
    entry.skip.path = path;
    entry.skip.from = from;
    entry.skip.reason = reason;
    m_entries.append(entry);
}
