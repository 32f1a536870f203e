#pragma once

#include <QString>

class VariableScope;

// What the copy and move steps share: both put a list of files into one folder, settle name
// clashes by the same policy and store the paths they produced. A move is a copy followed by
// the removal of the source.
enum class TransferKind { Copy, Move };

struct TransferSettings {
    QString files;
    QString destDir;
    int ifExist = 0;
    QString listVar;
};

void transferFiles(TransferKind kind, const TransferSettings& settings, VariableScope* scope);
