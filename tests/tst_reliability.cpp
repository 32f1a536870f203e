// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Faults and hostile input, end to end: each case runs a flow from tests/flows/reliability through
// stephost in a scratch folder, with a time limit, and compares the folder before and after byte
// for byte. A case passes when stephost neither crashed nor hung, exited as expected, logged
// exactly the warnings the steps define, and changed exactly the entries the case names. Each case
// also prints one "RELIABILITY" line that ./dev reliability adds up.
//
// A case is written as texts with "|" between entries. Paths and contents are UTF-8 in which %XX
// stands for a raw byte, so that names that are no valid UTF-8, and control characters, can be
// written down. Variables: "name=value", a value starting with [ being JSON; "<64 KiB>" in them
// stands for 65,536 x, "<N x>" for N of them. Setup entries:
//   "a.txt"             a file holding its own name      "a.txt=text"   a file holding text
//   "d/"                a folder                          "l->a.txt"     a symbolic link
//   "h=>a.txt"          a hard link to a.txt
//   "p#fifo"            a FIFO                            "f#full"       a device like /dev/full
//   "big#sparse"        4 GiB, data only at both ends     "f#size:N"     N bytes of text
//   "f#rows:N"          a CSV file of N rows              "f#line:N"     one CSV line of N bytes
//   "f#cells:N"         one CSV line of N bytes of short cells
// Expected changes: "+path" appeared, "-path" went, "~path" changed (folders end in "/").
// Checks: "$var=json" or "$var~regex" on a reported variable; "path=bytes", "path~regex",
// and "path==other" (same content) on files; "stderr~regex".
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
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

struct HostileCase {
    QString flow;
    QVariantMap vars;
    QStringList setup, log, changes, checks;
    int exitCode = 0;
    qint64 fileSizeLimit = 0;
    qint64 memoryLimit = 0;
    // Generous: the 4 GiB copies take most of a minute on a busy two-core machine.
    int timeoutMs = 150000;
    QStringList options;
    QJsonObject settings; // put into the first step's settings
};
Q_DECLARE_METATYPE(HostileCase)

