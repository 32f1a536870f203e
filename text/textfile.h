// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

class QTextCodec;

// The module's one road between bytes and text. Files it creates or replaces are UTF-8 with a
// byte-order mark; appends continue in the file's own encoding. None of these functions logs:
// the calling step reports a failure in its own words.

// Classifies a buffer by its byte-order mark, else by the UTF-8 structure test. Returns the
// encoding name ("UTF-32BE", "UTF-32LE", "UTF-8", "UTF-16LE", "UTF-16BE" or the legacy codec's
// name); *payload receives the bytes after the mark (all of them without one), *hadBom whether a
// mark was found.
QByteArray detectTextEncoding(const QByteArray& data, QByteArray* payload, bool* hadBom);

// The mark bytes of one of the five Unicode encodings above (names compared exactly); empty for
// any other name.
QByteArray byteOrderMarkFor(const QByteArray& encodingName);

// Reads and decodes a whole file, mark removed, line ends untouched. *ok (may be null) is false
// when the file cannot be read.
QString readTextFile(FileSystem& files, const QString& path, bool* ok);

// Reads and decodes a whole file as readTextFile does, a large UTF-8 file in pieces of a few
// megabytes, decoded on a thread per core and never joined: the pieces follow one another, each
// but the last ends with a line feed, and the last holds more than line breaks. A caller done with
// a piece may drop it while it works on the others.
QStringList readTextFileInPieces(FileSystem& files, const QString& path, bool* ok);

// The decoding behind it: a whole file's bytes, mark and all, in at most `parts` pieces.
QStringList decodeFileBytesInPieces(const QByteArray& bytes, int parts);

// Where an appended text begins when the file's last line has no line break yet.
enum class AppendStart { NewLine, SameLine };

// Replaces the file's content with text (UTF-8 with a mark), or appends it in the file's own
// encoding, starting where `start` says. False when the file could not be written; a replaced
// file then keeps its old content.
bool writeTextFile(FileSystem& files, const QString& path, const QString& text, WriteMode mode,
                   AppendStart start);

// Writes a file as writeTextFile does, for a text made a part at a time: open() settles the
// encoding and writes the mark or the line break an append asks for; encode() may then run on any
// number of threads at once, write() and writeText() on one at a time. A replaced file takes its
// new content only in commit(); unless that succeeds, the writer undoes what it wrote when it goes
// (see RegularFileWriter).
class TextFileWriter
{
public:
    TextFileWriter() = default;
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool open(FileSystem& files, const QString& path, WriteMode mode, AppendStart start);
    QByteArray encode(QStringView text) const;
    bool write(const QByteArray& bytes);
    // Encodes and writes a text of any length, never holding an encoded copy of all of it.
    bool writeText(QStringView text);
    bool commit();

private:
    std::unique_ptr<FileWriter> m_file;
    QTextCodec* m_codec = nullptr;
};
