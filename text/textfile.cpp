// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "textfile.h"

#include "codecbytes.h"
#include "core/parallel.h"
#include "core/regularfile.h"
#include "legacycodec.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QVector>
#include <QtEndian>

#include <atomic>
#include <climits>
#include <cstring>
#include <vector>

namespace
{

struct ByteOrderMark {
    const char* bytes;
    int length;
    const char* encoding;
    const char* hex; // how the writer holds the mark
};

// Detection tests the rows in this order: the UTF-32LE mark begins with the UTF-16LE one.
const ByteOrderMark kMarks[] = {
    {"\x00\x00\xFE\xFF", 4, "UTF-32BE", "0000feff"},
    {"\xFF\xFE\x00\x00", 4, "UTF-32LE", "fffe0000"},
    {"\xEF\xBB\xBF", 3, "UTF-8", "efbbbf"},
    {"\xFF\xFE", 2, "UTF-16LE", "fffe"},
    {"\xFE\xFF", 2, "UTF-16BE", "feff"},
};

const char kUtf8[] = "UTF-8";

// A file smaller than two of these is decoded in one piece: a thread would gain it nothing.
const int kBytesPerPiece = 1 << 20;

// A large file read in pieces is cut into pieces of about this size however many cores decode
// them, so that a reader gives each piece's text back soon after its lines: what a reader is still
// in when its table is all but built adds to the peak, twice this size per reading thread.
const int kBytesPerSmallPiece = 1 << 19;

// Decoding n bytes can give up to n characters, and a QString holds at most about 2^30 of them:
// a larger file is reported as unreadable rather than ending the host in a failed allocation.
const qint64 kMaxReadableSize = INT_MAX / 2 - 64;

// The writer classifies a mark-less file from its first bytes. A sample of one page sees far
// more of the file than the four bytes a mark needs, and costs one short read. Where the legacy
// code page is UTF-8 too, that is all the verdict needs; otherwise a sample that looks like UTF-8
// is followed through the rest of the file in chunks, so that the writer agrees with the reader.
const int kWriterSampleSize = 4096;
const int kWriterScanChunk = 1 << 16;

struct Detection {
    QByteArray encoding;
    int markLength = 0;
};

// Number of bytes that follow a UTF-8 lead byte, or -1 for a byte that cannot lead.
int continuationCount(uchar lead)
{
    if ((lead & 0xE0) == 0xC0)
        return 1;
    if ((lead & 0xF0) == 0xE0)
        return 2;
    if ((lead & 0xF8) == 0xF0)
        return 3;
    return -1;
}

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The structure test eight bytes at a time. Only bit 7 of each byte of these masks counts.
// A byte must be a continuation byte (10xxxxxx) exactly where the lead before it asks for one:
// the byte after any lead (C0-FF), the second after a lead E0-FF, the third after F0-FF.
// Everything else must be ASCII or a lead no higher than F7.
struct Utf8Masks {
    quint64 continuation; // 10xxxxxx
    quint64 needs1;       // 11xxxxxx
    quint64 needs2;       // 111xxxxx
    quint64 needs3;       // 1111xxxx
    quint64 badLead;      // 11111xxx
};

Utf8Masks masksOf(quint64 word)
{
    const quint64 high = 0x8080808080808080ULL;
    const quint64 top2 = word & (word << 1);
    const quint64 top3 = top2 & (word << 2);
    const quint64 top4 = top3 & (word << 3);
    return {word & ~(word << 1) & high, top2 & high, top3 & high, top4 & high,
            top4 & (word << 4) & high};
}

bool passesUtf8StructureTest(const uchar* data, qsizetype size)
{
    // Continuations still owed to leads of the previous word, in byte order of this one.
    quint64 owed = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        // Byte i at the low end on every machine, so that "later" is "higher".
        const quint64 word = qFromLittleEndian<quint64>(data + i);
        if (!owed && !(word & 0x8080808080808080ULL))
            continue; // plain ASCII
        const Utf8Masks m = masksOf(word);
        const quint64 required = owed | (m.needs1 << 8) | (m.needs2 << 16) | (m.needs3 << 24);
        if ((required ^ m.continuation) | m.badLead)
            return false;
        owed = (m.needs1 >> 56) | (m.needs2 >> 48) | (m.needs3 >> 40);
    }
    // The tail, byte by byte, with what the last whole word still owes.
    int pending = owed ? (owed >> 16 ? 3 : owed >> 8 ? 2 : 1) : 0;
    for (; i < size; ++i) {
        const uchar byte = data[i];
        if (pending > 0) {
            if (!isContinuation(byte))
                return false;
            --pending;
            continue;
        }
        if (byte < 0x80)
            continue;
        const int further = continuationCount(byte);
        if (further < 0)
            return false;
        pending = further;
    }
    // A sequence cut off by the end of the buffer counts as invalid.
    return pending == 0;
}