namespace
{

const qint64 kGiB = qint64(1) << 30;
const qint64 kSparseSize = 4 * kGiB;

QStringList items(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

HostileCase hostile(const char* flow, const char* vars, const char* setup, const char* log = "",
                    const char* changes = "", const char* checks = "")
{
    HostileCase c;
    c.flow = QString::fromUtf8(flow);
    c.setup = items(setup);
    c.log = items(log);
    c.changes = items(changes);
    c.checks = items(checks);
    for (QString var : items(vars)) {
        var.replace(QLatin1String("<64 KiB>"), QString(65536, QLatin1Char('x')));
        const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral("<(\\d+) x>")).match(var);
        if (count.hasMatch())
            var.replace(count.captured(0), QString(count.captured(1).toInt(), QLatin1Char('x')));
        const QString value = var.section(QLatin1Char('='), 1);
        c.vars.insert(var.section(QLatin1Char('='), 0, 0),
                      value.startsWith(QLatin1Char('['))
                          ? QJsonDocument::fromJson(value.toUtf8()).array().toVariantList()
                          : QVariant(value));
    }
    return c;
}

// The case with settings of the flow's first step changed: "name=json" entries, so that a number
// sets an int setting and a string a text one.
HostileCase withSettings(HostileCase c, const char* settings)
{
    for (const QString& setting : items(settings)) {
        const QByteArray json = '[' + setting.section(QLatin1Char('='), 1).toUtf8() + ']';
        c.settings.insert(setting.section(QLatin1Char('='), 0, 0),
                          QJsonDocument::fromJson(json).array().first());
    }
    return c;
}

// A run where a write past 16 KiB fails as on a full disk.
HostileCase onFullDisk(HostileCase c)
{
    c.fileSizeLimit = 16384;
    return c;
}

// A row of the case hostile() makes of the same texts.
void add(const char* tag, const char* flow, const char* vars, const char* setup,
         const char* log = "", const char* changes = "", const char* checks = "")
{
    QTest::newRow(tag) << hostile(flow, vars, setup, log, changes, checks);
}

void addOnFullDisk(const char* tag, const char* flow, const char* vars, const char* setup,
                   const char* log = "", const char* changes = "", const char* checks = "")
{
    QTest::newRow(tag) << onFullDisk(hostile(flow, vars, setup, log, changes, checks));
}

// A run stephost refuses with exit code 1 and the error on standard error.
HostileCase refused(const char* flow, const char* setup, const char* error,
                    const QStringList& options = {})
{
    HostileCase c = hostile(flow, "", setup, "", "", "");
    c.checks << QStringLiteral("stderr~") + QString::fromUtf8(error);
    c.exitCode = 1;
    c.options = options;
    return c;
}

QByteArray raw(const QString& text)
{
    return QByteArray::fromPercentEncoding(text.toUtf8());
}

// A raw path as the tables write it.
QString shown(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toPercentEncoding("/ "));
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

// Numbers of up to seven digits, each a cell of its own, in one line of `size` bytes.
QByteArray csvShortCells(qint64 size)
{
    QByteArray text("\xEF\xBB\xBF");
    text.reserve(int(size + 16));
    for (int i = 0; text.size() < size; ++i)
        text += QByteArray::number(i % 10000000) + ',';
    text.resize(int(size));
    if (text.endsWith(','))
        text.chop(1);
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
    const QString kind = entry.section(QLatin1Char('#'), 1);
    const QString desc = entry.section(QLatin1Char('#'), 0, 0);
    const int arrow = desc.indexOf(QLatin1String("->"));
    const int hardLink = desc.indexOf(QLatin1String("=>"));
    const int equals = desc.indexOf(QLatin1Char('='));
    const QString name = arrow > 0 ? desc.left(arrow) : equals > 0 ? desc.left(equals) : desc;
    const QByteArray path = root + '/' + raw(name);
    if (!makeParents(path))
        return false;
    if (hardLink > 0)
        return ::link((root + '/' + raw(desc.mid(hardLink + 2))).constData(), path.constData()) ==
               0;
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
    if (kind.startsWith(QLatin1String("cells:")))
        return writeRaw(path, csvShortCells(number));
    return writeRaw(path, equals > 0 ? raw(desc.mid(equals + 1)) : raw(name));
}

// What is at each path of a folder tree, to compare before and after: a file by its size and a
// hash of its data, a link by its target, a folder, a FIFO or another special file by its kind.
using Manifest = QMap<QByteArray, QByteArray>;

// The hash covers the 1 MiB blocks that hold more than zeros, so a hole costs nothing to look at
// and a sparse file equals a copy with its holes written out.
QByteArray fileSummary(const QByteArray& path, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const off_t block = 1 << 20;
    static const std::vector<char> zeros(block, 0);
    std::vector<char> chunk(block);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    for (off_t at = 0; fd >= 0 && at < size; at += block) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0)
            break;
        at = data / block * block;
        const ssize_t got = ::pread(fd, chunk.data(), size_t(block), at);
        if (got <= 0)
            break;
        if (std::memcmp(chunk.data(), zeros.data(), size_t(got)) != 0) {
            hash.addData(QByteArray::number(qint64(at)) + ':');
            hash.addData(QByteArray::fromRawData(chunk.data(), int(got)));
        }
    }
    if (fd >= 0)
        ::close(fd);
    return "file " + QByteArray::number(size) + ' ' + hash.result().toHex();
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
            manifest->insert(path, fileSummary(full, qint64(status.st_size)));
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
int lostFiles(const Manifest& before, const QStringList& changes, const QStringList& expected)
{
    int lost = 0;
    for (const QString& change : changes) {
        if (!change.startsWith(QLatin1Char('+')) && !expected.contains(change) &&
            before.value(raw(change.mid(1))).startsWith("file "))
            ++lost;
    }
    return lost;
}

// Removes a tree by its raw names: Qt's own removal gives up on names that are no valid UTF-8.
int removeEntry(const char* path, const struct stat*, int, FTW*)
{
    return ::remove(path);
}

