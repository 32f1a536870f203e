// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "stepfiles.h"

#include "filesystem/scopedfilesystems.h"
#include "filesystem/stepprogress.h"
#include "filesystem/stepwatchers.h"
#include "filesystem/watchedfilesystem.h"

#include <QDebug>

StepFiles::StepFiles(const VariableScope* scope, const char* tag)
    : m_tag(tag), m_held(fileSystemFor(scope)), m_files(m_held.get())
{
    std::shared_ptr<const FileStepWatcher> watcher = stepWatcherFor(scope);
    if (!watcher)
        return;
    m_progress = std::make_unique<StepProgress>(std::move(watcher));
    m_watched = std::make_unique<WatchedFileSystem>(*m_files, *m_progress);
    m_files = m_watched.get();
}

StepFiles::~StepFiles()
{
    if (!m_progress)
        return;
    closeFile();
    // Stopped in the middle of its last file.
    if (m_progress->stopped())
        warnStopped();
    m_progress->finish();
}

void StepFiles::expectFiles(const QStringList& paths, Bytes bytes)
{
    if (!m_progress)
        return;
    // Sizes only where they count: a file's entry is 0 otherwise, and none is kept.
    m_sizes.clear();
    qint64 total = 0;
    if (bytes == Bytes::Counted) {
        m_sizes.fill(0, paths.size());
        for (int i = 0; i < paths.size(); ++i) {
            const EntryStatus status = m_watched->status(paths.at(i));
            m_sizes[i] = status.isFile() ? status.size : 0;
            total += m_sizes[i];
        }
    }
    m_progress->setTotals(paths.size(), total);
}

bool StepFiles::goOn()
{
    if (!m_progress)
        return true;
    closeFile();
    if (m_progress->stopRequested()) {
        warnStopped();
        return false;
    }
    m_progress->beginItem(m_sizes.value(m_next++));
    m_fileOpen = true;
    return true;
}

void StepFiles::expectReading(const QString& path)
{
    if (!m_progress)
        return;
    const EntryStatus status = m_watched->status(path);
    const qint64 size = status.isFile() ? status.size : 0;
    m_progress->setTotals(0, size);
    m_progress->beginItem(size);
    m_fileOpen = true;
}

void StepFiles::expectWriting()
{
    if (!m_progress)
        return;
    m_progress->setTotals(0, 0);
    m_progress->beginItem(-1);
    m_fileOpen = true;
}

void StepFiles::warnStopped()
{
    if (m_warned)
        return;
    m_warned = true;
    const FileProgress figures = m_progress->figures();
    qWarning() << m_tag << "已停止，还有" << figures.filesTotal - figures.filesDone
               << "个文件未处理";
}

// A file stopped part-way is not done: it is among those left.
void StepFiles::closeFile()
{
    if (!m_fileOpen)
        return;
    if (m_progress->stopped())
        m_progress->dropItem();
    else
        m_progress->endItem();
    m_fileOpen = false;
}