Detection detectEncoding(const char* data, qsizetype size)
{
    for (const ByteOrderMark& mark : kMarks) {
        if (size >= mark.length && std::memcmp(data, mark.bytes, size_t(mark.length)) == 0)
            return {QByteArray(mark.encoding), mark.length};
    }
    // The test only chooses between UTF-8 and the legacy codec. Where the legacy codec is UTF-8
    // itself, as on most systems, both answers are the same and the pass over the data is saved.
    const QByteArray legacyName = legacyTextCodec()->name();
    if (size == 0 || legacyName == kUtf8 ||
        passesUtf8StructureTest(reinterpret_cast<const uchar*>(data), size))
        return {QByteArray(kUtf8), 0};
    return {legacyName, 0};
}

// How many bytes at the end of the sample belong to a UTF-8 sequence that the sample cuts off
// (0 when the last sequence is complete, or when the tail is no sequence start at all).
int cutOffSequenceLength(const QByteArray& sample)
{
    const int size = sample.size();
    for (int k = 1; k <= 3 && k <= size; ++k) {
        const uchar byte = uchar(sample.at(size - k));
        if (isContinuation(byte))
            continue;
        const int further = continuationCount(byte);
        return (further >= 0 && k <= further) ? k : 0;
    }
    return 0;
}

QString decode(const QByteArray& encoding, const char* data, int size)
{
    if (QTextCodec* codec = QTextCodec::codecForName(encoding))
        return decodeBytes(codec, data, size);
    return QString::fromLocal8Bit(data, size);
}

// A whole file's text as the reader gives it: the mark found and removed, the rest decoded in
// place, without a copy of a large file.
QString decodeFileBytes(const QByteArray& bytes)
{
    const Detection found = detectEncoding(bytes.constData(), bytes.size());
    return decode(found.encoding, bytes.constData() + found.markLength,
                  bytes.size() - found.markLength);
}

// Where a UTF-8 payload is cut into at most `parts` pieces that decode apart exactly as within
// the whole: just after a line feed, which is never part of a longer sequence. Not before EF BB BF,
// which the decoder drops at the start of what it is given and keeps anywhere else, and not within
// the trailing line breaks, so the last piece holds more than breaks.
QVector<int> utf8CutPoints(const char* data, int size, int parts)
{
    int limit = size;
    while (limit > 0 && (data[limit - 1] == '\n' || data[limit - 1] == '\r'))
        --limit;
    QVector<int> cuts;
    int at = 0;
    for (int part = 1; part < parts; ++part) {
        at = qMax(at, int(qint64(size) * part / parts));
        do {
            const void* lineFeed =
                at < limit ? std::memchr(data + at, '\n', size_t(limit - at)) : nullptr;
            if (!lineFeed)
                return cuts;
            at = int(static_cast<const char*>(lineFeed) - data) + 1;
        } while (std::memcmp(data + at, "\xEF\xBB\xBF", qMin(3, size - at)) == 0);
        cuts.append(at);
    }
    return cuts;
}

// Qt's UTF-16 and UTF-32 encoders put their own mark in front of the text unless told not to;
// a mark, when one is wanted, is written separately, and an append must never add a second one.
QByteArray encodeWithoutMark(QTextCodec* codec, QStringView text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return encodeText(codec, text, &state);
}

struct AppendEncoding {
    QByteArray encoding;
    bool hadBom = false;
};

bool passesUtf8StructureTest(const QByteArray& data)
{
    return passesUtf8StructureTest(reinterpret_cast<const uchar*>(data.constData()), data.size());
}

