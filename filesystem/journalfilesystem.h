#pragma once

#include "filesystem/filesystem.h"

#include <journal.h>

#include <QVector>

#include <memory>

// The files on disk, each change recorded in a journal before it is made, and whatever a change
// destroys kept there, so that the run can be taken back. Questions and reads go straight to the
// files below.
class JournalFileSystem : public FileSystem
{
public:
    JournalFileSystem(FileSystem& files, std::unique_ptr<Journal> journal);

    Journal& journal() { return *m_journal; }
    // How many changes were refused because the journal had failed (see Journal::failed).
    int refusals() const { return m_refusals; }

    EntryStatus status(const QString& path, Links links = Links::Follow) override;
    QString canonicalPath(const QString& path) override;
    bool makeFolderPath(const QString& path) override;
    bool copyFile(const QString& source, const QString& target, Overwrite overwrite,
                  QString* error) override;
    bool rename(const QString& source, const QString& target, Overwrite overwrite,
                QString* error) override;
    bool remove(const QString& path, QString* error) override;
    std::unique_ptr<FileWriter> openForWriting(const QString& path, WriteMode mode) override;
    bool readAll(const QString& path, qint64 maxSize, QByteArray* bytes) override;
    bool readPart(const QString& path, qint64 offset, qint64 length, QByteArray* bytes) override;

private:
    struct Seen {
        QString path;
        FileState state;
    };

    FileState stateOf(const QString& path) const;
    void forgetSeen() { m_seen.clear(); }
    bool clearTarget(const QString& target, const FileState& there, Overwrite overwrite,
                     QString* error);
    void putBack(const QString& target);
    bool renameWithoutReplacing(const QString& source, const QString& target, QString* error);
    bool refuse(const QString& path, QString* error);
    std::unique_ptr<FileWriter> refused(const QString& path);
    bool putInPlace(const QString& newFile, const QString& target, QString* error);
    std::unique_ptr<FileWriter> journaled(std::unique_ptr<FileWriter> writer,
                                          const QString& newFile = QString(),
                                          const QString& target = QString());

    class Writer;
    bool commitNewFile(FileWriter& writer, const QString& newFile, const QString& target);
    bool commitInPlace(FileWriter& writer);

    FileSystem& m_files;
    std::unique_ptr<Journal> m_journal;
    // What status() found at the paths asked about since the last change, links not followed:
    // a record takes a path's state from here rather than looking a second time.
    QVector<Seen> m_seen;
    int m_refusals = 0;
};
