// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filerenameoperation.h"

#include "core/logging.h"
#include "core/pathparts.h"
#include "core/persistence.h"
#include "core/settings.h"
#include "filesystem/fileplans.h"
#include "filesystem/pathcontainment.h"
#include "operations/filelist.h"
#include "operations/stepfiles.h"

#include <QFileInfo>
#include <QStringBuilder>

namespace
{

using Sep = FileRenameOperation::Sep;

QString separatorText(Sep sep)
{
    switch (sep) {
    case Sep::Dash:
        return QStringLiteral("-");
    case Sep::Underscore:
        return QStringLiteral("_");
    case Sep::Space:
        return QStringLiteral(" ");
    case Sep::Period:
        return QStringLiteral(".");
    case Sep::None:
    default:
        return QString();
    }
}

// No file system takes a name of more characters than this, so padding beyond it only has to
// keep the name too long for the rename to fail, not be built in full. A negative length pads
// nothing (and must not reach QString's width arithmetic, which would overflow).
const int kLongestName = 255;

QString numberText(qint64 number, bool usePad, int padLen)
{
    if (!usePad)
        return QString::number(number);
    padLen = qBound(0, padLen, kLongestName + 1);
    // Written from the end, in one piece: a rename by numbering makes one for every file.
    char text[kLongestName + 32];
    char* const end = text + sizeof text;
    char* first = end;
    quint64 magnitude = number < 0 ? 0 - quint64(number) : quint64(number);
    do {
        *--first = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    // Only settings outside the editor's range make a number negative; its sign then stays in
    // front of the zeros ("-05", not "0-5").
    const int signWidth = number < 0 ? 1 : 0;
    while (end - first < padLen - signWidth)
        *--first = '0';
    if (number < 0)
        *--first = '-';
    return QString::fromLatin1(first, int(end - first));
}

// Two paths that reach the same data once links are followed.
bool sameFileData(FileSystem& files, const QString& a, const QString& b)
{
    const EntryStatus first = files.status(a);
    const EntryStatus second = files.status(b);
    return first.exists() && second.exists() && first.id == second.id;
}

// Two paths whose last components are one and the same file, links not followed: the same path
// written another way, a name that differs only in letter case on a file system that ignores
// case, or two hard links. A symbolic link and its target are not.
bool sameDirectoryEntry(FileSystem& files, const QString& a, const QString& b)
{
    const EntryStatus first = files.status(a, Links::NoFollow);
    const EntryStatus second = files.status(b, Links::NoFollow);
    return first.exists() && second.exists() && first.id == second.id;
}

// Always false, after logging why `source` keeps its name.
bool notRenamed(const QString& source, const QString& why)
{
    explainSkip(lcRename, source, QStringLiteral("not renamed, ") + why);
    return false;
}

// Always false: the step leaves the file alone by design, which a plan shows too.
bool leftAlone(FileSystem& files, const QString& source, const QString& target, const QString& why)
{
    files.noteSkipped(QStringLiteral("rename"), target, source, why);
    return notRenamed(source, why);
}

bool renameFile(FileSystem& files, const QString& source, const QString& target)
{
    FileError error;
    return files.rename(source, target, Overwrite::No, &error) || notRenamed(source, error.text);
}

// Overwriting must never cost the user the file being renamed, nor a folder that happens to
// carry the new name.
bool renameOverExisting(FileSystem& files, const QString& source, const QString& target)
{
    if (sameDirectoryEntry(files, source, target)) {
        // The new path is the source itself. An unchanged name (the method changed nothing, the
        // mode is unknown) is already where the user wants it: counted as renamed. A change of
        // letter case alone is left to the rename, which does it without removing anything; for
        // two hard links it refuses, and the file is skipped with both names kept.
        if (QFileInfo(source).fileName() == QFileInfo(target).fileName())
            return true;
        return renameFile(files, source, target);
    }
    // One is a link to the other: removing the target would either delete the data the source
    // leads to or leave the renamed link pointing at nothing.
    if (sameFileData(files, source, target))
        return leftAlone(files, source, target, target + QStringLiteral(" leads to the same file"));
    // A folder in the way stays, with everything in it.
    if (files.status(target, Links::NoFollow).isFolder())
        return leftAlone(files, source, target, target + QStringLiteral(" is a folder"));
    // The target is replaced in one step, never removed first.
    FileError error;
    return files.rename(source, target, Overwrite::Yes, &error) || notRenamed(source, error.text);
}

} // namespace

FileRenameOperation::FileRenameOperation(QObject* parent) : Operation(parent)
{
}

FileRenameOperation::~FileRenameOperation() = default;

QString FileRenameOperation::root() const
{
    return tr("文件");
}

QString FileRenameOperation::typeId() const
{
    return QStringLiteral("file.rename");
}

QString FileRenameOperation::typeName() const
{
    return tr("重命名文件");
}

QString FileRenameOperation::icon() const
{
    return QStringLiteral(":/images/file_rename.svg");
}

FileRenameOperation::NameParts FileRenameOperation::renamedParts(const NameParts& old,
                                                                 qint64* runningNumber) const
{
    VariableScope* scope = variableScope();
    const auto text = [scope](const QString& setting) {
        return resolveSetting(setting, scope).toString();
    };
    NameParts parts = old;
    switch (m_mode) {
    case Mode::SetNewName: {
        const QString name = text(m_newName).trimmed();
        const PathParts asFileName = splitPath(name);
        // A new name with an extension replaces the extension too; one without keeps the old.
        if (!asFileName.suffix.isEmpty())
            parts = {asFileName.completeBaseName, asFileName.suffix};
        else
            parts.baseName = name;
        break;
    }
    case Mode::AddText: {
        const QString added = text(m_addText);
        parts.baseName =
            m_addPos == AddPos::BeforeName ? added + old.baseName : old.baseName + added;
        break;
    }
    case Mode::DeleteText: {
        const QString removed = text(m_delText);
        if (!removed.isEmpty())
            parts.baseName.remove(removed, Qt::CaseSensitive);
        break;
    }
    case Mode::ReplaceText: {
        const QString before = text(m_oldText);
        if (!before.isEmpty())
            parts.baseName.replace(before, text(m_newText), Qt::CaseSensitive);
        break;
    }
    case Mode::ChangeExtension:
        parts.suffix = text(m_newExt).trimmed().remove(QLatin1Char('.'));
        break;
    case Mode::AddNumbering: {
        const QString number = numberText(*runningNumber, m_usePad, m_padLen);
        const QString separator = separatorText(m_sep);
        // The position comes from the add-text setting, which the editor shows for method 1 only.
        parts.baseName = m_addPos == AddPos::BeforeName
                             ? QString(number % separator % old.baseName)
                             : QString(old.baseName % separator % number);
        *runningNumber += m_step;
        break;
    }
    default:
        break;
    }
    return parts;
}

bool FileRenameOperation::renameInPlace(FileSystem& files, const QString& source,
                                        const QString& target) const
{
    // Tried first: where nothing is in the way it is the only call a rename needs.
    FileError error;
    if (files.rename(source, target, Overwrite::No, &error))
        return true;
    if (!files.exists(target))
        return notRenamed(source, error.text);
    if (m_ifNewExist == IfNewExist::LeaveAlone)
        return leftAlone(files, source, target, target + QStringLiteral(" is there"));
    return renameOverExisting(files, source, target);
}

void FileRenameOperation::doOperation() const
{
    const QStringList paths = expandFileList(variableScope(), m_files);
    StepFiles step(variableScope(), "[FileRename]");
    FileSystem& files = step.files();
    qint64 runningNumber = m_startNum;
    QStringList renamed;
    step.expectFiles(paths, StepFiles::Bytes::NotCounted);
    for (const QString& path : paths) {
        if (!step.goOn())
            break;
        if (!files.exists(path)) {
            leftAlone(files, path, path, QStringLiteral("no such file"));
            continue;
        }
        const PathParts source = splitPath(path);
        const NameParts parts =
            renamedParts({source.completeBaseName, source.suffix}, &runningNumber);
        const QString target = parts.suffix.isEmpty()
                                   ? QString(source.folder % QLatin1Char('/') % parts.baseName)
                                   : QString(source.folder % QLatin1Char('/') % parts.baseName %
                                             QLatin1Char('.') % parts.suffix);
        // Names come from variables and table cells: none may put a file anywhere else.
        const QString outside = whyOutsideFolder(files, source.folder, target);
        if (!outside.isEmpty()) {
            leftAlone(files, path, target, outside);
            continue;
        }
        if (renameInPlace(files, path, target))
            renamed.append(target);
    }
    storeListVariable(variableScope(), m_newList, renamed);
}

void FileRenameOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileRenameOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileRenameOperation::toString() const
{
    return QStringLiteral("%1: %2 (mode=%3)").arg(typeName()).arg(m_files).arg(mode());
}

QString FileRenameOperation::description() const
{
    return tr("重命名 %1").arg(m_files);
}

Operation* FileRenameOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}
