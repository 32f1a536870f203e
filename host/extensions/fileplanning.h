// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What our hosts may ask of a plug-in beyond the host contract: a plan of the file changes a flow
// would make, with nothing changed. Header-only and pure virtual, so a plug-in that offers it
// needs no symbol of the host's library, and a host that never asks for it never sees it. A host
// finds it with qobject_cast on the plug-in instance.

#include <QList>
#include <QObject>
#include <QString>

class VariableScope;

// One change a step would make, in the order the run makes them.
struct PlannedChange {
    int step = 0;          // 1-based
    QString action;        // "mkdir", "copy", "move", "rename", "delete", "write" or "append"
    QString path;          // as the run writes it (the text a list variable would hold)
    QString from;          // copy, move, rename: the source
    bool replaces = false; // something already at path is removed or overwritten
    bool fails = false;    // the run tries this change and fails (see conflict)
    QString conflict;      // empty when there is none
};

// A listed source that a step leaves alone, and why.
struct PlannedSkip {
    int step = 0;
    QString action; // what the step would have done with it
    QString path;
    QString from;
    QString reason;
};

struct FilePlan {
    // Changes and skips together in run order; isSkip tells which list an entry belongs to.
    struct Entry {
        bool isSkip = false;
        PlannedChange change;
        PlannedSkip skip;
    };
    QList<Entry> entries;
};

class IFilePlanning
{
public:
    virtual ~IFilePlanning() = default;
    // Called before each step of a planned flow (step is 1-based). From the first call on, every
    // step of this plug-in run with `scope` works on a view of the files in which nothing changes
    // and its own changes seem made; runs with any other scope are not affected.
    virtual void planStep(const VariableScope* scope, int step) = 0;
    // Ends the plan of `scope` and hands over what its steps would have changed.
    virtual FilePlan finishPlan(const VariableScope* scope) = 0;
};

#define IFilePlanning_iid "org.stephost.IFilePlanning/1.0"
Q_DECLARE_INTERFACE(IFilePlanning, IFilePlanning_iid)