struct TreeRemoval {
    QByteArray root;
    ~TreeRemoval() { ::nftw(root.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }
};

// Damaged flows the host must refuse, made here rather than kept as files.
QByteArray generatedFlow(const QString& kind)
{
    const int depth = 100000;
    if (kind == QLatin1String("deep-json"))
        return "{\"variables\": {\"v\": {\"value\": " + QByteArray(depth, '[') +
               QByteArray(depth, ']') + "}}}";
    QByteArray bytes("STEPFLOW");
    QDataStream out(&bytes, QIODevice::Append);
    out << quint32(1) << quint32(1) << QStringLiteral("v") << QStringLiteral("list");
    if (kind == QLatin1String("deep-binary")) {
        for (int i = 0; i < depth; ++i)
            out << quint32(QMetaType::QVariantList) << qint8(0) << quint32(1);
        out << quint32(QMetaType::UnknownType) << qint8(1) << quint32(0);
    } else {
        return "{\"steps\": []}";
    }
    return bytes;
}

QByteArray flowText(const QString& flow, const QVariantMap& vars, const QJsonObject& settings)
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
    QJsonArray steps = root.value(QLatin1String("steps")).toArray();
    QJsonObject first = steps.first().toObject();
    QJsonObject stepSettings = first.value(QLatin1String("settings")).toObject();
    for (auto it = settings.begin(); it != settings.end(); ++it)
        stepSettings.insert(it.key(), it.value());
    first.insert(QLatin1String("settings"), stepSettings);
    steps.replace(0, first);
    root.insert(QLatin1String("steps"), steps);
    return QJsonDocument(root).toJson();
}

// One check of the case; an empty result means it holds.
QString failedCheck(const QString& check, const QByteArray& root, const Manifest& after,
                    const QJsonObject& variables, const QByteArray& err)
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
    } else if (op == QLatin1String("==")) {
        const QByteArray summary = after.value(raw(subject));
        return summary.startsWith("file ") && summary == after.value(raw(expected)) ? QString()
                                                                                    : check;
    } else {
        actual = readRaw(root + '/' + raw(subject), op == QLatin1String("~") ? 1 << 20 : kGiB);
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
    void hostileSettings_data();
    void hostileSettings() { runCase(); }
    void sizeLimits_data();
    void sizeLimits() { runCase(); }
    void overwritingCopies();

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
    if (hostile.memoryLimit > 0 && !addressSpaceLimitsWork())
        QSKIP("an AddressSanitizer build cannot run under an address-space limit");
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString work = scratch.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    const QByteArray root = QFile::encodeName(work);
    const TreeRemoval removal{root};
    for (const QString& entry : qAsConst(hostile.setup)) {
        // Room for two copies of the 4 GiB file, or for the big CSV files.
        const bool big = entry.contains(QLatin1String("#rows:")) ||
                         entry.contains(QLatin1String("#line:")) ||
                         entry.contains(QLatin1String("#cells:"));
        const qint64 needed = entry.endsWith(QLatin1String("#sparse")) ? 10 * kGiB
                              : big                                    ? 2 * kGiB
                                                                       : 0;
        if (QStorageInfo(work).bytesAvailable() < needed)
            QSKIP("not enough free disk space for the big files");
        if (entry.endsWith(QLatin1String("#full")) && ::geteuid() != 0)
            QSKIP("making a device node needs root");
        QVERIFY2(makeEntry(root, entry), qPrintable(entry));
        if (entry.endsWith(QLatin1String("#sparse")) &&
            diskUsage(root + '/' + raw(entry.section('#', 0, 0))) > kGiB)
            QSKIP("this file system keeps no sparse files");
    }
    // "path:P" runs P itself as the flow (relative to the work folder, where stephost runs).
    QString flow = scratch.filePath(QStringLiteral("flow.json"));
    if (hostile.flow.startsWith(QLatin1String("path:")))
        flow = hostile.flow.mid(5);
    else
        QVERIFY(writeFile(flow, flowText(hostile.flow, hostile.vars, hostile.settings)));
    QStringList options = hostile.options;
    StephostLimits limits;
    limits.timeoutMs = hostile.timeoutMs;
    limits.fileSizeLimit = hostile.fileSizeLimit;
    limits.memoryLimit = hostile.memoryLimit;
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
    const QStringList changes = changesBetween(before, after);
    QStringList failedChecks;
    int lost = lostFiles(before, changes, hostile.changes);
    for (const QString& check : qAsConst(hostile.checks)) {
        const QString failure = failedCheck(check, root, after, variables, result.err);
        if (!failure.isEmpty()) {
            failedChecks << failure;
            lost += check.contains(QLatin1String("==")) ? 1 : 0;
        }
    }
    qInfo("RELIABILITY crash=%d hang=%d lost=%d", int(result.crashed), int(result.timedOut), lost);

    QVERIFY2(!result.crashed, result.err.constData());
    QVERIFY2(
        !result.timedOut,
        qPrintable(
            QStringLiteral("stephost did not finish within %1 s").arg(hostile.timeoutMs / 1000)));
    QCOMPARE(result.exitCode, hostile.exitCode);
    QCOMPARE(report.value(QLatin1String("log")).toVariant().toStringList(), hostile.log);
    QCOMPARE(changes, hostile.changes);
    QCOMPARE(failedChecks, QStringList());
}

