// Faults and hostile input, end to end: each case runs a flow from tests/flows/reliability through
// stephost in a scratch folder, with a time limit, and compares the folder before and after byte
// for byte. A case passes when stephost neither crashed nor hung, exited as expected, logged
// exactly the warnings the steps define, and changed exactly the entries the case names. Each case
// also prints one "RELIABILITY" line that ./dev reliability adds up.
//
// Paths and contents in the tables are UTF-8 in which %XX stands for a raw byte, so that names
// that are no valid UTF-8, and control characters, can be written down. Setup entries:
//   "a.txt"             a file holding its own name      "a.txt=text"   a file holding text
//   "d/"                a folder                          "l->a.txt"     a symbolic link
//   "p|fifo"            a FIFO                            "f|full"       a device like /dev/full
//   "big|sparse"        4 GiB, data only at both ends     "f|size:N"     N bytes of text
//   "f|rows:N"          a CSV file of N rows              "f|line:N"     one CSV line of N bytes
// Expected changes: "+path" appeared, "-path" went, "~path" changed (folders end in "/").
// Checks: "$var=json" or "$var~regex" on a reported variable; "path=bytes", "path~regex",
// and "path==other" (same content) on files.
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

struct HostileCase {
    HostileCase() = default;
    HostileCase(const QString& flow, const QVariantMap& vars, const QStringList& setup,
                const QStringList& log = {}, const QStringList& changes = {},
                const QStringList& checks = {}, int exitCode = 0, qint64 fileSizeLimit = 0,
                const QStringList& options = {})
        : flow(flow), vars(vars), setup(setup), log(log), changes(changes), checks(checks),
          exitCode(exitCode), fileSizeLimit(fileSizeLimit), options(options)
    {
    }

    QString flow;
    QVariantMap vars;
    QStringList setup;
    QStringList log;
    QStringList changes;
    QStringList checks;
    int exitCode = 0;
    qint64 fileSizeLimit = 0;
    QStringList options;
};
Q_DECLARE_METATYPE(HostileCase)

