// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QtGlobal>

class TextLines;
struct CellSplitter;

// What a data table read from text costs in memory, so that a table no machine could hold is
// refused before it is built rather than ending the process half way.

// A bound that needs no look at the text: as if every character ended a cell.
qint64 worstTableBytes(qint64 characters, qint64 rows);

// The table the `rows` lines from the walker's current line make when split by `splitter`. Cells
// are counted by their delimiters, quoted ones included, so never fewer than the splitter makes.
qint64 estimatedTableBytes(TextLines lines, int rows, const CellSplitter& splitter);