// Whether the file, from where `carried` (a sequence the sample cut off) stops, passes the
// structure test as the reader's test of the whole file would: a chunk at a time, a sequence cut
// off by a chunk's end carried into the next, and one cut off by the file's end invalid.
bool restPassesUtf8StructureTest(FileSystem& files, const QString& path, qint64 offset,
                                 QByteArray carried)
{
    for (;;) {
        QByteArray chunk;
        if (!files.readPart(path, offset, kWriterScanChunk, &chunk, nullptr) || chunk.isEmpty())
            return carried.isEmpty();
        offset += chunk.size();
        QByteArray data = carried + chunk;
        const int cut = cutOffSequenceLength(data);
        carried = data.right(cut);
        data.chop(cut);
        if (!passesUtf8StructureTest(data))
            return false;
    }
}

// The encoding an existing file continues in. A sample that stops inside a multi-byte sequence
// only because the file goes on is judged without that cut-off tail, so a mark-less UTF-8 file
// that starts with Chinese text is continued in UTF-8. A sample that passes as UTF-8 does not
// settle a file in a legacy code page whose first non-ASCII text comes later (a wide header row,
// many numeric rows): unless the legacy codec is UTF-8 as well, the rest of the file decides.
bool sniffAppendEncoding(FileSystem& files, const QString& path, AppendEncoding* result)
{
    // One byte more than the sample tells whether the file goes on after it.
    QByteArray sample;
    if (!files.readPart(path, 0, kWriterSampleSize + 1, &sample, nullptr))
        return false;
    const bool wholeFile = sample.size() <= kWriterSampleSize;
    sample.truncate(kWriterSampleSize);
    const int cut = wholeFile ? 0 : cutOffSequenceLength(sample);
    QByteArray payload;
    result->encoding =
        detectTextEncoding(sample.left(sample.size() - cut), &payload, &result->hadBom);
    if (wholeFile || result->hadBom || result->encoding != kUtf8)
        return true;
    const QByteArray legacyName = legacyTextCodec()->name();
    if (legacyName != kUtf8 &&
        !restPassesUtf8StructureTest(files, path, kWriterSampleSize, sample.right(cut)))
        result->encoding = legacyName;
    return true;
}

// The guard decodes the file's last bytes before it looks at them: the last character, not the
// last byte, decides (01 0A in UTF-16BE is U+010A), and a file holding only its mark decodes to
// nothing and needs no line break.
bool endsWithoutLineFeed(FileSystem& files, const QString& path, QTextCodec* codec)
{
    const qint64 size = files.status(path).size;
    if (size <= 0)
        return false;
    const qint64 start = size - qMin<qint64>(size, 8);
    QByteArray bytes;
    if (!files.readPart(path, start, size - start, &bytes, nullptr))
        return false;
    // A tail that is the whole file is read as the reader reads a file, mark and all: the two then
    // agree on whether it holds any text (a mark followed by U+FEFF reads as empty to both).
    const QString tail =
        start == 0 ? decodeFileBytes(bytes) : decodeBytes(codec, bytes.constData(), bytes.size());
    return !tail.isEmpty() && tail.back() != QLatin1Char('\n');
}

// Text is encoded in runs of this many characters, as many runs at once as there are cores, and
// each batch is written before the next is encoded: no encoded copy of a whole large text is held.
const int kEncodeRun = 1 << 22;

// The text cut into runs, never just after a high surrogate: the encoders hold a trailing one back
// for the low half to come, so a run ending in one would lose it, paired or not.
QVector<QStringView> cutIntoRuns(QStringView text)
{
    QVector<QStringView> runs;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = qMin(text.size(), at + kEncodeRun);
        while (end < text.size() && text.at(end - 1).isHighSurrogate())
            ++end;
        runs.append(text.mid(at, end - at));
        at = end;
    }
    return runs;
}

} // namespace

QByteArray detectTextEncoding(const QByteArray& data, QByteArray* payload, bool* hadBom)
{
    *hadBom = false;
    *payload = data;
    const Detection found = detectEncoding(data.constData(), data.size());
    if (found.markLength > 0) {
        *payload = data.mid(found.markLength);
        *hadBom = true;
    }
    return found.encoding;
}

QByteArray byteOrderMarkFor(const QByteArray& encodingName)
{
    for (const ByteOrderMark& mark : kMarks) {
        if (encodingName == mark.encoding)
            return QByteArray::fromHex(mark.hex);
    }
    return QByteArray();
}