namespace
{

const qint64 kGiB = qint64(1) << 30;
const qint64 kSparseSize = 4 * kGiB;

QByteArray raw(const QString& text)
{
    return QByteArray::fromPercentEncoding(text.toUtf8());
}

// Length of the valid UTF-8 sequence at `i`, or 0.
int utf8Length(const QByteArray& bytes, int i)
{
    const uchar lead = uchar(bytes.at(i));
    const int length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((uchar(bytes.at(i + k)) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

QString shown(const QByteArray& bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes.size();) {
        const uchar byte = uchar(bytes.at(i));
        const int length = utf8Length(bytes, i);
        if (length == 0 || byte < 0x20 || byte == 0x7F || byte == '%') {
            out += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
            ++i;
        } else {
            out += bytes.mid(i, length);
            i += length;
        }
    }
    return QString::fromUtf8(out);
}

// A warning line as the steps write it: the text, then the path as a quoted QString.
QString warning(const char* text, const QString& path)
{
    QString line;
    QDebug(&line) << text << path;
    return line.trimmed();
}

bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

// The first `limit` bytes of a file named by its raw path.
QByteArray readRaw(const QByteArray& path, qint64 limit)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray();
    return file.read(qMin(limit, file.size()));
}

// The CSV text the big cases read: a mark, then rows "i,name i,i.5" without a final line break.
QByteArray csvRows(int count)
{
    QByteArray text("\xEF\xBB\xBF");
    text.reserve(count * 24);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += '\n';
        text += QByteArray::number(i) + ",行 " + QByteArray::number(i) + ',' +
                QByteArray::number(i) + ".5";
    }
    return text;
}

// Quoted cells of about 700 bytes with commas and doubled quotes inside.
QByteArray csvLine(qint64 size)
{
    QByteArray text("\xEF\xBB\xBF");
    const QByteArray cell = '"' + QByteArray("数据,\"\"引号\"\" ").repeated(40) + "\",";
    text.reserve(int(size + cell.size()));
    while (text.size() < size)
        text += cell;
    return text;
}

bool makeSparse(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok =
        fd >= 0 && ::pwrite(fd, "head", 4, 0) == 4 && ::pwrite(fd, "tail", 4, kSparseSize - 4) == 4;
    return ::close(fd) == 0 && ok;
}

qint64 diskUsage(const QByteArray& path)
{
    struct stat status;
    return ::stat(path.constData(), &status) == 0 ? qint64(status.st_blocks) * 512 : -1;
}

bool makeParents(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 || QDir().mkpath(QFile::decodeName(path.left(slash)));
}

bool makeEntry(const QByteArray& root, const QString& entry)
{
    const int bar = entry.lastIndexOf(QLatin1Char('|'));
    const QString kind = bar > 0 ? entry.mid(bar + 1) : QString();
    const QString desc = bar > 0 ? entry.left(bar) : entry;
    const int arrow = desc.indexOf(QLatin1String("->"));
    const int equals = desc.indexOf(QLatin1Char('='));
    const QString name = arrow > 0 ? desc.left(arrow) : equals > 0 ? desc.left(equals) : desc;
    const QByteArray path = root + '/' + raw(name);
    if (!makeParents(path))
        return false;
    if (arrow > 0)
        return ::symlink(raw(desc.mid(arrow + 2)).constData(), path.constData()) == 0;
    if (name.endsWith(QLatin1Char('/')))
        return QDir().mkpath(QFile::decodeName(path));
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(path.constData(), 0644) == 0;
    if (kind == QLatin1String("full"))
        return ::mknod(path.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    if (kind == QLatin1String("sparse"))
        return makeSparse(path);
    const qint64 number = kind.section(QLatin1Char(':'), 1).toLongLong();
    if (kind.startsWith(QLatin1String("size:")))
        return writeRaw(path, QByteArray(int(number), 'x'));
    if (kind.startsWith(QLatin1String("rows:")))
        return writeRaw(path, csvRows(int(number)));
    if (kind.startsWith(QLatin1String("line:")))
        return writeRaw(path, csvLine(number));
    return writeRaw(path, equals > 0 ? raw(desc.mid(equals + 1)) : raw(name));
}

// What is at each path of a folder tree, to compare before and after: a file by its size and a
// hash of its data (holes skipped, so a sparse file costs nothing to look at), a link by its
// target, a folder, a FIFO or another special file by its kind.
using Manifest = QMap<QByteArray, QByteArray>;

QByteArray fileSummary(const QByteArray& path, const struct stat& status)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (off_t offset = 0; fd >= 0;) {
        const off_t data = ::lseek(fd, offset, SEEK_DATA);
        if (data < 0)
            break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        hash.addData(QByteArray::number(qint64(data)) + ':');
        for (off_t at = data; at < hole;) {
            const ssize_t got =
                ::pread(fd, chunk.data(), size_t(qMin<off_t>(hole - at, chunk.size())), at);
            if (got <= 0)
                break;
            hash.addData(chunk.constData(), int(got));
            at += got;
        }
        offset = hole;
    }
    if (fd >= 0)
        ::close(fd);
    return "file " + QByteArray::number(qint64(status.st_size)) + ' ' + hash.result().toHex();
}

void addToManifest(const QByteArray& root, const QByteArray& relative, Manifest* manifest)
{
    DIR* dir = ::opendir((root + '/' + relative).constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = relative + name;
        const QByteArray full = root + '/' + path;
        struct stat status;
        if (::lstat(full.constData(), &status) != 0)
            continue;
        if (S_ISDIR(status.st_mode)) {
            manifest->insert(path + '/', "folder");
            addToManifest(root, path + '/', manifest);
        } else if (S_ISLNK(status.st_mode)) {
            char target[4096];
            const ssize_t length = ::readlink(full.constData(), target, sizeof target);
            manifest->insert(path, "link " + QByteArray(target, int(qMax<ssize_t>(length, 0))));
        } else if (S_ISREG(status.st_mode)) {
            manifest->insert(path, fileSummary(full, status));
        } else {
            manifest->insert(path, S_ISFIFO(status.st_mode) ? "fifo" : "special");
        }
    }
    ::closedir(dir);
}

Manifest manifestOf(const QByteArray& root)
{
    Manifest manifest;
    addToManifest(root, QByteArray(), &manifest);
    return manifest;
}

QStringList changesBetween(const Manifest& before, const Manifest& after)
{
    QStringList changes;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            changes << QLatin1Char('-') + shown(it.key());
        else if (after.value(it.key()) != it.value())
            changes << QLatin1Char('~') + shown(it.key());
    }
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            changes << QLatin1Char('+') + shown(it.key());
    }
    changes.sort();
    return changes;
}

// Files that were there before and are gone or changed although the case did not ask for it.
int lostFiles(const Manifest& before, const Manifest& after, const QStringList& expected)
{
    int lost = 0;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!it.value().startsWith("file ") || after.value(it.key()) == it.value())
            continue;
        const QString path = shown(it.key());
        if (!expected.contains(QLatin1Char('-') + path) &&
            !expected.contains(QLatin1Char('~') + path))
            ++lost;
    }
    return lost;
}

