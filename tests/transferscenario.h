#pragma once

// Shared by the tests of the copy and move steps.
//
// A folder tree written as a sorted list of entries, so a test can state the whole state of its
// temporary folder before and after a step: nothing lost, nothing extra, every byte in place.
//   "a.txt=text"      a file and its content
//   "dir/"            a folder (every folder is listed, empty or not)
//   "l.txt->target"   a symbolic link; the target is relative to the tree's root

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

inline bool makeTree(const QString& root, const QStringList& entries)
{
    const QDir dir(root);
    for (const QString& entry : entries) {
        const int arrow = entry.indexOf(QLatin1String("->"));
        const int equals = entry.indexOf(QLatin1Char('='));
        if (arrow > 0) {
            const QString link = dir.filePath(entry.left(arrow));
            dir.mkpath(QFileInfo(link).path());
            if (!QFile::link(dir.filePath(entry.mid(arrow + 2)), link))
                return false;
        } else if (equals > 0) {
            if (!writeFile(dir.filePath(entry.left(equals)), entry.mid(equals + 1).toUtf8()))
                return false;
        } else if (!dir.mkpath(entry)) {
            return false;
        }
    }
    return true;
}

inline QStringList readTree(const QString& root)
{
    const QDir dir(root);
    const QString rootPrefix = dir.absolutePath() + QLatin1Char('/');
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString path = dir.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            QString target = info.symLinkTarget();
            if (target.startsWith(rootPrefix))
                target = target.mid(rootPrefix.size());
            entries << path + QLatin1String("->") + target;
        } else if (info.isDir()) {
            entries << path + QLatin1Char('/');
        } else {
            entries << path + QLatin1Char('=') + QString::fromUtf8(readFile(info.filePath()));
        }
    }
    entries.sort();
    return entries;
}

#include <variablescope.h>

#include <QTemporaryDir>
#include <QVariant>

// What one run of a copy or move step left behind.
struct TransferOutcome {
    bool ready = false; // the temporary folder and the tree before could be made
    QStringList tree;   // the whole temporary folder afterwards
    QVariant listed;    // the value of the list variable "done" afterwards
    QStringList warnings;
};

// Runs a step of class Op inside a fresh temporary folder (the current directory during the run),
// after building the tree `before` in it. The scope holds the list variable "done" (set to
// ["previous"]), a list "srcs" of src/a.txt and src/b.txt, and a string "dest" of " out ".
template <typename Op>
TransferOutcome runTransfer(const QStringList& before, const QString& files, const QString& destDir,
                            int ifExist, const QString& listVar = QStringLiteral("done"))
{
    TransferOutcome outcome;
    QTemporaryDir dir;
    if (!dir.isValid() || !makeTree(dir.path(), before))
        return outcome;
    outcome.ready = true;

    VariableScope scope;
    scope.declare(QStringLiteral("done"), VarType::List, QVariantList{QStringLiteral("previous")});
    scope.declare(QStringLiteral("srcs"), VarType::List,
                  QVariantList{QStringLiteral("src/a.txt"), QStringLiteral("src/b.txt")});
    scope.declare(QStringLiteral("dest"), VarType::String, QStringLiteral(" out "));
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("keep"));

    Op op;
    op.setFiles(files);
    op.setDestDir(destDir);
    op.setIfExist(ifExist);
    op.setListVar(listVar);
    op.setVariableScope(&scope);

    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        WarningLog log;
        op.doOperation();
        outcome.warnings = log.messages();
    }
    QDir::setCurrent(oldCurrent);
    outcome.tree = readTree(dir.path());
    outcome.listed = scope.get(QStringLiteral("done"));
    return outcome;
}

inline QVariant listValue(const QStringList& paths)
{
    QVariantList items;
    for (const QString& path : paths)
        items << path;
    return items;
}
