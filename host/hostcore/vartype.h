// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// The declared type of a flow variable, as the host's variable panel offers it.
enum class VarType {
    Undeclared = 0,
    Bool = 1,
    Number = 2,
    String = 3,
    Object = 4,
    List = 5,
    DataTable = 6,
};