// Two files with the same bytes, compared where either has data: holes read as zeros.
bool sameContent(const QByteArray& a, const QByteArray& b)
{
    struct stat first, second;
    if (::stat(a.constData(), &first) != 0 || ::stat(b.constData(), &second) != 0 ||
        first.st_size != second.st_size)
        return false;
    const int fa = ::open(a.constData(), O_RDONLY);
    const int fb = ::open(b.constData(), O_RDONLY);
    bool same = fa >= 0 && fb >= 0;
    QByteArray ca(1 << 20, Qt::Uninitialized), cb(1 << 20, Qt::Uninitialized);
    for (off_t offset = 0; same && offset < first.st_size;) {
        const off_t da = ::lseek(fa, offset, SEEK_DATA);
        const off_t db = ::lseek(fb, offset, SEEK_DATA);
        const off_t next = qMin(da < 0 ? first.st_size : da, db < 0 ? first.st_size : db);
        if (next >= first.st_size)
            break;
        const size_t length = size_t(qMin<off_t>(first.st_size - next, ca.size()));
        same = ::pread(fa, ca.data(), length, next) == ssize_t(length) &&
               ::pread(fb, cb.data(), length, next) == ssize_t(length) &&
               std::memcmp(ca.constData(), cb.constData(), length) == 0;
        offset = next + off_t(length);
    }
    if (fa >= 0)
        ::close(fa);
    if (fb >= 0)
        ::close(fb);
    return same;
}

// Removes a tree by its raw names: Qt's own removal gives up on names that are no valid UTF-8.
void removeTree(const QByteArray& path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode)) {
        if (DIR* dir = ::opendir(path.constData())) {
            while (const dirent* entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != "..")
                    removeTree(path + '/' + name);
            }
            ::closedir(dir);
        }
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

struct TreeRemoval {
    QByteArray root;
    ~TreeRemoval() { removeTree(root); }
};

QByteArray binaryFlowHeader(quint32 variableCount)
{
    QByteArray bytes("STEPFLOW");
    QDataStream out(&bytes, QIODevice::Append);
    out << quint32(1) << variableCount;
    return bytes;
}

// Damaged flows the host must refuse, made here rather than kept as files.
QByteArray generatedFlow(const QString& kind)
{
    const int depth = 100000;
    if (kind == QLatin1String("deep-json"))
        return "{\"variables\": {\"v\": {\"value\": " + QByteArray(depth, '[') +
               QByteArray(depth, ']') + "}}}";
    QByteArray bytes = binaryFlowHeader(1);
    QDataStream out(&bytes, QIODevice::Append);
    out << QStringLiteral("v") << QStringLiteral("list");
    if (kind == QLatin1String("deep-binary")) {
        for (int i = 0; i < depth; ++i)
            out << quint32(QMetaType::QVariantList) << qint8(0) << quint32(1);
        out << quint32(QMetaType::UnknownType) << qint8(1) << quint32(0);
    } else if (kind == QLatin1String("huge-count")) {
        out << quint32(QMetaType::QVariantList) << qint8(0) << quint32(0xFFFFFFFF);
    } else if (kind == QLatin1String("truncated")) {
        out << quint32(QMetaType::QString) << qint8(0) << QStringLiteral("a long text cut short");
        bytes.chop(10);
    } else {
        return "{\"steps\": []}";
    }
    return bytes;
}

QByteArray flowText(const QString& flow, const QVariantMap& vars)
{
    if (flow.startsWith(QLatin1String("generated:")))
        return generatedFlow(flow.section(QLatin1Char(':'), 1));
    QFile file(QStringLiteral(FLOWS_DIR "/reliability/") + flow);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QJsonObject variables = root.value(QLatin1String("variables")).toObject();
    for (auto it = vars.begin(); it != vars.end(); ++it) {
        QJsonObject variable = variables.value(it.key()).toObject();
        variable.insert(QLatin1String("value"), QJsonValue::fromVariant(it.value()));
        variables.insert(it.key(), variable);
    }
    root.insert(QLatin1String("variables"), variables);
    return QJsonDocument(root).toJson();
}

// One check of the case; an empty result means it holds.
QString failedCheck(const QString& check, const QByteArray& root, const QJsonObject& variables,
                    const QByteArray& err)
{
    const int at = check.indexOf(QRegularExpression(QStringLiteral("==|=|~")));
    const QString subject = check.left(at);
    const QString op =
        check.mid(at).startsWith(QLatin1String("==")) ? QStringLiteral("==") : check.mid(at, 1);
    const QString expected = check.mid(at + op.size());
    QByteArray actual;
    if (subject == QLatin1String("stderr")) {
        actual = err;
    } else if (subject.startsWith(QLatin1Char('$'))) {
        const QJsonValue value =
            variables.value(subject.mid(1)).toObject().value(QLatin1String("value"));
        actual = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1);
        actual.chop(1);
    } else {
        const QByteArray path = root + '/' + raw(subject);
        if (op == QLatin1String("=="))
            return sameContent(path, root + '/' + raw(expected)) ? QString() : check;
        actual = readRaw(path, op == QLatin1String("~") ? 1 << 20 : kGiB);
    }
    if (op == QLatin1String("~"))
        return QRegularExpression(expected).match(QString::fromUtf8(actual)).hasMatch()
                   ? QString()
                   : check + QLatin1String(" (got ") + QString::fromUtf8(actual.left(200)) + ')';
    const QByteArray wanted =
        subject.startsWith(QLatin1Char('$')) ? expected.toUtf8() : raw(expected);
    return actual == wanted ? QString()
                            : check + QLatin1String(" (got ") + shown(actual.left(200)) + ')';
}

