// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Folder trees for the tests of the file steps, so a test states the whole state of its scratch
// folder before and after a step in one line: nothing lost, nothing extra, every byte in place.
//
//   "d/a.txt"          a file whose content is its own path ("d/a.txt")
//   "d/sub/"           a folder
//   "d/link->a.txt"    a symbolic link (the target is relative to the link's folder)
//   "d/b.txt=>d/a.txt" a hard link to an existing file
//
// A snapshot uses the same notation, sorted: a file whose content is its own path is listed bare,
// any other file as "path=content"; folders are listed only when empty. Several entries may be
// written as one text with "|" between them.

#include "testsupport.h"

#include <operation.h>
#include <variablescope.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

inline QStringList entries(const QString& text)
{
    return text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

inline QStringList sortedEntries(const QString& text)
{
    QStringList list = entries(text);
    list.sort();
    return list;
}

inline bool makeTreeEntry(const QString& entry)
{
    const int link = entry.indexOf(QLatin1String("->"));
    const int hardLink = entry.indexOf(QLatin1String("=>"));
    if (link > 0) {
        QDir().mkpath(QFileInfo(entry.left(link)).path());
        return ::symlink(QFile::encodeName(entry.mid(link + 2)).constData(),
                         QFile::encodeName(entry.left(link)).constData()) == 0;
    }
    if (hardLink > 0) {
        return ::link(QFile::encodeName(entry.mid(hardLink + 2)).constData(),
                      QFile::encodeName(entry.left(hardLink)).constData()) == 0;
    }
    if (entry.endsWith(QLatin1Char('/')))
        return QDir().mkpath(entry);
    return writeFile(entry, entry.toUtf8());
}

// Builds the entries in the current folder.
inline bool makeTree(const QString& text)
{
    for (const QString& entry : entries(text)) {
        if (!makeTreeEntry(entry))
            return false;
    }
    return true;
}

inline QStringList treeSnapshot()
{
    QStringList lines;
    const QDir base(QStringLiteral("."));
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QDirIterator it(QStringLiteral("."), all, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString relative = base.relativeFilePath(path);
        if (info.isSymLink()) {
            char target[4096];
            const ssize_t size =
                ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
            lines << relative + QLatin1String("->") + QString::fromUtf8(target, qMax<int>(size, 0));
        } else if (info.isDir()) {
            if (QDir(path).isEmpty(all))
                lines << relative + QLatin1Char('/');
        } else {
            const QString content = QString::fromUtf8(readFile(path));
            lines << (content == relative ? relative : relative + QLatin1Char('=') + content);
        }
    }
    lines.sort();
    return lines;
}

// One line per entry below the current folder, links not followed, sorted.
inline QStringList describedTree(
    const std::function<QString(const QString& path, const struct stat& status)>& describe)
{
    QStringList lines;
    QDirIterator it(QStringLiteral("."),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) == 0)
            lines << describe(path, status);
    }
    lines.sort();
    return lines;
}

// Every entry with its modification time and mode, then the snapshot.
inline QStringList stampedTree()
{
    return describedTree([](const QString& path, const struct stat& status) {
               return QStringLiteral("%1 %2.%3 %4")
                   .arg(path)
                   .arg(status.st_mtim.tv_sec)
                   .arg(status.st_mtim.tv_nsec)
                   .arg(status.st_mode, 0, 8);
           }) +
           treeSnapshot();
}

// Every entry with its type and permission bits, and the bytes of a file or the target of a link:
// what taking a run back must restore.
inline QStringList fullTreeState()
{
    const QDir base(QStringLiteral("."));
    return describedTree([&base](const QString& path, const struct stat& status) {
        const QFileInfo info(path);
        const QString what = info.isSymLink() ? QStringLiteral("link to ") + info.symLinkTarget()
                             : info.isDir()   ? QStringLiteral("folder")
                                              : QString::fromLatin1(readFile(path).toHex());
        return QStringLiteral("%1 %2 %3")
            .arg(base.relativeFilePath(path))
            .arg(status.st_mode, 0, 8)
            .arg(what);
    });
}

