// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What our hosts may ask of a plug-in beyond the host contract: where a flow begins and ends, and
// the folder its steps' relative paths resolve against, so that flows run at once in different
// folders never touch the process's current folder. Header-only and pure virtual, so a plug-in
// that offers it needs no symbol of the host's library, and a host that never asks for it never
// sees it: its steps then take relative paths from the process's current folder, as always. A
// host finds it with qobject_cast on the plug-in instance.

#include <QObject>
#include <QString>

class VariableScope;

class IFileFlows
{
public:
    virtual ~IFileFlows() = default;
    // Called once before the first step of a flow run, planned or journaled with `scope`, and
    // before any other call about it: the steps of this plug-in run with `scope` take relative
    // paths from `folder` (empty: the process's current folder at the moment each is used). The
    // texts the steps write into variables and logs keep paths as the user typed them.
    virtual void beginFlow(const VariableScope* scope, const QString& folder) = 0;
    // Called once when that flow ends, however it ends (an error or an exception included):
    // whatever the plug-in kept for `scope` (its folder, an unfinished plan or journal) goes.
    virtual void endFlow(const VariableScope* scope) = 0;
};

#define IFileFlows_iid "org.stephost.IFileFlows/1.0"
Q_DECLARE_INTERFACE(IFileFlows, IFileFlows_iid)