bool sparseFilesWork(const QString& folder)
{
    const QByteArray probe = QFile::encodeName(folder) + "/sparse-probe";
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok =
        fd >= 0 && ::ftruncate(fd, 64 << 20) == 0 && ::pwrite(fd, "x", 1, 32 << 20) == 1;
    if (fd >= 0)
        ::close(fd);
    const bool sparse = ok && diskUsage(probe) < (1 << 20);
    ::unlink(probe.constData());
    return sparse;
}

} // namespace

class tst_Reliability : public QObject
{
    Q_OBJECT

private slots:
    void writeFaults_data();
    void writeFaults() { runCase(); }
    void readFaults_data();
    void readFaults() { runCase(); }
    void hostileNames_data();
    void hostileNames() { runCase(); }
    void links_data();
    void links() { runCase(); }
    void vanishingSources_data();
    void vanishingSources() { runCase(); }
    void bigData_data();
    void bigData() { runCase(); }
    void hostInput_data();
    void hostInput() { runCase(); }

private:
    void runCase();
};

static void addColumns()
{
    QTest::addColumn<HostileCase>("hostile");
}

void tst_Reliability::runCase()
{
    QFETCH(HostileCase, hostile);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString work = scratch.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    const QByteArray root = QFile::encodeName(work);
    const TreeRemoval removal{root};
    for (const QString& entry : qAsConst(hostile.setup)) {
        if (entry.endsWith(QLatin1String("|sparse")) && !sparseFilesWork(work))
            QSKIP("this file system keeps no sparse files");
        if (entry.endsWith(QLatin1String("|sparse")) &&
            QStorageInfo(work).bytesAvailable() < 10 * kGiB)
            QSKIP("less than 10 GiB free for two copies of the 4 GiB file");
        if (entry.contains(QLatin1String("|rows:")) || entry.contains(QLatin1String("|line:"))) {
            if (QStorageInfo(work).bytesAvailable() < 2 * kGiB)
                QSKIP("less than 2 GiB free for the big files");
        }
        if (entry.endsWith(QLatin1String("|full")) && ::geteuid() != 0)
            QSKIP("making a device node needs root");
        QVERIFY2(makeEntry(root, entry), qPrintable(entry));
    }
    // "path:P" runs P itself as the flow (relative to the work folder, where stephost runs).
    QString flow = scratch.filePath(QStringLiteral("flow.json"));
    if (hostile.flow.startsWith(QLatin1String("path:")))
        flow = hostile.flow.mid(5);
    else
        QVERIFY(writeFile(flow, flowText(hostile.flow, hostile.vars)));
    QStringList options = hostile.options;
    StephostLimits limits;
    limits.timeoutMs = 60000;
    limits.fileSizeLimit = hostile.fileSizeLimit;
    // "> FILE" sends standard output to FILE.
    const int redirect = options.indexOf(QStringLiteral(">"));
    if (redirect >= 0) {
        limits.standardOutputFile = options.at(redirect + 1);
        options.erase(options.begin() + redirect, options.begin() + redirect + 2);
    }

    const Manifest before = manifestOf(root);
    const StephostResult result =
        runStephost(QStringList{QStringLiteral("run"), flow} + options, work, limits);
    const Manifest after = manifestOf(root);

    const QJsonObject report = result.report();
    const QJsonObject variables = report.value(QLatin1String("variables")).toObject();
    QStringList failedChecks;
    int lost = lostFiles(before, after, hostile.changes);
    for (const QString& check : qAsConst(hostile.checks)) {
        const QString failure = failedCheck(check, root, variables, result.err);
        if (!failure.isEmpty()) {
            failedChecks << failure;
            lost += check.contains(QLatin1String("==")) ? 1 : 0;
        }
    }
    qInfo("RELIABILITY crash=%d hang=%d lost=%d", int(result.crashed), int(result.timedOut), lost);

    QVERIFY2(!result.crashed, result.err.constData());
    QVERIFY2(!result.timedOut, "stephost did not finish within a minute");
    QCOMPARE(result.exitCode, hostile.exitCode);
    QCOMPARE(report.value(QLatin1String("log")).toVariant().toStringList(), hostile.log);
    QCOMPARE(changesBetween(before, after), hostile.changes);
    QCOMPARE(failedChecks, QStringList());
}