QStringList decodeFileBytesInPieces(const QByteArray& bytes, int parts)
{
    const Detection found = detectEncoding(bytes.constData(), bytes.size());
    const char* payload = bytes.constData() + found.markLength;
    const int size = bytes.size() - found.markLength;
    if (found.encoding != kUtf8 || parts < 2)
        return {decode(found.encoding, payload, size)};
    const QVector<int> bounds =
        QVector<int>{0} + utf8CutPoints(payload, size, parts) + QVector<int>{size};
    QTextCodec* codec = QTextCodec::codecForName(kUtf8);
    std::vector<QString> pieces(size_t(bounds.size() - 1));
    runTasks(int(pieces.size()), partsFor(size, kBytesPerPiece), [&](int i, int) {
        pieces[size_t(i)] = codec->toUnicode(payload + bounds[i], bounds[i + 1] - bounds[i]);
    });
    return QStringList(pieces.begin(), pieces.end());
}

// Reads and decodes a whole file, in one piece unless `inPieces`.
static QStringList readAndDecode(FileSystem& files, const QString& path, bool* ok, bool inPieces)
{
    QByteArray bytes;
    const bool read = files.readAll(path, kMaxReadableSize, &bytes, nullptr);
    if (ok)
        *ok = read;
    if (!read)
        return QStringList();
    if (!inPieces)
        return decodeFileBytesInPieces(bytes, 1);
    return decodeFileBytesInPieces(
        bytes, qMax(partsFor(bytes.size(), kBytesPerPiece), bytes.size() / kBytesPerSmallPiece));
}

QStringList readTextFileInPieces(FileSystem& files, const QString& path, bool* ok)
{
    return readAndDecode(files, path, ok, true);
}

QString readTextFile(FileSystem& files, const QString& path, bool* ok)
{
    return readAndDecode(files, path, ok, false).value(0);
}

bool TextFileWriter::open(FileSystem& files, const QString& path, WriteMode mode, AppendStart start)
{
    const bool append = mode == WriteMode::Append;
    const EntryStatus status = files.status(path);
    const bool existed = status.exists();
    // A FIFO would block the open until a reader comes, and a folder is no file to write.
    if (existed && !status.isFile())
        return false;

    AppendEncoding chosen{QByteArray(kUtf8), true};
    if (append && existed && !sniffAppendEncoding(files, path, &chosen))
        return false;
    m_codec = QTextCodec::codecForName(chosen.encoding);
    if (!m_codec)
        m_codec = QTextCodec::codecForName(kUtf8);
    const bool lineFeedFirst = append && start == AppendStart::NewLine && existed &&
                               endsWithoutLineFeed(files, path, m_codec);

    m_file = files.openForWriting(path, mode, nullptr);
    if (!m_file)
        return false;
    const QByteArray mark =
        chosen.hadBom && (!append || !existed) ? byteOrderMarkFor(chosen.encoding) : QByteArray();
    return write(mark) && (!lineFeedFirst || write(encode(u"\n")));
}

QByteArray TextFileWriter::encode(QStringView text) const
{
    return encodeWithoutMark(m_codec, text);
}

bool TextFileWriter::write(const QByteArray& bytes)
{
    return m_file->write(bytes);
}

bool TextFileWriter::writeText(QStringView text)
{
    const QVector<QStringView> runs = cutIntoRuns(text);
    const int batch = partsFor(runs.size(), 1);
    std::vector<QByteArray> encoded(static_cast<size_t>(batch));
    for (int at = 0; at < runs.size(); at += batch) {
        const int count = qMin(batch, runs.size() - at);
        runParts(count, [&](int i) { encoded[size_t(i)] = encode(runs[at + i]); });
        for (int i = 0; i < count; ++i) {
            if (!write(encoded[size_t(i)]))
                return false;
        }
    }
    return true;
}

bool TextFileWriter::commit()
{
    return m_file->commit();
}

bool writeTextFile(FileSystem& files, const QString& path, const QString& text, WriteMode mode,
                   AppendStart start)
{
    TextFileWriter writer;
    if (!writer.open(files, path, mode, start) || !writer.writeText(text))
        return false;
    return writer.commit();
}