void tst_Reliability::writeFaults_data()
{
    addColumns();
    add("write to /dev/full", "write.json", "path=/dev/full", "",
        R"([FileWrite] 写入失败： "/dev/full")");
    add("CSV to /dev/full", "writecsv.json", "path=/dev/full", "",
        R"([CsvWrite] 写入失败： "/dev/full")");
    // Opening a FIFO for writing would wait for a reader that never comes.
    add("CSV to a FIFO", "writecsv.json", "path=pipe", "pipe#fifo",
        R"([CsvWrite] 写入失败： "pipe")");
    // A write past the file size limit fails part way, as on a full disk.
    addOnFullDisk("CSV on a full disk", "writecsv.json", R"(path=new.csv|table=[["<64 KiB>"]])", "",
                  R"([CsvWrite] 写入失败： "new.csv")");
    add("copy into a file", "copy.json", "dest=file.txt", "a.txt|file.txt", "", "", "$copied=[]");
}

void tst_Reliability::readFaults_data()
{
    addColumns();
    add("read /dev/zero", "read.json", "path=/dev/zero", "",
        R"([FileRead] 读取失败： "/dev/zero")");
    add("CSV from /dev/zero", "readcsv.json", "path=/dev/zero", "",
        R"([CsvRead] 读取失败： "/dev/zero")");
    // Files under /proc say they are empty and are not.
    add("read /proc", "read.json", "path=/proc/self/status", "", "", "",
        R"($text~^"Name:\\tstephost\\n)");
    add("CSV from /proc", "readcsv.json", "path=/proc/self/status", "", "", "",
        R"($table~^\[\["Name:\\tstephost"\])");
    add("copy from /proc", "copy.json", R"(files=["/proc/self/status"])", "", "",
        "+out/|+out/status", R"(out/status~^Name:\tstephost\n|$copied=["out/status"])");
    // Its size reads as 0 and it goes on for hundreds of gigabytes: the copy fails, unlisted,
    // rather than stop part way and pass for done.
    add("copy /proc/self/pagemap", "copy.json", R"(files=["/proc/self/pagemap"])", "", "", "+out/",
        "$copied=[]");
    add("move a FIFO", "move.json", R"(files=["pipe"])", "pipe#fifo", "", "+out/", "$moved=[]");
    add("copy /dev/zero", "copy.json", R"(files=["/dev/zero"])", "", "", "+out/", "$copied=[]");
    add("read binary bytes", "read.json", "path=bin", "bin=%00%FF%FE%00%C0%0D%0A", "", "",
        R"($text~^"\\u0000)");
}