void tst_Reliability::writeFaults_data()
{
    addColumns();
    const QString full = QStringLiteral("/dev/full");
    const QString bigText(65536, QLatin1Char('x'));
    const QStringList folder{"folder/", "folder/kept.txt"};
    QTest::newRow("write to /dev/full") << HostileCase{
        "write.json", {{"path", full}}, {}, {warning("[FileWrite] 写入失败：", full)}};
    QTest::newRow("append to /dev/full") << HostileCase{
        "append.json", {{"path", full}}, {}, {warning("[FileWrite] 写入失败：", full)}};
    QTest::newRow("CSV to /dev/full") << HostileCase{
        "writecsv.json", {{"path", full}}, {}, {warning("[CsvWrite] 写入失败：", full)}};
    QTest::newRow("write below a file")
        << HostileCase{"write.json",
                       {{"path", "file.txt/out.txt"}},
                       {"file.txt"},
                       {warning("[FileWrite] 写入失败：", "file.txt/out.txt")}};
    QTest::newRow("CSV below a file")
        << HostileCase{"writecsv.json",
                       {{"path", "file.txt/out.csv"}},
                       {"file.txt"},
                       {warning("[CsvWrite] 写入失败：", "file.txt/out.csv")}};
    QTest::newRow("write onto a folder") << HostileCase{
        "write.json", {{"path", "folder"}}, folder, {warning("[FileWrite] 写入失败：", "folder")}};
    QTest::newRow("append onto a folder") << HostileCase{
        "append.json", {{"path", "folder"}}, folder, {warning("[FileWrite] 写入失败：", "folder")}};
    QTest::newRow("CSV onto a folder") << HostileCase{"writecsv.json",
                                                      {{"path", "folder"}},
                                                      folder,
                                                      {warning("[CsvWrite] 写入失败：", "folder")}};
    // Opening a FIFO for writing would wait for a reader that never comes.
    QTest::newRow("write to a FIFO") << HostileCase{"write.json",
                                                    {{"path", "pipe"}},
                                                    {"pipe|fifo"},
                                                    {warning("[FileWrite] 写入失败：", "pipe")}};
    QTest::newRow("CSV to a FIFO") << HostileCase{"writecsv.json",
                                                  {{"path", "pipe"}},
                                                  {"pipe|fifo"},
                                                  {warning("[CsvWrite] 写入失败：", "pipe")}};
    // A file size limit makes the disk full for the run: a write past it fails part way.
    QTest::newRow("append on a full disk")
        << HostileCase{"append.json",
                       {{"path", "old.txt"}, {"text", bigText}},
                       {"old.txt=old%0A"},
                       {warning("[FileWrite] 写入失败：", "old.txt")},
                       {},
                       {"old.txt=old%0A"},
                       0,
                       16384};
    QTest::newRow("new file on a full disk")
        << HostileCase{"write.json",
                       {{"path", "new.txt"}, {"text", bigText}},
                       {},
                       {warning("[FileWrite] 写入失败：", "new.txt")},
                       {},
                       {},
                       0,
                       16384};
    QTest::newRow("CSV on a full disk")
        << HostileCase{"writecsv.json",
                       {{"path", "new.csv"}, {"table", QVariantList{QVariantList{bigText}}}},
                       {},
                       {warning("[CsvWrite] 写入失败：", "new.csv")},
                       {},
                       {},
                       0,
                       16384};
    // Replacing was asked for: the old content is given up, and the failure is reported.
    QTest::newRow("replace on a full disk")
        << HostileCase{"write.json",
                       {{"path", "old.txt"}, {"text", bigText}},
                       {"old.txt=old"},
                       {warning("[FileWrite] 写入失败：", "old.txt")},
                       {"~old.txt"},
                       {},
                       0,
                       16384};
    QTest::newRow("copy on a full disk") << HostileCase{"copy.json",
                                                        {{"files", QStringList{"big.txt"}}},
                                                        {"big.txt|size:65536"},
                                                        {},
                                                        {"+out/"},
                                                        {"$copied=[]"},
                                                        0,
                                                        16384};
    QTest::newRow("move on a full disk") << HostileCase{"move.json",
                                                        {{"files", QStringList{"big.txt"}}},
                                                        {"big.txt|size:65536"},
                                                        {},
                                                        {"+out/"},
                                                        {"$moved=[]"},
                                                        0,
                                                        16384};
    QTest::newRow("copy into a file") << HostileCase{
        "copy.json", {{"dest", "file.txt"}}, {"a.txt", "file.txt"}, {}, {}, {"$copied=[]"}};
    QTest::newRow("copy over a folder") << HostileCase{
        "copy.json", {}, {"a.txt", "out/a.txt/", "out/a.txt/kept.txt"}, {}, {}, {"$copied=[]"}};
    QTest::newRow("move over a folder") << HostileCase{
        "move.json", {}, {"a.txt", "out/a.txt/", "out/a.txt/kept.txt"}, {}, {}, {"$moved=[]"}};
    QTest::newRow("rename over a folder") << HostileCase{
        "rename.json",  {{"name", "taken"}}, {"a.txt", "taken.txt/", "taken.txt/kept.txt"}, {}, {},
        {"$renamed=[]"}};
}

