// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What our hosts may ask of a plug-in beyond the host contract: a journal of the file changes a
// run makes, written before each change, from which the run can be taken back. Header-only and
// pure virtual, so a plug-in that offers it needs no symbol of the host's library, and a host
// that never asks for it never sees it. A host finds it with qobject_cast on the plug-in instance.

#include <QObject>
#include <QString>

class VariableScope;

class IFileJournaling
{
public:
    virtual ~IFileJournaling() = default;
    // Called before each step of a journaled run (step is 1-based). The first call starts the
    // journal in `folder` (which must not hold one yet); from then on every step of this plug-in
    // run with `scope` records its changes there. False, with *error, when the journal cannot be
    // started, or when an earlier step had changes refused because the journal could not record
    // them: the step must then not run.
    virtual bool journalStep(const VariableScope* scope, int step, const QString& folder,
                             QString* error) = 0;
    // Ends the journal of `scope`, its records on disk. False, with *error, when changes were
    // refused because the journal could not record them: the run did not do all it was asked.
    virtual bool finishJournal(const VariableScope* scope, QString* error) = 0;
};

#define IFileJournaling_iid "org.stephost.IFileJournaling/1.1"
Q_DECLARE_INTERFACE(IFileJournaling, IFileJournaling_iid)