void tst_Reliability::hostileNames_data()
{
    addColumns();
    // allsteps.json runs all ten steps on one file holding "a,b": it appends both readings back,
    // copies it twice into out (the second time numbered), moves the first copy into moved and
    // adds _x to its name, and deletes the numbered copy.
    auto allSteps = [](const QString& base, const QString& ext, const char* extra = "") {
        const QString dot = ext.isEmpty() ? QString() : QLatin1Char('.') + ext;
        const QString name = base + dot;
        const QString jsonExt =
            QString::fromUtf8(QJsonDocument(QJsonArray{ext}).toJson(QJsonDocument::Compact));
        HostileCase c = hostile("allsteps.json", "", extra);
        c.vars.insert(QStringLiteral("name"), name);
        c.setup.prepend(name + "=a,b");
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
    // A name that is not valid UTF-8 cannot be written in a flow; its neighbour holding the
    // replacement character is the file the flow names, and the raw one stays as it is.
    QTest::newRow("invalid UTF-8 neighbour")
        << allSteps("bad\xEF\xBF\xBD", "txt", "bad%FF.txt=keep|bad%C0%AF.txt=keep");

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
    // The trimmed name is a new file: created by the append, then copied, moved and renamed.
    add("trailing blank", "allsteps.json", "name=a.txt ", "a.txt =a,b",
        R"([FileRead] 文件不存在： "a.txt"|[CsvRead] 文件不存在： "a.txt")",
        "+a.txt|+moved/|+moved/a_x.txt|+out/", "$found=false|a.txt =a,b");
}

void tst_Reliability::links_data()
{
    addColumns();
    const char* linked = "a.txt=data|link->a.txt";
    const char* dangling = "dangling->nowhere.txt";
    add("rename a link", "rename.json", R"(files=["link"]|name=renamed)", linked, "",
        "+renamed|-link", "renamed=data");
    add("copy into a linked folder", "copy.json", "dest=out", "a.txt|real/|out->real", "",
        "+real/a.txt", "real/a.txt=a.txt");
    add("write through a link", "write.json", "path=link|text=new", linked, "", "~a.txt",
        "a.txt=%EF%BB%BFnew");
    add("write through a dangling link", "write.json", "path=dangling|text=new", dangling, "",
        "+nowhere.txt", "nowhere.txt=%EF%BB%BFnew");
    add("read a dangling link", "read.json", "path=dangling", dangling,
        R"([FileRead] 文件不存在： "dangling")");
}

void tst_Reliability::vanishingSources_data()
{
    addColumns();
    // The list is made before the first file is touched; a source gone by its turn is skipped.
    add("deleted by an earlier step", "delete-then-copy.json", "", "a.txt|b.txt|c.txt", "",
        "+out/|+out/a.txt|+out/c.txt|-b.txt", R"($copied=["out/a.txt","out/c.txt"])");
}

void tst_Reliability::bigData_data()
{
    addColumns();
    // The source costs no disk; a copy writes its holes out, so each copy takes 4 GiB.
    add("4 GiB sparse file", "copy-then-move.json", R"(files=["big.bin"])", "big.bin#sparse", "",
        "+copies/|+copies/big.bin|+moved/|+moved/big.bin|-big.bin",
        R"(copies/big.bin==moved/big.bin|$moved=["moved/big.bin"])");
    HostileCase rows = hostile("roundtrip.json", "path=rows.csv", "rows.csv#rows:1000000", "",
                               "+csv.out|+text.out", "csv.out==rows.csv|text.out==rows.csv");
    HostileCase line = hostile("roundtrip.json", "path=line.csv", "line.csv#line:52428800", "",
                               "+csv.out|+text.out", "csv.out==line.csv|text.out==line.csv");
    rows.options = line.options = QStringList{"--vars", ""};
    QTest::newRow("1,000,000 CSV rows") << rows;
    QTest::newRow("one CSV line of 50 MB") << line;
    // About 14 million cells in a single row: read and written back whole.
    HostileCase cells = hostile("roundtrip.json", "path=line.csv", "line.csv#cells:100000000", "",
                                "+csv.out|+text.out", "csv.out==line.csv|text.out==line.csv");
    cells.options = QStringList{"--vars", ""};
    cells.timeoutMs = 60000;
    QTest::newRow("one CSV line of 100 MB, short cells") << cells;
    // Where the table cannot be held, the step refuses the file and the variable keeps its value.
    HostileCase refusedLine =
        hostile("readcsv.json", R"(path=line.csv|table=[["kept"]])", "line.csv#cells:100000000",
                R"([CsvRead] 读取失败： "line.csv")", "", R"($table=[["kept"]])");
    refusedLine.memoryLimit = qint64(1000) << 20;
    refusedLine.timeoutMs = 60000;
    QTest::newRow("one CSV line of 100 MB, memory for less") << refusedLine;
    HostileCase refusedText = refusedLine;
    refusedText.memoryLimit = qint64(300) << 20;
    QTest::newRow("one CSV line of 100 MB, memory for less than its text") << refusedText;
}

void tst_Reliability::hostInput_data()
{
    addColumns();
    QTest::newRow("binary flow nested 100,000 deep")
        << refused("generated:deep-binary", "", "nested more than 1021 levels deep");
    QTest::newRow("JSON flow nested 100,000 deep")
        << refused("generated:deep-json", "", "too deeply nested");
    QTest::newRow("flow from /dev/zero")
        << refused("path:/dev/zero", "", "is not a file or a pipe");
    QTest::newRow("flow from a FIFO nobody writes to")
        << refused("path:pipe", "pipe#fifo", "the file is empty");
    // Output named on the command line is written where it is, never put in its place.
    QTest::newRow("report to a full device")
        << refused("generated:empty", "dev-full#full",
                   "cannot write dev-full: No space left on device", {"--report", "dev-full"});
    QTest::newRow("report to a FIFO nobody reads") << refused(
        "generated:empty", "pipe#fifo", "cannot write pipe: No such device", {"--report", "pipe"});
    QTest::newRow("report onto a folder") << refused("generated:empty", "folder/|folder/kept.txt",
                                                     "cannot write folder", {"--report", "folder"});
    QTest::newRow("standard output on a full device")
        << refused("generated:empty", "", "cannot write to standard output", {">", "/dev/full"});
}

// Every integer setting at its extremes, and beyond int where it is read as text: none may
// allocate without bound, overflow or spin; each acts as a value the step defines.
void tst_Reliability::hostileSettings_data()
{
    addColumns();
    auto rename = [&](const char* tag, const char* settings, const QStringList& names) {
        QString changes;
        QStringList listed;
        for (const QString& name : names) {
            changes += QLatin1String("|+") + name;
            listed << QLatin1String("\"./") + name + '"';
        }
        HostileCase c =
            hostile("rename.json", R"(files=["a.txt","b.txt","c.txt"])", "a.txt|b.txt|c.txt");
        if (names.first() != QLatin1String("a.txt"))
            c.changes = (changes.mid(1) + "|-a.txt|-b.txt|-c.txt").split('|');
        c.checks << QLatin1String("$renamed=[") + listed.join(',') + ']';
        QTest::newRow(tag) << withSettings(
            c, (QByteArray("mode=5|usePad=true|sep=1|") + settings).constData());
    };
    rename("padLen -2^31", "padLen=-2147483648", {"a-1.txt", "b-2.txt", "c-3.txt"});
    rename("padLen 0", "padLen=0", {"a-1.txt", "b-2.txt", "c-3.txt"});
    rename("startNum and step 2^31-1", "startNum=2147483647|step=2147483647",
           {"a-2147483647.txt", "b-4294967294.txt", "c-6442450941.txt"});
    rename("startNum and step -2^31", "startNum=-2147483648|step=-2147483648",
           {"a--2147483648.txt", "b--4294967296.txt", "c--6442450944.txt"});
    rename("mode 2^31-1", "mode=2147483647", {"a.txt", "b.txt", "c.txt"});
    rename("mode -1", "mode=-1", {"a.txt", "b.txt", "c.txt"});
    rename("sep, addPos, ifNewExist -2^31",
           "sep=-2147483648|addPos=-2147483648|ifNewExist=-2147483648",
           {"a001.txt", "b002.txt", "c003.txt"});

    // A choice outside the list: copy and move add a number, write and CSV write replace.
    for (const char* value : {"2147483647", "-2147483648"}) {
        const QByteArray ifExist = QByteArray("ifExist=") + value;
        QTest::newRow(QByteArray("copy ifExist ").append(value).constData())
            << withSettings(hostile("copy.json", "", "a.txt|out/a.txt=old", "", "+out/a%281%29.txt",
                                    R"($copied=["out/a(1).txt"]|out/a(1).txt=a.txt)"),
                            ifExist.constData());
        QTest::newRow(QByteArray("move ifExist ").append(value).constData()) << withSettings(
            hostile("move.json", "", "a.txt|out/a.txt=old", "", "+out/a%281%29.txt|-a.txt",
                    R"($moved=["out/a(1).txt"]|out/a.txt=old)"),
            ifExist.constData());
        QTest::newRow(QByteArray("write ifExist ").append(value).constData()) << withSettings(
            hostile("write.json", "", "out.txt=old", "", "~out.txt", "out.txt~新内容$"),
            ifExist.constData());
        QTest::newRow(QByteArray("CSV write ifExist, writeScope ").append(value).constData())
            << withSettings(hostile("writecsv.json", "", "out.csv=old", "", "~out.csv",
                                    "out.csv~^\\S*id,名称"),
                            (ifExist + "|writeScope=" + value).constData());
        QTest::newRow(QByteArray("read storeAs ").append(value).constData())
            << withSettings(hostile("read.json", "", "in.txt=a", "", "", R"($text="a")"),
                            (QByteArray("storeAs=") + value).constData());
    }

    const char* csv = "in.csv=a,b,c%0Ad,e,f";
    auto readCsv = [&](const char* tag, const QByteArray& settings, const char* table,
                       const char* log = "") {
        QTest::newRow(tag) << withSettings(
            hostile("readcsv.json", "", csv, log, "", (QByteArray("$table=") + table).constData()),
            settings.constData());
    };
    const char* whole = R"([["a","b","c"],["d","e","f"]])";
    const char* lines = R"([["a,b,c"],["d,e,f"]])";
    readCsv("CSV read choices 2^31-1", "trim=2147483647|readScope=2147483647|delimType=2147483647",
            whole);
    readCsv("CSV read choices -2^31",
            "trim=-2147483648|readScope=-2147483648|delimType=-2147483648", whole);
    for (const char* width : {"2147483647", "-2147483648", "0", "99999999999999999999"})
        readCsv(QByteArray("fixed width ").append(width).constData(),
                QByteArray("delimType=1|fixedWidth=\"") + width + '"', lines);
    const char* tooLate = "[CsvRead] 起始行大于结束行，已跳过";
    for (const char* row : {"2147483647", "-2147483648", "99999999999999999999"}) {
        const bool number = QByteArray(row).size() < 12;
        const QByteArray range =
            QByteArray("startRow=\"") + row + "\"|endRow=\"" + row + "\"|readScope=1";
        readCsv(QByteArray("rows ").append(row).constData(), range, number ? "null" : whole,
                number ? tooLate : "");
        HostileCase write =
            hostile("writecsv.json", "", "", number ? "[CsvWrite] 起始行大于结束行，已跳过" : "",
                    number ? "" : "+out.csv", number ? "" : "out.csv~^\\S*id\\r?\\n1");
        QTest::newRow(QByteArray("CSV write rows ").append(row).constData())
            << withSettings(write, (QByteArray(range).replace("readScope", "writeScope") +
                                    "|columns=\"" + row + ",0\"")
                                       .constData());
    }
    readCsv("columns at the extremes",
            "readScope=1|columns=\"2147483647,-2147483648,99999999999999999999,0\"",
            R"([["","","a"],["","","d"]])");
}

// A file size limit as `ulimit -f 16` sets it, on the host itself: it lives on, and a write that
// would pass the limit fails with the step's own warning, the old file keeping its bytes. (How
// each step's writes, copies and moves meet a limit is tried step by step in tst_filesizelimit.)
void tst_Reliability::sizeLimits_data()
{
    addColumns();
    addOnFullDisk("append to a file past the limit already", "append.json", "path=old.txt|text=x",
                  "old.txt#size:20000", R"([FileWrite] 写入失败： "old.txt")", "", "");
    // The host's own report file: refused with the reason, not left empty and passed for done.
    HostileCase report = refused("generated:empty", "report=old",
                                 "cannot write report: File too large", {"--report", "report"});
    report.checks << QStringLiteral("report=old");
    report.fileSizeLimit = 1;
    QTest::newRow("report past the limit") << report;
}

namespace
{

// A folder of `count` files and a copy step that overwrites every one of them with its namesake
// from src/, with a leftover replacement of a killed run beside every hundredth.
struct OverwritingCopies {
    QString work;
    QString flow;
    int count = 0;
};

bool makeOverwritingCopies(const QString& work, int count, OverwritingCopies* copies)
{
    QVariantList files;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 5, 10, QLatin1Char('0'));
        files << QStringLiteral("src/") + name;
        if (!writeFile(work + QStringLiteral("/src/") + name, "new " + QByteArray::number(i)) ||
            !writeFile(work + QStringLiteral("/out/") + name, "old " + QByteArray::number(i)) ||
            (i % 100 == 0 &&
             !writeFile(work + QStringLiteral("/out/.") + name + QStringLiteral(".fileoper-Ab12yZ"),
                        "left")))
            return false;
    }
    const QVariantMap vars{{QStringLiteral("files"), files}, {QStringLiteral("dest"), "out"}};
    copies->work = work;
    copies->flow = work + QStringLiteral(".json");
    copies->count = count;
    return writeFile(copies->flow, flowText(QStringLiteral("copy.json"), vars, QJsonObject()));
}