void tst_Reliability::readFaults_data()
{
    addColumns();
    const QString status = QStringLiteral("/proc/self/status");
    const QStringList folder{"folder/", "folder/kept.txt"};
    QTest::newRow("read a folder") << HostileCase{
        "read.json", {{"path", "folder"}}, folder, {warning("[FileRead] 读取失败：", "folder")}};
    QTest::newRow("CSV from a folder") << HostileCase{
        "readcsv.json", {{"path", "folder"}}, folder, {warning("[CsvRead] 读取失败：", "folder")}};
    QTest::newRow("read a FIFO") << HostileCase{
        "read.json", {{"path", "pipe"}}, {"pipe|fifo"}, {warning("[FileRead] 读取失败：", "pipe")}};
    QTest::newRow("CSV from a FIFO") << HostileCase{"readcsv.json",
                                                    {{"path", "pipe"}},
                                                    {"pipe|fifo"},
                                                    {warning("[CsvRead] 读取失败：", "pipe")}};
    QTest::newRow("read /dev/zero") << HostileCase{
        "read.json", {{"path", "/dev/zero"}}, {}, {warning("[FileRead] 读取失败：", "/dev/zero")}};
    QTest::newRow("CSV from /dev/zero")
        << HostileCase{"readcsv.json",
                       {{"path", "/dev/zero"}},
                       {},
                       {warning("[CsvRead] 读取失败：", "/dev/zero")}};
    // Files under /proc say they are empty and are not.
    QTest::newRow("read /proc") << HostileCase{
        "read.json", {{"path", status}}, {}, {}, {}, {"$text~^\"Name:\\\\tstephost\\\\n"}};
    QTest::newRow("CSV from /proc") << HostileCase{"readcsv.json",
                                                   {{"path", status}},
                                                   {},
                                                   {},
                                                   {},
                                                   {"$table~^\\[\\[\"Name:\\\\tstephost\"\\]"}};
    QTest::newRow("copy from /proc")
        << HostileCase{"copy.json",
                       {{"files", QStringList{status}}},
                       {},
                       {},
                       {"+out/", "+out/status"},
                       {"out/status~^Name:\\tstephost\\n", "$copied=[\"out/status\"]"}};
    QTest::newRow("copy a FIFO") << HostileCase{"copy.json",   {{"files", QStringList{"pipe"}}},
                                                {"pipe|fifo"}, {},
                                                {"+out/"},     {"$copied=[]"}};
    QTest::newRow("move a FIFO") << HostileCase{
        "move.json", {{"files", QStringList{"pipe"}}}, {"pipe|fifo"}, {}, {"+out/"}, {"$moved=[]"}};
    QTest::newRow("copy /dev/zero") << HostileCase{
        "copy.json", {{"files", QStringList{"/dev/zero"}}}, {}, {}, {"+out/"}, {"$copied=[]"}};
    QTest::newRow("read binary bytes")
        << HostileCase{"read.json", {{"path", "bin"}},     {"bin=%00%FF%FE%00%C0%0D%0A"}, {},
                       {},          {"$text~^\"\\\\u0000"}};
}

void tst_Reliability::hostileNames_data()
{
    addColumns();
    // allsteps.json runs all ten steps on one file holding "a,b": it appends both readings back,
    // copies it twice into out (the second time numbered), moves the first copy into moved and
    // adds _x to its name, and deletes the numbered copy.
    auto allSteps = [](const QString& base, const QString& ext, const QStringList& extra = {}) {
        const QString dot = ext.isEmpty() ? QString() : QLatin1Char('.') + ext;
        const QString name = base + dot;
        const QString jsonExt =
            QString::fromUtf8(QJsonDocument(QJsonArray{ext}).toJson(QJsonDocument::Compact));
        HostileCase c{"allsteps.json", {{"name", name}}, QStringList{name + "=a,b"} + extra};
        c.changes = QStringList{"+moved/", "+moved/" + shown((base + "_x" + dot).toUtf8()), "+out/",
                                "~" + shown(name.toUtf8())};
        c.changes.sort();
        c.checks = QStringList{"$found=true", "$ext=" + jsonExt.mid(1).chopped(1), "$text=\"a,b\"",
                               "$table=[[\"a\",\"b\"]]", "./" + name + "=a,ba,b%0Aa,b"};
        return c;
    };
    QTest::newRow("blanks") << allSteps("a b  c", "txt");
    QTest::newRow("quotes") << allSteps("say \"hi\" 'there'", "txt");
    QTest::newRow("backslashes") << allSteps("back\\slash\\", "txt");
    QTest::newRow("leading dashes") << allSteps("--help -rf", "txt");
    QTest::newRow("newline") << allSteps("line1\nline2", "txt");
    QTest::newRow("dollar sign") << allSteps("$files", "txt");
    QTest::newRow("Chinese and emoji") << allSteps("报告 😀", "文本");
    QTest::newRow("no extension") << allSteps("README", "");
    // A name that is not valid UTF-8 cannot be written in a flow; its neighbour holding the
    // replacement character is the file the flow names, and the raw one stays as it is.
    QTest::newRow("invalid UTF-8 neighbour")
        << allSteps("bad\xEF\xBF\xBD", "txt", {"bad%FF.txt=keep", "bad%C0%AF.txt=keep"});

    // 255 bytes is the longest name: a numbered copy or a renamed file that would be longer
    // fails silently, and the files stay as they were.
    HostileCase longName = allSteps(QString(251, QLatin1Char('n')), "txt");
    longName.changes.replaceInStrings("_x.txt", ".txt");
    longName.checks << "$numbered=[]"
                    << "$renamed=[]"
                    << "$deleted=[]";
    QTest::newRow("255-byte name") << longName;
    HostileCase chineseName = allSteps(QString(83, QChar(0x5B57)), "txt"); // 253 bytes
    chineseName.checks << "$numbered=[]";
    QTest::newRow("253-byte Chinese name") << chineseName;
    // Paths are trimmed: a name that ends in a blank cannot be named, and nothing happens to it.
    HostileCase trailing{"allsteps.json", {{"name", "a.txt "}}, {"a.txt =a,b"}};
    trailing.log = QStringList{warning("[FileRead] 文件不存在：", "a.txt"),
                               warning("[CsvRead] 文件不存在：", "a.txt")};
    // The trimmed name is a new file: created by the append, then copied, moved and renamed.
    trailing.changes = QStringList{"+a.txt", "+moved/", "+moved/a_x.txt", "+out/"};
    trailing.checks = QStringList{"$found=false", "a.txt =a,b"};
    QTest::newRow("trailing blank") << trailing;
}

