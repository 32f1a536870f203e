// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// Why a change or read of a file failed: which operation, on which path, the system's error
// number (errno, 0 where no system call failed but a check refused) and its text. Every file
// system gives one back on failure, the real one, a plan's (as the disk would answer) and a
// journal's, whose own refusals say that it was the journal that refused.
struct FileError {
    enum class Operation { None, MakeFolder, Copy, Rename, Remove, Open, Read, Write, Commit };
    // Who said no: the files themselves (or a plan, as they would), or the journal, which could
    // not record the change and so did not let it be made.
    enum class RefusedBy { Files, Journal };

    Operation operation = Operation::None;
    RefusedBy refusedBy = RefusedBy::Files;
    QString path;
    int code = 0;
    QString text;

    bool isError() const { return operation != Operation::None; }
    bool byJournal() const { return refusedBy == RefusedBy::Journal; }

    // The system's refusal with the number `code`, in its own words.
    static FileError system(Operation operation, const QString& path, int code);
    // A refusal in words of its own; `code` is the number the system gives (or would give) for
    // it, or 0.
    static FileError withText(Operation operation, const QString& path, int code,
                              const QString& text);
    // The journal could not record the change at `path`.
    static FileError journalRefused(Operation operation, const QString& path, const QString& text);
};

// The name of an operation as messages and tests spell it: "copy", "rename", "write".
QString operationName(FileError::Operation operation);

// Always false; hands `value` to the caller when it asked for it (`error` may be null).
bool failWith(FileError* error, const FileError& value);
