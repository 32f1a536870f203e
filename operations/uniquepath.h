// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <functional>

class FileSystem;

// The first free numbered variant of a path: "report.pdf" gives "report(1).pdf", then
// "report(2).pdf", and so on up to 99999. If every candidate is taken, the last one is returned
// (it exists, so a copy to it fails instead of replacing anything).
QString makeUniquePath(FileSystem& files, const QString& path);

// The same, with `isTaken` telling which names are in use (names a step has reserved among them).
QString makeUniquePath(const std::function<bool(const QString&)>& isTaken, const QString& path);
