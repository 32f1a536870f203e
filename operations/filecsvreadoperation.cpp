// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filecsvreadoperation.h"

#include "core/memorylimit.h"
#include "core/parallel.h"
#include "core/persistence.h"
#include "core/settings.h"
#include "core/variables.h"
#include "csv/celltexts.h"
#include "csv/csvsplit.h"
#include "csv/datatable.h"
#include "csv/piecereaders.h"
#include "csv/tablesize.h"
#include "filesystem/fileplans.h"
#include "operations/stepfiles.h"
#include "text/textfile.h"

#include <variablescope.h>

#include <QDebug>

#include <atomic>
#include <new>
#include <vector>

FileCsvReadOperation::FileCsvReadOperation(QObject* parent) : Operation(parent)
{
}

FileCsvReadOperation::~FileCsvReadOperation() = default;

QString FileCsvReadOperation::root() const
{
    return tr("文件");
}

QString FileCsvReadOperation::typeId() const
{
    return QStringLiteral("file.readcsv");
}

QString FileCsvReadOperation::typeName() const
{
    return tr("从 CSV 文件读取");
}

QString FileCsvReadOperation::icon() const
{
    return QStringLiteral(":/images/file_read.svg");
}

// `count` lines from the cursor split into cells, with the chosen columns picked from each, stored
// from `row` on. The lines are walked in the decoded text itself, so no copy of them is held
// beside the table, and each piece of it is given back to `readers` once the run is past it;
// cells repeating a text of their column share it through `texts`.
static void readBlock(TextLines lines, int count, const CellSplitter& splitter,
                      const QList<int>& columns, CellTexts& texts, QVariantList::iterator row,
                      PieceReaders& readers, int run)
{
    int widthHint = 0;
    int piece = lines.piece();
    for (; count > 0; --count, ++row) {
        if (lines.piece() != piece) {
            piece = lines.piece();
            readers.runAt(run, piece);
        }
        QVariantList cells;
        // Rows of a file mostly share one width: sizing each row like the previous one spares
        // the list its growth steps.
        cells.reserve(widthHint);
        lines.skipLine(splitter.splitLine(lines.remaining(), cells, &texts));
        widthHint = cells.size();
        if (!columns.isEmpty())
            cells = pickColumns(cells, columns);
        *row = QVariant(cells);
    }
}