void tst_Reliability::links_data()
{
    addColumns();
    const QStringList linked{"a.txt=data", "link->a.txt"};
    const QStringList dangling{"dangling->nowhere.txt"};
    QTest::newRow("copy a link") << HostileCase{
        "copy.json", {{"files", QStringList{"link"}}}, linked,
        {},          {"+out/", "+out/link"},           {"out/link=data", "$copied=[\"out/link\"]"}};
    QTest::newRow("move a link") << HostileCase{
        "move.json", {{"files", QStringList{"link"}}}, linked,
        {},          {"+out/", "+out/link", "-link"},  {"out/link=data", "a.txt=data"}};
    QTest::newRow("copy a dangling link") << HostileCase{
        "copy.json", {{"files", QStringList{"dangling"}}}, dangling, {}, {"+out/"}, {"$copied=[]"}};
    QTest::newRow("move a dangling link") << HostileCase{
        "move.json", {{"files", QStringList{"dangling"}}}, dangling, {}, {"+out/"}, {"$moved=[]"}};
    QTest::newRow("delete a link")
        << HostileCase{"delete.json", {{"files", QStringList{"link"}}}, linked, {}, {"-link"}};
    QTest::newRow("delete a dangling link") << HostileCase{
        "delete.json", {{"files", QStringList{"dangling"}}}, dangling, {}, {}, {"$deleted=[]"}};
    QTest::newRow("rename a link")
        << HostileCase{"rename.json",
                       {{"files", QStringList{"link"}}, {"name", "renamed"}},
                       linked,
                       {},
                       {"+renamed", "-link"},
                       {"renamed=data"}};
    // Moving a link into the folder of its own target, overwriting: the target is the source's
    // data and must stay.
    QTest::newRow("move a link onto its target")
        << HostileCase{"move.json",
                       {{"files", QStringList{"a.txt"}}, {"dest", "d"}},
                       {"d/a.txt=data", "a.txt->d/a.txt"},
                       {},
                       {},
                       {"$moved=[]", "d/a.txt=data"}};
    QTest::newRow("copy into a linked folder")
        << HostileCase{"copy.json", {{"dest", "out"}}, {"a.txt", "real/", "out->real"},
                       {},          {"+real/a.txt"},   {"real/a.txt=a.txt"}};
    QTest::newRow("write through a link") << HostileCase{
        "write.json",          {{"path", "link"}, {"text", "new"}}, linked, {}, {"~a.txt"},
        {"a.txt=%EF%BB%BFnew"}};
    QTest::newRow("write through a dangling link")
        << HostileCase{"write.json",     {{"path", "dangling"}, {"text", "new"}},
                       dangling,         {},
                       {"+nowhere.txt"}, {"nowhere.txt=%EF%BB%BFnew"}};
    QTest::newRow("read a dangling link")
        << HostileCase{"read.json",
                       {{"path", "dangling"}},
                       dangling,
                       {warning("[FileRead] 文件不存在：", "dangling")}};
}

