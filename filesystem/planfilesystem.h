// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <fileplanning.h>

#include <QHash>
#include <QList>
#include <QString>

// A view of the files in which nothing changes on disk: every change is recorded, and later
// questions are answered as if it had been made. Reads see the bytes an earlier change would have
// left (a copy's source, a written text, an appended tail), held in memory and never on disk.
// Changes the disk would refuse (a folder that cannot be written, a name too long) fail here as
// they would there, and are recorded as failed.
class PlanFileSystem : public FileSystem
{
public:
    // `disk` answers for everything the plan has not changed; it is only read.
    explicit PlanFileSystem(FileSystem& disk);
    ~PlanFileSystem() override;

    // The 1-based step the next changes belong to.
    void setStep(int step);
    // The changes and skips so far, in order, conflicts marked.
    FilePlan plan() const;

    QString baseFolder() const override { return m_disk.baseFolder(); }
    EntryStatus status(const QString& path, Links links = Links::Follow) override;
    QString canonicalPath(const QString& path) override;
    bool makeFolderPath(const QString& path, FileError* error) override;
    bool copyFile(const QString& source, const QString& target, Overwrite overwrite,
                  FileError* error) override;
    bool rename(const QString& source, const QString& target, Overwrite overwrite,
                FileError* error) override;
    bool remove(const QString& path, FileError* error) override;
    std::unique_ptr<FileWriter> openForWriting(const QString& path, WriteMode mode,
                                               FileError* error) override;
    bool readAll(const QString& path, qint64 maxSize, QByteArray* bytes, FileError* error) override;
    bool readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes,
                  FileError* error) override;
    void noteSkipped(const QString& action, const QString& path, const QString& from,
                     const QString& reason) override;

private:
    friend class PlanFileWriter;

    enum class NodeKind { Gone, File, Folder };
    // A path the plan has changed. A file or folder that is a disk entry under another name (a
    // rename) keeps that entry's path in `diskPath`; a copy keeps its source's path there, for its
    // bytes, with `added` after them.
    struct Node {
        NodeKind kind = NodeKind::Gone;
        QString diskPath;
        bool isDiskEntry = false; // diskPath is this very entry, not only its bytes
        qint64 diskSize = 0;      // of diskPath's bytes, when they are only borrowed
        QByteArray added;
        FileId id;
        int producedBy = -1; // the copy, move or rename entry that put it here
    };
    // Where a path leads: a node of the plan, a path on disk, or nothing.
    struct Place {
        const Node* node = nullptr;
        QString diskPath;
        bool gone = false;
    };

    // A path with the links on its last component followed (when asked) through this view.
    struct Resolved {
        QString key;
        EntryStatus status;
    };

    QString keyOf(const QString& path);
    QString linkTargetAt(const QString& key);
    Resolved resolve(const QString& key, Links links);
    EntryStatus diskStatus(const QString& diskPath);
    Place placeOf(const QString& key) const;
    EntryStatus statusAt(const QString& key, Links links);
    bool canWriteFolder(const QString& folderKey);
    QString whyNotCreatable(const QString& key, int* code = nullptr);
    int missingCode(const QString& key);
    bool canAccessOnDisk(const QString& diskPath, int mode);
    Node nodeForCopy(const Place& source, const EntryStatus& status);
    bool contentAt(const QString& key, qint64 maxSize, QByteArray* bytes, FileError* error);
    void moveNodesUnder(const QString& from, const QString& to);
    void commitWrite(const QString& key, const QString& path, WriteMode mode, bool existed,
                     const QByteArray& bytes);

    int addChange(const QString& action, const QString& path, const QString& from);
    int addCreation(const QString& action, const QString& key, const QString& path,
                    const QString& from, bool replaces);
    void addFailure(const QString& action, const QString& path, const QString& from,
                    const QString& why);
    void noteUse(const QString& key, const QString& verb, bool sameStepCounts);
    FileId newId();

    FileSystem& m_disk;
    QString m_cwd; // the disk's base folder, absolute
    int m_step = 0;
    QHash<QString, Node> m_nodes;
    bool m_foldersRenamed = false;
    QHash<QString, EntryStatus> m_diskStatus;      // links not followed
    QHash<int, QHash<QString, bool>> m_diskAccess; // mode -> path -> access() said yes
    quint64 m_nextId = 0;

    QList<FilePlan::Entry> m_entries;
    // The last removal of this step, which a copy or rename to the same path turns into a
    // replacement, and what was there.
    struct Removal {
        int entry = -1;
        QString key;
        int producedBy = -1;
    };
    Removal m_lastRemoval;
    int m_lastCopy = -1; // a copy a removal of its source turns into a move
    QString m_lastCopySourceKey;
    // Paths whose file a change destroyed (deleted or replaced), with that change's entry: a
    // later use of the path by the flow is marked on it.
    QHash<QString, int> m_destroyed;
};