// The chosen lines as table rows; `last` is within the text's line count. Each line stands on its
// own (a quote never carries a cell past a line break), so a large block is cut into runs of
// lines that threads take one after another, each run filling its own rows of the table.
static QVariantList readRows(QStringList& text, TextLines& lines, int first, int last,
                             const CellSplitter& splitter, const QList<int>& columns)
{
    QStringView skipped;
    for (int row = 0; row < first; ++row)
        lines.next(&skipped);
    const int total = last - first + 1;
    const int threads = partsFor(total, kRowsPerThread);
    const int runs = threads > 1 ? threads * kTasksPerThread : 1;
    // Finding where each run starts walks the lines once, far cheaper than splitting them.
    std::vector<TextLines> starts;
    PieceReaders readers(text);
    for (int run = 0; run < runs; ++run) {
        starts.push_back(lines);
        for (int row = partBegin(total, runs, run);
             run + 1 < runs && row < partBegin(total, runs, run + 1); ++row)
            lines.next(&skipped);
        // A run ends in the piece where the next one starts, or before it.
        readers.addRun(starts.back().piece(), run + 1 < runs ? lines.piece() : text.size() - 1);
    }
    readers.dropUnread();
    // The rows exist before the threads start, so that none of them changes the list itself.
    QVariantList rows;
    rows.reserve(total);
    for (int row = 0; row < total; ++row)
        rows.append(QVariant());
    const QVariantList::iterator begin = rows.begin();
    // Each thread keeps its own texts, so sharing them needs no lock.
    std::vector<CellTexts> texts(size_t(qMax(1, threads)));
    // Memory that runs out on a worker ends the read on the calling thread, where it is told.
    std::atomic<bool> outOfMemory{false};
    runTasks(runs, threads, [&](int run, int thread) {
        const int from = partBegin(total, runs, run);
        const int count = partBegin(total, runs, run + 1) - from;
        try {
            if (!outOfMemory)
                readBlock(starts[size_t(run)], count, splitter, columns, texts[size_t(thread)],
                          begin + from, readers, run);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        readers.runDone(run);
    });
    if (outOfMemory)
        throw std::bad_alloc();
    return rows;
}

// Whether the table the chosen lines make can be held. The bound that needs no look at the text
// settles most files; only a text near what the machine has is counted through.
static bool tableFits(const QStringList& text, TextLines lines, int first, int last,
                      const CellSplitter& splitter)
{
    const qint64 room = allocatableBytes();
    qint64 characters = 0;
    for (const QString& piece : text)
        characters += piece.size();
    const int rows = last - first + 1;
    if (worstTableBytes(characters, rows) <= room)
        return true;
    QStringView skipped;
    for (int row = 0; row < first; ++row)
        lines.next(&skipped);
    return estimatedTableBytes(lines, rows, splitter) <= room;
}

void FileCsvReadOperation::doOperation() const
{
    VariableScope* scope = variableScope();
    if (!scope)
        return;
    const QString path = resolvePath(m_filePath, scope);
    if (path.isEmpty()) {
        qWarning() << "[CsvRead] 文件路径为空，已跳过";
        return;
    }
    StepFiles step(scope, "[CsvRead]");
    FileSystem& files = step.files();
    if (!files.exists(path)) {
        qWarning() << "[CsvRead] 文件不存在：" << path;
        return;
    }
    step.expectReading(path);
    bool ok = false;
    QStringList text;
    try {
        text = readTextFileInPieces(files, path, &ok);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        qWarning() << "[CsvRead] 读取失败：" << path;
        return;
    }
    if (m_targetVar.isEmpty()) {
        qWarning() << "[CsvRead] 未指定数据表目标变量，已跳过";
        return;
    }
    if (scope->typeOf(m_targetVar) != VarType::DataTable) {
        qWarning() << "[CsvRead] 目标变量" << m_targetVar << "未声明为数据表，已跳过";
        return;
    }

    CellSplitter splitter;
    splitter.trim = m_trim == Trim::Yes;
    splitter.fixedWidth = m_delimType == DelimType::FixedWidth;
    if (splitter.fixedWidth)
        splitter.width = resolveIntSetting(scope, m_fixedWidth);
    else
        splitter.delimiter = resolveDelimiter(m_delimChar, scope);

    TextLines lines(text);
    int first = 0;
    int last = 0;
    if (!resolveRowRange(m_readScope, m_startRow, m_endRow, scope, lines.count(), &first, &last)) {
        qWarning() << "[CsvRead] 起始行大于结束行，已跳过";
        return;
    }
    const QList<int> columns = selectedColumns(m_readScope, m_columns, scope);
    // A table larger than the machine can hold is a file that cannot be read, and so is one
    // whose memory runs out on the way: the variable keeps its value.
    QVariant table;
    try {
        if (tableFits(text, lines, first, last, splitter))
            table = toDataTable(readRows(text, lines, first, last, splitter, columns));
    } catch (const std::bad_alloc&) {
        table = QVariant();
    }
    if (!table.isValid()) {
        qWarning() << "[CsvRead] 读取失败：" << path;
        return;
    }
    setVariable(scope, m_targetVar, table);
}

void FileCsvReadOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileCsvReadOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileCsvReadOperation::toString() const
{
    return QStringLiteral("%1: %2 -> %3")
        .arg(typeName())
        .arg(m_filePath)
        .arg(displayVarName(m_targetVar));
}

QString FileCsvReadOperation::description() const
{
    return tr("读取 %1 的 CSV 内容存入数据表 %2").arg(m_filePath).arg(displayVarName(m_targetVar));
}

Operation* FileCsvReadOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}
