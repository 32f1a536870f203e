// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What our hosts may ask of a plug-in beyond the host contract: how far the step under way is,
// and that it stop before it is through. Header-only and pure virtual, so a plug-in that offers
// it needs no symbol of the host's library, and a host that never asks for it never sees it: its
// steps then run exactly as they would without it. A host finds it with qobject_cast on the
// plug-in instance.

#include <QMetaType>
#include <QObject>
#include <QtGlobal>

#include <functional>

class VariableScope;

// How far one step is. A total of 0 means the step does not count that unit (a text step counts
// no files); done never exceeds total once the total is known.
struct FileProgress {
    qint64 filesDone = 0;
    qint64 filesTotal = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
};
Q_DECLARE_METATYPE(FileProgress)

struct FileStepWatcher {
    // Called on the step's own thread as it goes, now and then (a host throttles what it shows),
    // and once when the step ends with its final figures. May be empty.
    std::function<void(const FileProgress& progress)> progress;
    // Asked on the step's own thread before each file and now and then inside a large one; true
    // stops the step there: what was done stays done and is listed, a half-made file is removed,
    // and the step logs that it was stopped. Must be safe to call from any thread. May be empty.
    std::function<bool()> stopRequested;
    // Called on the step's own thread when a file cannot be written, with the system's reason in
    // its own words; what the step logs stays as it is. May be empty.
    std::function<void(const QString& path, const QString& reason)> writeFailed;
};

class IFileProgress
{
public:
    virtual ~IFileProgress() = default;
    // From now on, the steps of this plug-in run with `scope` report to `watcher`, until
    // unwatchSteps(scope); runs with any other scope are not affected.
    virtual void watchSteps(const VariableScope* scope, const FileStepWatcher& watcher) = 0;
    virtual void unwatchSteps(const VariableScope* scope) = 0;
};

#define IFileProgress_iid "org.stephost.IFileProgress/1.0"
Q_DECLARE_INTERFACE(IFileProgress, IFileProgress_iid)
