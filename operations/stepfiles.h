// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <QStringList>
#include <QVector>

#include <memory>

class StepProgress;
class VariableScope;
class WatchedFileSystem;

// The file system one step works through. Where the host watches the steps of the scope, it also
// counts how far the step is and hears when the step is to stop; where nobody watches, it is the
// scope's file system and nothing more: no question is asked of the disk that the step would not
// ask anyway.
class StepFiles
{
public:
    // `tag` names the step in its warnings, as "[FileCopy]".
    StepFiles(const VariableScope* scope, const char* tag);
    ~StepFiles(); // the final figures
    StepFiles(const StepFiles&) = delete;
    StepFiles& operator=(const StepFiles&) = delete;

    FileSystem& files() const { return *m_files; }

    enum class Bytes { Counted, NotCounted };
    // The files a step goes through one by one, each after a call of goOn(). With Bytes::Counted
    // their sizes are the bytes it has to move.
    void expectFiles(const QStringList& paths, Bytes bytes);
    // Before each file: false, with one warning of what was left, when the step is to stop there.
    bool goOn();
    // The one file a step reads: its size is the bytes it has to read.
    void expectReading(const QString& path);
    // The one file a step writes, whose size is known only when it is written.
    void expectWriting();

private:
    void closeFile();
    void warnStopped();

    const char* const m_tag;
    std::shared_ptr<FileSystem> m_held;       // the flow's, for as long as the step uses it
    std::unique_ptr<StepProgress> m_progress; // null when nobody watches
    std::unique_ptr<WatchedFileSystem> m_watched;
    FileSystem* m_files;
    QVector<qint64> m_sizes;
    int m_next = 0;
    bool m_fileOpen = false;
    bool m_warned = false;
};