// The files every flow under tests/flows names.
const char* const flowsTree = "in/a.txt|in/b.txt|in/report.final.csv|in/table.csv|in.csv|in.txt|"
                              "a.txt|b.txt|c.txt|present.txt|out.txt|old|sub/|link->a.txt|"
                              "old.txt|d/x.txt|d/y.txt|e/";

// Sets "name=value" entries through the meta-object, in order; other entries are skipped.
inline bool applySettings(QObject* object, const QString& settings)
{
    for (const QString& setting : entries(settings)) {
        const int equals = setting.indexOf(QLatin1Char('='));
        if (equals > 0 && !object->setProperty(setting.left(equals).toLatin1().constData(),
                                               setting.mid(equals + 1)))
            return false;
    }
    return true;
}

// Runs a step in `scope` (nullptr: none) and returns every warning line it logged.
inline QStringList warningsOf(Operation& op, VariableScope* scope)
{
    op.setVariableScope(scope);
    const WarningLog log;
    op.doOperation();
    return log.messages();
}

// What one run of a file step left behind.
struct StepOutcome {
    QStringList tree;     // the whole scratch folder
    QString listed;       // the list variable "out", items joined by "|"
    QStringList warnings; // every warning line
};

// Builds `before` in a scratch folder, runs a step of class Op there and reads back what it left.
// Settings are "name=value" entries set through the meta-object; the entry "noscope" runs the
// step without a variable scope. The scope holds the lists out = [previous], files = [d/a.txt,
// d//b.txt] and padded = [" d/a.txt"], and the strings name = "fromvar", dest = " out " and
// text = "keep".
template <typename Op> StepOutcome runStep(const QString& before, const QString& settings)
{
    StepOutcome outcome;
    const ScratchCwd dir;
    if (!dir.isValid() || !makeTree(before))
        return {{QStringLiteral("<could not build the tree>")}, {}, {}};

    VariableScope scope;
    scope.declare(QStringLiteral("out"), VarType::List, QVariantList{QStringLiteral("previous")});
    scope.declare(QStringLiteral("files"), VarType::List,
                  QVariantList{QStringLiteral("d/a.txt"), QStringLiteral("d//b.txt")});
    scope.declare(QStringLiteral("padded"), VarType::List,
                  QVariantList{QStringLiteral(" d/a.txt")});
    scope.declare(QStringLiteral("name"), VarType::String, QStringLiteral("fromvar"));
    scope.declare(QStringLiteral("dest"), VarType::String, QStringLiteral(" out "));
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("keep"));

    Op op;
    if (!applySettings(&op, settings))
        return {{QStringLiteral("<unknown setting>")}, {}, {}};
    const bool noScope = entries(settings).contains(QLatin1String("noscope"));
    outcome.warnings = warningsOf(op, noScope ? nullptr : &scope);
    outcome.tree = treeSnapshot();
    const QVariant out = scope.get(QStringLiteral("out"));
    outcome.listed = out.userType() == QMetaType::QVariantList ? out.toStringList().join('|')
                                                               : QStringLiteral("<not a list>");
    return outcome;
}

// Data-driven tests of a file step: each row is a tree before, the row's settings, the tree
// after, the list stored in "out" and the warnings (all texts with "|" between entries).
inline void addStepColumns()
{
    for (const char* column : {"before", "settings", "after", "listed", "warnings"})
        QTest::addColumn<QString>(column);
}

inline void addStepRow(const char* tag, const char* before, const char* settings, const char* after,
                       const char* listed, const char* warnings = "")
{
    QTest::newRow(tag) << QString::fromUtf8(before) << QString::fromUtf8(settings)
                       << QString::fromUtf8(after) << QString::fromUtf8(listed)
                       << QString::fromUtf8(warnings);
}

// Runs the current row; `defaults` are settings applied before the row's own.
template <typename Op> void checkStepRow(const QString& defaults)
{
    QFETCH(QString, before);
    QFETCH(QString, settings);
    QFETCH(QString, after);
    QFETCH(QString, listed);
    QFETCH(QString, warnings);
    const StepOutcome outcome = runStep<Op>(before, defaults + QLatin1Char('|') + settings);
    QCOMPARE(outcome.tree, sortedEntries(after));
    QCOMPARE(outcome.listed, listed);
    QCOMPARE(outcome.warnings, entries(warnings));
}
