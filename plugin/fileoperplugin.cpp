// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "fileoperplugin.h"

#include "core/reasontexts.h"
#include "filesystem/filejournals.h"
#include "filesystem/fileplans.h"
#include "filesystem/stepwatchers.h"
#include "operations/filecopyoperation.h"
#include "operations/filecsvreadoperation.h"
#include "operations/filecsvwriteoperation.h"
#include "operations/filedeleteoperation.h"
#include "operations/fileexistoperation.h"
#include "operations/filemoveoperation.h"
#include "operations/filepathparseoperation.h"
#include "operations/filereadoperation.h"
#include "operations/filerenameoperation.h"
#include "operations/filewriteoperation.h"

#include <QCoreApplication>

static const int kApiVersion = 2;

static QStringList capabilities()
{
    return {QStringLiteral("hasListType")};
}

FileOperPlugin::FileOperPlugin() : QObject(nullptr)
{
}

FileOperPlugin::~FileOperPlugin() = default;

QList<Operation*> FileOperPlugin::createPrototypes()
{
    QList<Operation*> prototypes;
    prototypes.reserve(10);
    prototypes.append(new FileExistOperation);
    prototypes.append(new FileCopyOperation);
    prototypes.append(new FileMoveOperation);
    prototypes.append(new FileDeleteOperation);
    prototypes.append(new FileRenameOperation);
    prototypes.append(new FileReadOperation);
    prototypes.append(new FileWriteOperation);
    prototypes.append(new FilePathParseOperation);
    prototypes.append(new FileCsvReadOperation);
    prototypes.append(new FileCsvWriteOperation);
    return prototypes;
}

QString FileOperPlugin::pluginId() const
{
    return QStringLiteral("org.stephost.FileOperPlugin");
}

QString FileOperPlugin::name() const
{
    return QCoreApplication::translate("QObject", "文件操作插件");
}

QString FileOperPlugin::version() const
{
    return QStringLiteral("1.0.0");
}

int FileOperPlugin::apiVersion() const
{
    return kApiVersion;
}

PluginManifest FileOperPlugin::manifest() const
{
    PluginManifest manifest;
    manifest.pluginId = pluginId();
    manifest.name = name();
    manifest.version = version();
    manifest.apiVersion = kApiVersion;
    manifest.typeIdPrefix = QStringLiteral("file.");
    manifest.requiredCapabilities = capabilities();
    manifest.extraList = QStringList();
    manifest.categoryOrder.insert(QStringLiteral("文件"), 700);
    const char* const typeIds[] = {"file.copy",   "file.move",  "file.delete",  "file.rename",
                                   "file.read",   "file.write", "file.readcsv", "file.writecsv",
                                   "file.exists", "file.parse"};
    int order = 0;
    for (const char* typeId : typeIds) {
        manifest.typeOrder.insert(QString::fromLatin1(typeId), order);
        order += 10;
    }
    return manifest;
}

QStringList FileOperPlugin::requiredCapabilities() const
{
    return capabilities();
}

void FileOperPlugin::planStep(const VariableScope* scope, int step)
{
    startPlannedStep(scope, step);
}

FilePlan FileOperPlugin::finishPlan(const VariableScope* scope)
{
    return takeFilePlan(scope);
}

bool FileOperPlugin::journalStep(const VariableScope* scope, int step, const QString& folder,
                                 QString* error)
{
    return ::journalStep(scope, step, folder, error);
}

bool FileOperPlugin::finishJournal(const VariableScope* scope, QString* error)
{
    return ::finishJournal(scope, error);
}

void FileOperPlugin::watchSteps(const VariableScope* scope, const FileStepWatcher& watcher)
{
    setStepWatcher(scope, watcher);
}

void FileOperPlugin::unwatchSteps(const VariableScope* scope)
{
    removeStepWatcher(scope);
}

void FileOperPlugin::beginFlow(const VariableScope* scope, const QString& folder)
{
    beginScopedFlow(scope, folder);
}

void FileOperPlugin::endFlow(const VariableScope* scope)
{
    endScopedFlow(scope);
}

QString FileOperPlugin::reasonText(const QString& reason, const QString& language) const
{
    // The steps' own texts are Chinese; so are their reasons, where a host shows them.
    if (!language.startsWith(QLatin1String("zh")))
        return QString();
    return chineseReason(reason);
}
