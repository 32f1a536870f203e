#pragma once

#include <QString>

class QFile;

// Opening a user's file without waiting and without surprises: only regular files are opened
// (links followed), and the open itself never blocks. A FIFO or a device that takes a file's place
// between a check and the open is refused instead of stalling the flow.

// Opens an existing regular file for reading.
bool openRegularFileForReading(const QString& path, QFile* file);

enum class WriteMode { Replace, Append };

// Opens a regular file for writing, creating it when it is missing (*created tells whether this
// open made it). Replace empties the file, Append writes after its end.
bool openRegularFileForWriting(const QString& path, WriteMode mode, QFile* file, bool* created);
