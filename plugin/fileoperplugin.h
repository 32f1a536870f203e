// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileflows.h>
#include <filejournaling.h>
#include <fileplanning.h>
#include <fileprogress.h>
#include <ioperationplugin.h>
#include <reasontexts.h>

#include <QObject>

// The plug-in object the host finds through the Qt plug-in loader: identity, manifest and the
// prototypes of the ten file steps. Hosts of ours may also give a flow its own folder and ask it
// for plans of file changes, for journals of them and for its reasons in the user's language, and
// watch its steps as they go and stop them.
class Q_DECL_EXPORT FileOperPlugin : public QObject,
                                     public IOperationPlugin,
                                     public IFilePlanning,
                                     public IFileJournaling,
                                     public IFileProgress,
                                     public IFileFlows,
                                     public IReasonTexts
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.stephost.IOperationPlugin/1.0")
    Q_INTERFACES(
        IOperationPlugin IFilePlanning IFileJournaling IFileProgress IFileFlows IReasonTexts)

public:
    FileOperPlugin();
    ~FileOperPlugin() override;

    QList<Operation*> createPrototypes() override;
    QString pluginId() const override;
    QString name() const override;
    QString version() const override;
    int apiVersion() const override;
    PluginManifest manifest() const override;
    QStringList requiredCapabilities() const override;

    void planStep(const VariableScope* scope, int step) override;
    FilePlan finishPlan(const VariableScope* scope) override;

    bool journalStep(const VariableScope* scope, int step, const QString& folder,
                     QString* error) override;
    bool finishJournal(const VariableScope* scope, QString* error) override;

    void watchSteps(const VariableScope* scope, const FileStepWatcher& watcher) override;
    void unwatchSteps(const VariableScope* scope) override;
    void beginFlow(const VariableScope* scope, const QString& folder) override;
    void endFlow(const VariableScope* scope) override;

    QString reasonText(const QString& reason, const QString& language) const override;
};