void tst_Reliability::vanishingSources_data()
{
    addColumns();
    // The list is made before the first file is touched; a source gone by its turn is skipped.
    QTest::newRow("moved earlier in the list")
        << HostileCase{"move.json",
                       {{"files", QStringList{"a.txt", "a.txt"}}},
                       {"a.txt"},
                       {},
                       {"+out/", "+out/a.txt", "-a.txt"},
                       {"$moved=[\"out/a.txt\"]", "out/a.txt=a.txt"}};
    QTest::newRow("deleted by an earlier step")
        << HostileCase{"delete-then-copy.json",
                       {},
                       {"a.txt", "b.txt", "c.txt"},
                       {},
                       {"+out/", "+out/a.txt", "+out/c.txt", "-b.txt"},
                       {"$copied=[\"out/a.txt\",\"out/c.txt\"]"}};
    QTest::newRow("copied onto itself")
        << HostileCase{"copy.json",
                       {{"files", QStringList{"out/a.txt", "./out/../out/a.txt"}}},
                       {"out/a.txt"},
                       {},
                       {},
                       {"$copied=[]", "out/a.txt=out/a.txt"}};
}

void tst_Reliability::bigData_data()
{
    addColumns();
    // The source costs no disk; QFile::copy writes its holes out, so each copy takes 4 GiB.
    QTest::newRow("4 GiB sparse file")
        << HostileCase{"copy-then-move.json",
                       {{"files", QStringList{"big.bin"}}},
                       {"big.bin|sparse"},
                       {},
                       {"+copies/", "+copies/big.bin", "+moved/", "+moved/big.bin", "-big.bin"},
                       {"copies/big.bin==moved/big.bin", "$moved=[\"moved/big.bin\"]"}};
    const QStringList quiet{"--vars", ""};
    QTest::newRow("1,000,000 CSV rows") << HostileCase{"roundtrip.json",
                                                       {{"path", "rows.csv"}},
                                                       {"rows.csv|rows:1000000"},
                                                       {},
                                                       {"+csv.out", "+text.out"},
                                                       {"csv.out==rows.csv", "text.out==rows.csv"},
                                                       0,
                                                       0,
                                                       quiet};
    QTest::newRow("one CSV line of 50 MB")
        << HostileCase{"roundtrip.json",
                       {{"path", "line.csv"}},
                       {"line.csv|line:52428800"},
                       {},
                       {"+csv.out", "+text.out"},
                       {"csv.out==line.csv", "text.out==line.csv"},
                       0,
                       0,
                       quiet};
}

void tst_Reliability::hostInput_data()
{
    addColumns();
    const int flowError = 1;
    QTest::newRow("binary flow nested 100,000 deep")
        << HostileCase{"generated:deep-binary",
                       {},
                       {},
                       {},
                       {},
                       {"stderr~nested more than 1021 levels deep"},
                       flowError};
    QTest::newRow("JSON flow nested 100,000 deep") << HostileCase{
        "generated:deep-json", {}, {}, {}, {}, {"stderr~too deeply nested"}, flowError};
    QTest::newRow("binary flow with a huge count")
        << HostileCase{"generated:huge-count",
                       {},
                       {},
                       {},
                       {},
                       {"stderr~a list of 4294967295 is more than the data can hold"},
                       flowError};
    QTest::newRow("truncated binary flow") << HostileCase{
        "generated:truncated", {}, {}, {}, {}, {"stderr~the data ends early"}, flowError};
    QTest::newRow("flow from /dev/zero") << HostileCase{
        "path:/dev/zero", {}, {}, {}, {}, {"stderr~is not a file or a pipe"}, flowError};
    QTest::newRow("flow from a FIFO nobody writes to") << HostileCase{
        "path:pipe", {}, {"pipe|fifo"}, {}, {}, {"stderr~the file is empty"}, flowError};
    // Output named on the command line is written where it is, never put in its place.
    QTest::newRow("report to a full device")
        << HostileCase{"generated:empty",
                       {},
                       {"dev-full|full"},
                       {},
                       {},
                       {"stderr~cannot write dev-full: No space left on device"},
                       flowError,
                       0,
                       {"--report", "dev-full"}};
    QTest::newRow("report to a FIFO nobody reads")
        << HostileCase{"generated:empty",
                       {},
                       {"pipe|fifo"},
                       {},
                       {},
                       {"stderr~cannot write pipe: No such device"},
                       flowError,
                       0,
                       {"--report", "pipe"}};
    QTest::newRow("report onto a folder") << HostileCase{"generated:empty",
                                                         {},
                                                         {"folder/", "folder/kept.txt"},
                                                         {},
                                                         {},
                                                         {"stderr~cannot write folder"},
                                                         flowError,
                                                         0,
                                                         {"--report", "folder"}};
    QTest::newRow("standard output on a full device") << HostileCase{
        "generated:empty", {}, {}, {}, {}, {"stderr~cannot write to standard output"}, flowError, 0,
        {">", "/dev/full"}};
}

QTEST_GUILESS_MAIN(tst_Reliability)
#include "tst_reliability.moc"
