// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Encoding detection and the text file reader and writer on arbitrary bytes, with the locale codec
// UTF-8 (where the structure test is skipped) or Latin-1 (where it decides). Detection must match
// the byte-by-byte reading of the rules, a text decoded in pieces must be the text decoded whole,
// a written text must read back, and an append must keep every byte the file had.
#include "csv/csvsplit.h"
#include "filesystem/realfilesystem.h"
#include "fuzzcheck.h"
#include "tests/utf8walk.h"
#include "text/legacycodec.h"
#include "text/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

namespace
{

QTemporaryDir* folder = nullptr;

QString pathOf(const char* name)
{
    return folder->filePath(QLatin1String(name));
}

void putBytes(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    QFile file(path);
    fuzzCheck(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), "scratch file");
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString decode(const QByteArray& encoding, const QByteArray& bytes)
{
    if (QTextCodec* codec = QTextCodec::codecForName(encoding))
        return codec->toUnicode(bytes);
    return QString::fromLocal8Bit(bytes);
}

void checkDetection(const QByteArray& data)
{
    QByteArray payload;
    bool hadBom = true;
    const QByteArray encoding = detectTextEncoding(data, &payload, &hadBom);
    const QByteArray mark = byteOrderMarkFor(encoding);
    if (hadBom) {
        fuzzCheck(!mark.isEmpty() && mark + payload == data, "a mark is removed, nothing else");
    } else {
        fuzzCheck(payload == data, "without a mark the payload is the data");
        const QByteArray locale = legacyTextCodec()->name();
        const bool utf8 = data.isEmpty() || locale == "UTF-8" || plainUtf8Walk(data);
        fuzzCheck(encoding == (utf8 ? QByteArray("UTF-8") : locale), "the structure test");
    }
    putBytes(pathOf("read"), data);
    bool ok = false;
    const QString text = readTextFile(RealFileSystem::instance(), pathOf("read"), &ok);
    fuzzCheck(ok && text == decode(encoding, payload), "readTextFile decodes the payload");
}

// Large files are decoded in pieces on threads: joined, the pieces are the text decoded whole,
// and their lines are its lines.
void checkPieces(const QByteArray& data, int parts)
{
    const QString whole = decodeFileBytesInPieces(data, 1).join(QString());
    const QStringList pieces = decodeFileBytesInPieces(data, parts);
    fuzzCheck(pieces.join(QString()) == whole, "the pieces join into the whole text");
    for (int i = 0; i + 1 < pieces.size(); ++i)
        fuzzCheck(pieces.at(i).endsWith(QLatin1Char('\n')), "a piece but the last ends with LF");
    TextLines wholeLines(whole);
    TextLines pieceLines(pieces);
    fuzzCheck(pieceLines.count() == wholeLines.count(), "the pieces count the text's lines");
    QStringView line;
    QStringView pieceLine;
    while (wholeLines.next(&line))
        fuzzCheck(pieceLines.next(&pieceLine) && pieceLine == line, "the pieces give its lines");
    fuzzCheck(pieceLines.atEnd(), "the pieces end with the text's last line");
}

// Texts that UTF-8 carries unchanged and that do not begin with a mark of their own.
bool survivesUtf8(const QString& text)
{
    return !text.startsWith(QChar(0xFEFF)) && QString::fromUtf8(text.toUtf8()) == text;
}

void checkWriteReadsBack(const QString& text, AppendStart start)
{
    if (!survivesUtf8(text))
        return;
    const QString path = pathOf("written");
    QFile::remove(path);
    fuzzCheck(writeTextFile(RealFileSystem::instance(), path, text, WriteMode::Replace, start),
              "a new file is written");
    bool ok = false;
    fuzzCheck(readTextFile(RealFileSystem::instance(), path, &ok) == text && ok,
              "a written text reads back");
}

// Appending never changes a byte the file had. Where the old content and the text both survive
// the file's encoding, the file then reads as the old text, the guard's LF where one is due, and
// the new text.
void checkAppend(const QByteArray& old, const QString& text, AppendStart start)
{
    const QString path = pathOf("appended");
    putBytes(path, old);
    bool ok = false;
    const QString before = readTextFile(RealFileSystem::instance(), path, &ok);
    fuzzCheck(writeTextFile(RealFileSystem::instance(), path, text, WriteMode::Append, start),
              "an append is written");
    const QByteArray after = bytesOf(path);
    fuzzCheck(after.startsWith(old), "an append keeps the old bytes");

    QByteArray payload;
    bool hadBom = false;
    const QByteArray encoding = detectTextEncoding(old, &payload, &hadBom);
    QTextCodec* codec = QTextCodec::codecForName(encoding);
    if (!codec || !survivesUtf8(text) || codec->fromUnicode(codec->toUnicode(payload)) != payload)
        return;
    // The new bytes can make the old ones look like something else: Latin-1 "ÿ" followed by "þ"
    // is FF FE, a UTF-16LE mark. The file is then read as what it now looks like.
    QByteArray afterPayload;
    if (detectTextEncoding(after, &afterPayload, &hadBom) != encoding)
        return;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString encodedText =
        codec->toUnicode(codec->fromUnicode(text.constData(), text.size(), &state));
    if (encodedText != text)
        return;
    const bool guard =
        start == AppendStart::NewLine && !before.isEmpty() && !before.endsWith(QLatin1Char('\n'));
    const QString expected = before + (guard ? QStringLiteral("\n") : QString()) + text;
    fuzzCheck(readTextFile(RealFileSystem::instance(), path, &ok) == expected,
              "an append reads as old text plus new text");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    folder = new QTemporaryDir; // lives for the whole run
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uchar mode = input.take();
    QTextCodec::setCodecForLocale(mode & 1 ? QTextCodec::codecForName("ISO-8859-1") : nullptr);
    const AppendStart start = mode & 2 ? AppendStart::NewLine : AppendStart::SameLine;
    const QByteArray bytes = input.rest();
    checkDetection(bytes);
    checkPieces(bytes, 2 + (mode >> 3) % 8);
    checkWriteReadsBack(input.restAsText(mode & 4), start);
    const int half = bytes.size() / 2;
    const QByteArray second = bytes.mid(half);
    const QString text =
        mode & 4 ? QString(reinterpret_cast<const QChar*>(second.constData()), second.size() / 2)
                 : QString::fromUtf8(second);
    checkAppend(bytes.left(half), text, start);
    return 0;
}
