// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class VariableScope;

// What the copy and move steps share: both put a list of files into one folder, settle name
// clashes by the same policy and store the paths they produced. A move is a copy followed by
// the removal of the source.
enum class TransferKind { Copy, Move };

// What happens when a file of the target's name is already in the folder: the choices of "如果文件
// 存在" ("不执行任何操作|覆盖|文件名称后加序号") by their stored index. Any other index adds a
// number, as AddNumber does.
enum class TransferClash { LeaveAlone = 0, Overwrite = 1, AddNumber = 2 };

struct TransferSettings {
    QString files;
    QString destDir;
    TransferClash ifExist = TransferClash::LeaveAlone;
    QString listVar;
};

void transferFiles(TransferKind kind, const TransferSettings& settings, VariableScope* scope);