// The files of out/ that are not the copies of their sources, leftovers included.
int wrongCopies(const OverwritingCopies& copies)
{
    const QDir out(copies.work + QStringLiteral("/out"));
    const QStringList names = out.entryList(QDir::Files | QDir::Hidden | QDir::System);
    int wrong = qAbs(names.size() - copies.count);
    for (const QString& name : names) {
        if (readFile(out.filePath(name)) != readFile(copies.work + QStringLiteral("/src/") + name))
            ++wrong;
    }
    return wrong;
}

} // namespace

// Every file of a folder of 2,000 and of 8,000 replaced by a copy under "覆盖": nothing lost,
// every copy listed. How the cost grows with the folder is measured by `./dev bench copy` (its
// "overwrite" case against a copy into an empty folder), not asserted here: a test's timings
// follow the machine's load. Memory-backed /dev/shm keeps the runs short.
void tst_Reliability::overwritingCopies()
{
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isDir();
    QTemporaryDir scratch((inMemory ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                          QStringLiteral("/tst_reliability-XXXXXX"));
    QVERIFY(scratch.isValid());
    OverwritingCopies few, many;
    QVERIFY(makeOverwritingCopies(scratch.filePath(QStringLiteral("few")), 2000, &few));
    QVERIFY(makeOverwritingCopies(scratch.filePath(QStringLiteral("many")), 8000, &many));
    StephostLimits limits;
    limits.timeoutMs = 150000;
    const StephostResult fewRun =
        runStephost(QStringList{QStringLiteral("run"), few.flow}, few.work, limits);
    const StephostResult manyRun =
        runStephost(QStringList{QStringLiteral("run"), many.flow}, many.work, limits);
    const bool crashed = fewRun.crashed || manyRun.crashed;
    const bool timedOut = fewRun.timedOut || manyRun.timedOut;
    const int lost = wrongCopies(few) + wrongCopies(many);
    qInfo("RELIABILITY crash=%d hang=%d lost=%d", int(crashed), int(timedOut), lost);
    QCOMPARE(fewRun.exitCode, 0);
    QCOMPARE(manyRun.exitCode, 0);
    QCOMPARE(manyRun.value(QStringLiteral("copied")).toArray().size(), 8000);
    QCOMPARE(lost, 0);
}

QTEST_GUILESS_MAIN(tst_Reliability)
#include "tst_reliability.moc"
