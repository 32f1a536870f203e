#include "planfilesystem.h"

#include <QDir>
#include <QFile>

#include <climits>
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

QString skipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::Missing:
        return QStringLiteral("missing");
    case SkipReason::NotAFile:
        return QStringLiteral("not a file");
    case SkipReason::TargetExists:
        return QStringLiteral("the target exists");
    case SkipReason::SameFile:
        return QStringLiteral("the target is the file itself");
    case SkipReason::FolderInTheWay:
        return QStringLiteral("a folder is in the way");
    case SkipReason::AlreadyMoved:
        return QStringLiteral("this step moved another file there");
    }
    return QString();
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

private:
    PlanFileSystem* m_plan;
    QString m_key;
    QString m_path;
    WriteMode m_mode;
    bool m_existed;
    QByteArray m_bytes;
};

PlanFileSystem::PlanFileSystem(FileSystem& disk) : m_disk(disk), m_cwd(QDir::currentPath())
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

QString PlanFileSystem::keyOf(const QString& path) const
{
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(m_cwd + QLatin1Char('/') + path);
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

EntryStatus PlanFileSystem::statusAt(const QString& key, Links links)
{
    const Place place = placeOf(key);
    if (place.gone)
        return EntryStatus();
    if (!place.node)
        return m_disk.status(place.diskPath, links);
    const Node& node = *place.node;
    EntryStatus status;
    if (node.isDiskEntry) {
        status = m_disk.status(node.diskPath, links);
        status.size += node.added.size();
        return status;
    }
    status.type = node.kind == NodeKind::Folder ? EntryType::Folder : EntryType::File;
    status.size = node.diskSize + node.added.size();
    status.id = node.id;
    return status;
}

EntryStatus PlanFileSystem::status(const QString& path, Links links)
{
    if (path.isEmpty())
        return EntryStatus();
    return statusAt(keyOf(path), links);
}

QString PlanFileSystem::canonicalPath(const QString& path)
{
    const QString key = keyOf(path);
    const Place place = placeOf(key);
    if (place.gone)
        return QString();
    // Links are resolved on disk only: the plan makes none.
    if (!place.node)
        return m_disk.canonicalPath(place.diskPath);
    return key;
}

bool PlanFileSystem::canAccessOnDisk(const QString& diskPath, int mode)
{
    const QString cacheKey = QString::number(mode) + QLatin1Char(':') + diskPath;
    const auto known = m_diskAccess.constFind(cacheKey);
    if (known != m_diskAccess.constEnd())
        return known.value();
    const bool allowed = ::access(QFile::encodeName(diskPath).constData(), mode) == 0;
    m_diskAccess.insert(cacheKey, allowed);
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

// Why a new entry cannot be made at key, or an empty text when it can.
QString PlanFileSystem::whyNotCreatable(const QString& key)
{
    const QString name = key.mid(key.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.contains(QChar(0)))
        return QStringLiteral("the name holds a character the file system refuses");
    if (QFile::encodeName(name).size() > kMaxNameBytes)
        return QStringLiteral("the name is too long for the file system");
    if (QFile::encodeName(key).size() > kMaxPathBytes)
        return QStringLiteral("the path is too long for the file system");
    const QString folder = parentKey(key);
    if (!statusAt(folder, Links::Follow).isFolder())
        return QStringLiteral("the folder does not exist");
    if (!canWriteFolder(folder))
        return QStringLiteral("the folder cannot be written");
    return QString();
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

bool PlanFileSystem::makeFolderPath(const QString& path)
{
    const QString cleaned = QDir::cleanPath(path);
    QString key = keyOf(path);
    // The missing folders, innermost first, each with the text the run would name it by.
    QStringList missingKeys;
    QStringList missingTexts;
    QString text = cleaned;
    while (!statusAt(key, Links::Follow).exists()) {
        if (statusAt(key, Links::NoFollow).exists())
            return false; // a dangling link: mkdir fails on it
        missingKeys.prepend(key);
        missingTexts.prepend(text);
        const QString above = parentKey(key);
        if (above == key)
            return false;
        key = above;
        const int slash = text.lastIndexOf(QLatin1Char('/'));
        text = slash < 0 ? QString() : text.left(qMax(slash, 1));
    }
    if (!statusAt(key, Links::Follow).isFolder())
        return false;
    for (int i = 0; i < missingKeys.size(); ++i) {
        const QString why = whyNotCreatable(missingKeys.at(i));
        if (!why.isEmpty()) {
            addFailure(QStringLiteral("mkdir"), missingTexts.at(i), QString(), why);
            return false;
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

bool PlanFileSystem::copyFile(const QString& source, const QString& target, Overwrite overwrite)
{
    const QString sourceKey = keyOf(source);
    const QString targetKey = keyOf(target);
    noteUse(sourceKey, QStringLiteral("copies or moves"), true);
    const EntryStatus sourceStatus = statusAt(sourceKey, Links::Follow);
    const EntryStatus targetStatus = statusAt(targetKey, Links::Follow);
    if (!sourceStatus.isFile() || targetStatus.isFolder() ||
        (overwrite == Overwrite::No && targetStatus.exists()))
        return false;
    const Place from = placeOf(sourceKey);
    const QString diskSource = from.node ? from.node->diskPath : from.diskPath;
    if (!diskSource.isEmpty() && !canAccessOnDisk(diskSource, R_OK)) {
        addFailure(QStringLiteral("copy"), target, source,
                   QStringLiteral("the source cannot be read"));
        return false;
    }
    const QString why = whyNotCreatable(targetKey);
    if (!why.isEmpty()) {
        addFailure(QStringLiteral("copy"), target, source, why);
        return false;
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

bool PlanFileSystem::rename(const QString& source, const QString& target, Overwrite overwrite)
{
    const QString sourceKey = keyOf(source);
    const QString targetKey = keyOf(target);
    noteUse(sourceKey, QStringLiteral("renames"), true);
    const EntryStatus sourceStatus = statusAt(sourceKey, Links::NoFollow);
    const EntryStatus targetStatus = statusAt(targetKey, Links::NoFollow);
    if (!sourceStatus.exists() || targetStatus.isFolder() ||
        (overwrite == Overwrite::No && targetStatus.exists()))
        return false;
    QString why = whyNotCreatable(targetKey);
    if (why.isEmpty() && !canWriteFolder(parentKey(sourceKey)))
        why = QStringLiteral("the source's folder cannot be written");
    if (!why.isEmpty()) {
        addFailure(QStringLiteral("rename"), target, source, why);
        return false;
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

bool PlanFileSystem::remove(const QString& path)
{
    const QString key = keyOf(path);
    const EntryStatus status = statusAt(key, Links::NoFollow);
    if (!status.exists() || status.isFolder())
        return false;
    if (!canWriteFolder(parentKey(key))) {
        addFailure(QStringLiteral("delete"), path, QString(),
                   QStringLiteral("the folder cannot be written"));
        return false;
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

std::unique_ptr<FileWriter> PlanFileSystem::openForWriting(const QString& path, WriteMode mode)
{
    const QString key = keyOf(path);
    const QString action =
        mode == WriteMode::Append ? QStringLiteral("append") : QStringLiteral("write");
    const EntryStatus status = statusAt(key, Links::Follow);
    if (status.exists() && !status.isFile())
        return nullptr;
    QString why;
    if (!status.exists()) {
        why = whyNotCreatable(key);
    } else {
        const Place place = placeOf(key);
        const QString diskPath = place.node ? place.node->diskPath : place.diskPath;
        const bool onDisk = !place.node || place.node->isDiskEntry;
        if (onDisk && !canAccessOnDisk(diskPath, W_OK))
            why = QStringLiteral("the file cannot be written");
    }
    if (!why.isEmpty()) {
        addFailure(action, path, QString(), why);
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

bool PlanFileSystem::contentAt(const QString& key, QByteArray* bytes)
{
    if (!statusAt(key, Links::Follow).isFile())
        return false;
    const Place place = placeOf(key);
    if (!place.node)
        return m_disk.readAll(place.diskPath, bytes);
    const Node& node = *place.node;
    QByteArray content;
    if (!node.diskPath.isEmpty() && !m_disk.readAll(node.diskPath, &content))
        return false;
    if (!node.isDiskEntry)
        content.truncate(int(node.diskSize));
    *bytes = content + node.added;
    return true;
}

bool PlanFileSystem::readAll(const QString& path, QByteArray* bytes)
{
    const QString key = keyOf(path);
    noteUse(key, QStringLiteral("reads"), false);
    return contentAt(key, bytes);
}

bool PlanFileSystem::readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes)
{
    const QString key = keyOf(path);
    const Place place = placeOf(key);
    if (place.gone)
        return false;
    if (!place.node)
        return m_disk.readPart(place.diskPath, offset, length, bytes);
    if (!contentAt(key, bytes))
        return false;
    *bytes = bytes->mid(int(offset), int(length));
    return true;
}

void PlanFileSystem::noteSkipped(const QString& action, const QString& path, const QString& from,
                                 SkipReason reason)
{
    noteUse(keyOf(from.isEmpty() ? path : from), QStringLiteral("names"), false);
    FilePlan::Entry entry;
    entry.isSkip = true;
    entry.skip.step = m_step;
    entry.skip.action = action;
    entry.skip.path = path;
    entry.skip.from = from;
    entry.skip.reason = skipReasonText(reason);
    m_entries.append(entry);
}
