// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// `stephost plan` against `stephost run`: each flow runs twice on identical trees, once planned,
// once for real. The plan must report what the run then does, and leave its own tree untouched.

#include "craftednames.h"
#include "filetree.h"
#include "randomflows.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

class tst_StephostPlan : public QObject
{
    Q_OBJECT

private slots:
    void planMatchesRun_data();
    void planMatchesRun();
    void conflicts_data();
    void conflicts();
    void throughLinks_data();
    void throughLinks();
    void craftedNames_data();
    void craftedNames();
    void unwritableFolder();
    void table();
};

namespace
{

// path -> content; a path ending in "/" is a folder, "name->target" a link.
using Tree = QList<QPair<QString, QByteArray>>;

// Files whose content is their own path, in filetree.h's notation.
Tree treeOf(const QString& text)
{
    Tree tree;
    for (const QString& entry : entries(text))
        tree.append({entry, entry.toUtf8()});
    return tree;
}

// What every flow under tests/flows finds: the files they name, the tables they read, and a file
// in UTF-16 that one appends to.
Tree flowTree()
{
    return treeOf(QString::fromLatin1(flowsTree)) + Tree{{"in/table.csv", "id,name\n1,x\n"},
                                                         {"in.csv", "a,b\n1,\"2,3\"\n"},
                                                         {"utf16.txt", hexBytes("fffe61000a00")}};
}

bool buildTree(const Tree& tree)
{
    for (const auto& entry : tree) {
        const bool built =
            entry.first.contains(QLatin1String("->")) || entry.first.endsWith(QLatin1Char('/'))
                ? makeTreeEntry(entry.first)
                : writeFile(entry.first, entry.second);
        if (!built)
            return false;
    }
    return true;
}

// Every entry below the current folder: files with their bytes, folders, links with targets.
// A link is what it holds, not where that leads now: moving its target changes no link.
QMap<QString, QByteArray> treeState()
{
    QMap<QString, QByteArray> state;
    describedTree([&state](const QString& path, const struct stat& status) {
        const QString name = QDir(QStringLiteral(".")).relativeFilePath(path);
        char target[4096];
        const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
        state.insert(name, S_ISLNK(status.st_mode)   ? "link to " + QByteArray(target, int(size))
                           : S_ISDIR(status.st_mode) ? QByteArray("folder")
                                                     : "file " + readFile(path));
        return name;
    });
    return state;
}

// A path of the plan, where "@DIR@" stands for the folder it ran in, relative to that folder.
QString relativePath(const QString& path)
{
    const QString dir = QStringLiteral("@DIR@/");
    return QDir::cleanPath(path.startsWith(dir) ? path.mid(dir.size()) : path);
}

// Where a path of the plan leads in the tree it was planned in (the folder `dir`, which the plan
// leaves as it was), relative to that folder: the folders that exist resolved as the kernel
// resolves them, a link before the ".." after it; the rest, which the flow makes, as written.
QString resolvedPath(QString text, const QString& dir)
{
    text.replace(QLatin1String("@DIR@"), dir);
    const QString absolute = QDir(dir).absoluteFilePath(text);
    const int slash = absolute.lastIndexOf(QLatin1Char('/'));
    QString parent = absolute.left(slash);
    QString rest = absolute.mid(slash);
    while (!parent.isEmpty() && !QFileInfo::exists(parent)) {
        const int above = parent.lastIndexOf(QLatin1Char('/'));
        rest.prepend(parent.mid(above));
        parent = parent.left(above);
    }
    const QString resolved = QDir::cleanPath(QFileInfo(parent).canonicalFilePath() + rest);
    return QDir(QDir(dir).canonicalPath()).relativeFilePath(resolved);
}

using ResolvedPaths = QHash<QString, QString>;

void resolvePlanPaths(const QJsonArray& changes, const QString& dir, ResolvedPaths* resolved)
{
    for (const QJsonValue& value : changes) {
        for (const char* key : {"path", "from"}) {
            const QString text = value.toObject().value(QLatin1String(key)).toString();
            if (!text.isEmpty())
                resolved->insert(text, resolvedPath(text, dir));
        }
    }
}

// The paths the plan's changes leave, played on the paths there were; `touched` gets every path
// a change wrote or moved something to.
QSet<QString> pathsAfterPlan(const QJsonArray& changes, const QMap<QString, QByteArray>& before,
                             const ResolvedPaths& resolved, QSet<QString>* touched)
{
    QSet<QString> paths(before.keyBegin(), before.keyEnd());
    for (const QJsonValue& value : changes) {
        const QJsonObject change = value.toObject();
        if (change.value(QLatin1String("fails")).toBool())
            continue;
        const QString action = change.value(QLatin1String("action")).toString();
        const QString pathText = change.value(QLatin1String("path")).toString();
        const QString fromText = change.value(QLatin1String("from")).toString();
        const QString path = resolved.value(pathText, relativePath(pathText));
        const QString from = resolved.value(fromText, relativePath(fromText));
        if (action == QLatin1String("delete")) {
            paths.remove(path);
            continue;
        }
        if (action == QLatin1String("move") || action == QLatin1String("rename")) {
            // A renamed folder takes what is in it along.
            const QSet<QString> all = paths;
            for (const QString& old : all) {
                if (old == from || old.startsWith(from + QLatin1Char('/'))) {
                    paths.remove(old);
                    paths.insert(path + old.mid(from.size()));
                    touched->insert(path + old.mid(from.size()));
                }
            }
        }
        paths.insert(path);
        touched->insert(path);
    }
    return paths;
}

// One stephost command on a fresh copy of the tree, the flow's "@DIR@" standing for the folder it
// runs in: its report, with "@DIR@" for that folder again, the tree before and after, and the
// paths of the report's changes as they resolve in it. A run with a journal (kept outside the
// tree) is undone after, which must bring the tree back.
struct TreeRun {
    QJsonObject report;
    QMap<QString, QByteArray> before;
    QMap<QString, QByteArray> after;
    ResolvedPaths resolved;
};

TreeRun runInFreshTree(const QString& command, const QByteArray& flow, const Tree& tree,
                       QString* failure, const QString& journal = QString())
{
    TreeRun result;
    const ScratchCwd dir;
    if (!buildTree(tree))
        *failure = QStringLiteral("could not build the tree");
    const QString flowFile = dir.filePath(QStringLiteral(".flow.json"));
    QByteArray text = flow;
    writeFile(flowFile, text.replace("@DIR@", QFile::encodeName(dir.path())));
    result.before = treeState();
    const QStringList stamps = stampedTree();
    QStringList arguments{command, flowFile};
    if (command == QLatin1String("plan"))
        arguments << QStringLiteral("--json");
    if (!journal.isEmpty())
        arguments << QStringLiteral("--journal") << journal;
    const StephostResult out = runStephost(arguments, dir.path());
    if (out.exitCode != 0)
        *failure = command + QLatin1String(" failed: ") + QString::fromUtf8(out.err);
    if (command == QLatin1String("plan") && stampedTree() != stamps)
        *failure = QStringLiteral("the plan changed its tree:\n") + stamps.join('\n') + "\n--\n" +
                   stampedTree().join('\n');
    result.after = treeState();
    if (!journal.isEmpty() &&
        (runStephost({QStringLiteral("undo"), journal}, dir.path()).exitCode != 0 ||
         treeState() != result.before))
        *failure = QStringLiteral("the undo did not bring the tree back");
    for (auto* state : {&result.before, &result.after})
        state->remove(QStringLiteral(".flow.json"));
    QByteArray report = out.out;
    result.report =
        QJsonDocument::fromJson(report.replace(QFile::encodeName(dir.path()), "@DIR@")).object();
    resolvePlanPaths(result.report.value(QLatin1String("changes")).toArray(), dir.path(),
                     &result.resolved);
    return result;
}

struct PlanAndRun {
    TreeRun plan;
    TreeRun run;
};

// Plans the flow in one copy of the tree and runs it in another, and checks that the plan
// reported what the run did and left its tree as it was; `result` gets both.
void checkPlanAgainstRun(const QByteArray& flow, const Tree& tree, PlanAndRun* result = nullptr)
{
    QString failure;
    const TreeRun plan = runInFreshTree(QStringLiteral("plan"), flow, tree, &failure);
    const TreeRun run = runInFreshTree(QStringLiteral("run"), flow, tree, &failure);
    if (result)
        *result = {plan, run};
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    for (const char* key : {"log", "variables", "steps"}) {
        const QJsonValue planned = plan.report.value(QLatin1String(key));
        const QJsonValue ran = run.report.value(QLatin1String(key));
        QVERIFY2(
            planned == ran,
            qPrintable(
                QStringLiteral("%1 differ:\n%2\n%3")
                    .arg(key)
                    .arg(QString::fromUtf8(QJsonDocument(QJsonObject{{"v", planned}}).toJson()))
                    .arg(QString::fromUtf8(QJsonDocument(QJsonObject{{"v", ran}}).toJson()))));
    }
    // The plan's paths name the folder it ran in; the run's tree is compared by relative paths.
    QSet<QString> touched;
    const QSet<QString> expected = pathsAfterPlan(
        plan.report.value(QLatin1String("changes")).toArray(), run.before, plan.resolved, &touched);
    QStringList expectedPaths = expected.values();
    expectedPaths.sort();
    QCOMPARE(run.after.keys(), expectedPaths);
    for (auto it = run.after.cbegin(); it != run.after.cend(); ++it) {
        if (run.before.contains(it.key()) && run.before.value(it.key()) != it.value())
            QVERIFY2(touched.contains(it.key()), qPrintable(it.key() + " changed unplanned"));
    }
}

// Random flows over a small random tree: copies, moves, renames by every method, deletes, writes
// and appends, reads.
QByteArray randomTreeAndFlow(QRandomGenerator& random, Tree* tree)
{
    const QStringList pool{"a.txt",   "b.txt", "c.md",    "d/x.txt", "d/y.txt",
                           "d/a.txt", "f.csv", "x-1.txt", "x.txt",   "e/a.txt"};
    tree->clear();
    for (const QString& path : pool) {
        if (random.bounded(3) != 0)
            tree->append({path, path.toUtf8()});
    }
    tree->append({QStringLiteral("e/"), QByteArray()});
    static const QStringList types{"file.copy",   "file.move",   "file.copy",  "file.move",
                                   "file.rename", "file.delete", "file.write", "file.read"};
    return randomFlow(random, {pool + QStringList{"out/a.txt", "out/b.txt", "d/new.txt", "missing",
                                                  "d", "a-1.txt", "new.txt", "out/x.txt"},
                               {"out", "d", "e", "out/deep"},
                               {"new", "new.txt", "a.txt", "x"},
                               types});
}

QJsonArray changesOf(const QJsonObject& report)
{
    return report.value(QLatin1String("changes")).toArray();
}

} // namespace

void tst_StephostPlan::planMatchesRun_data()
{
    QTest::addColumn<QByteArray>("flow");
    QTest::addColumn<Tree>("tree");
    QDirIterator flows(QStringLiteral(FLOWS_DIR), {QStringLiteral("*.json")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (flows.hasNext()) {
        const QString path = flows.next();
        QTest::newRow(qPrintable(QDir(QStringLiteral(FLOWS_DIR)).relativeFilePath(path)))
            << readFile(path) << flowTree();
    }
    for (quint32 seed = 1; seed <= 60; ++seed) {
        QRandomGenerator random(seed);
        Tree tree;
        const QByteArray flow = randomTreeAndFlow(random, &tree);
        QTest::addRow("random %u", seed) << flow << tree;
    }
}

void tst_StephostPlan::planMatchesRun()
{
    QFETCH(QByteArray, flow);
    QFETCH(Tree, tree);
    checkPlanAgainstRun(flow, tree);
}

void tst_StephostPlan::conflicts_data()
{
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("steps"); // JSON, without the brackets
    QTest::addColumn<QString>("changes");
    QTest::newRow("numbering chain")
        << "x.txt|x-1.txt"
        << R"({"type": "file.rename", "settings": {"files": "x.txt\nx-1.txt", "mode": 5,
               "sep": 1}})"
        << "rename ./x-1.txt<-x.txt replaces: replaces a file that step 1 later renames|"
           "rename ./x-1-2.txt<-x-1.txt";
    QTest::newRow("two names swapped by two renames")
        << "a.txt|b.txt"
        << R"({"type": "file.rename", "settings": {"files": "a.txt", "newName": "b"}},
              {"type": "file.rename", "settings": {"files": "b.txt", "newName": "a"}})"
        << "rename ./b.txt<-a.txt replaces: replaces a file that step 2 later renames|"
           "rename ./a.txt<-b.txt";
    QTest::newRow("two sources onto one target")
        << "d1/a.txt|d2/a.txt"
        << R"({"type": "file.copy", "settings": {"files": "d1/a.txt", "destDir": "out"}},
              {"type": "file.copy", "settings": {"files": "d2/a.txt", "destDir": "out",
               "ifExist": 1}})"
        << "mkdir out|copy out/a.txt<-d1/a.txt|copy out/a.txt<-d2/a.txt replaces: replaces "
           "what step 1 put here";
    QTest::newRow("two sources of one name copied by one step")
        << "d1/a.txt|d2/a.txt"
        << R"({"type": "file.copy", "settings": {"files": "d1/a.txt\nd2/a.txt",
               "destDir": "out", "ifExist": 1}})"
        << "mkdir out|copy out/a.txt<-d1/a.txt|copy out/a.txt<-d2/a.txt replaces: replaces "
           "what step 1 put here";
    QTest::newRow("a name too long")
        << "a.txt"
        << R"({"type": "file.rename", "settings": {"files": "a.txt", "mode": 1,
               "addText": "LONG"}})"
        << "rename ./aLONG.txt<-a.txt fails: the name is too long for the file system";
}

void tst_StephostPlan::conflicts()
{
    QFETCH(QString, files);
    QFETCH(QString, steps);
    QFETCH(QString, changes);
    const QString longText(260, QLatin1Char('n'));
    steps.replace(QLatin1String("LONG"), longText);
    changes.replace(QLatin1String("LONG"), longText);
    PlanAndRun outcome;
    checkPlanAgainstRun("{\"steps\": [" + steps.toUtf8() + "]}", treeOf(files), &outcome);
    if (QTest::currentTestFailed())
        return;
    QStringList rows;
    for (const QJsonValue& value : changesOf(outcome.plan.report)) {
        const QJsonObject change = value.toObject();
        QString row = change.value("action").toString() + ' ' + change.value("path").toString();
        if (change.contains("from"))
            row += "<-" + change.value("from").toString();
        if (change.value("replaces").toBool())
            row += " replaces";
        if (change.value("fails").toBool())
            row += " fails";
        if (change.contains("conflict"))
            row += ": " + change.value("conflict").toString();
        rows << row;
    }
    QCOMPARE(rows, entries(changes));
}

void tst_StephostPlan::throughLinks_data()
{
    QTest::addColumn<QByteArray>("steps"); // JSON, without the brackets
    QTest::newRow("delete") << QByteArray(
        R"({"type": "file.delete", "settings": {"files": "c/lnk/../report.txt"}})");
    QTest::newRow("copy and move") << QByteArray(
        R"({"type": "file.copy", "settings": {"files": "c/lnk/../report.txt",
            "destDir": "c/lnk/../out"}},
           {"type": "file.move", "settings": {"files": "c/l2/../report.txt",
            "destDir": "c/lnk/../../moved"}})");
    QTest::newRow("rename") << QByteArray(
        R"({"type": "file.rename", "settings": {"files": "c/lnk/../report.txt",
            "newName": "renamed"}})");
    // Not a link, but a path the plan moves: a folder renamed, then filled and renamed into.
    QTest::newRow("into a folder made in a renamed folder") << QByteArray(
        R"({"type": "file.rename", "settings": {"files": "d", "newName": "e"}},
           {"type": "file.copy", "settings": {"files": "e/report.txt", "destDir": "e/sub/new"}},
           {"type": "file.copy", "settings": {"files": "e/report.txt", "destDir": "e/sub"}},
           {"type": "file.rename", "settings": {"files": "e/sub/report.txt", "newName": "new/r"}})");
    QTest::newRow("write, then read") << QByteArray(
        R"({"type": "file.write", "settings": {"filePath": "c/lnk/../new.txt", "content": "n"}},
           {"type": "file.read", "settings": {"filePath": "d/new.txt", "targetVarStr": "t"}})");
}

// A link followed by "..": the kernel climbs from where the link leads, and so must the plan,
// and a journaled run, which records the entries the run really changed.
void tst_StephostPlan::throughLinks()
{
    QFETCH(QByteArray, steps);
    const Tree tree{
        {"d/sub/", ""}, {"d/report.txt", "r"}, {"c/lnk->../d/sub", ""}, {"c/l2->lnk", ""}};
    const QByteArray flow = R"({"variables": {"t": {"type": "string"}}, "steps": [)" + steps + "]}";
    PlanAndRun outcome;
    checkPlanAgainstRun(flow, tree, &outcome);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(outcome.plan.report.value(QLatin1String("skipped")).toArray(), QJsonArray());
    QVERIFY(!changesOf(outcome.plan.report).isEmpty());

    const QTemporaryDir journals;
    QString failure;
    const TreeRun journaled = runInFreshTree(QStringLiteral("run"), flow, tree, &failure,
                                             journals.filePath(QStringLiteral("j")));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(journaled.after, outcome.run.after);
}

void tst_StephostPlan::craftedNames_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("listed");
    for (const CraftedName& crafted : ::craftedNames)
        QTest::newRow(crafted.tag)
            << QString::fromUtf8(crafted.settings) << QString::fromUtf8(crafted.listed);
}

// Names that would lead out of the file's folder are skipped alike by the plan and the run, and
// the plan says why; names that stay inside are renamed alike.
void tst_StephostPlan::craftedNames()
{
    QFETCH(QString, settings);
    QFETCH(QString, listed);
    QJsonObject stepSettings = craftedSettings(settings.toUtf8().constData());
    stepSettings.insert(QStringLiteral("newList"), QStringLiteral("renamed"));
    const QJsonObject flowObject{
        {"variables", QJsonObject{{"renamed", QJsonObject{{"type", "list"}}}}},
        {"steps", QJsonArray{QJsonObject{{"type", "file.rename"}, {"settings", stepSettings}}}}};
    const QByteArray flow = QJsonDocument(flowObject).toJson();
    PlanAndRun outcome;
    checkPlanAgainstRun(flow, treeOf(QString::fromUtf8(craftedTree)), &outcome);
    if (QTest::currentTestFailed())
        return;
    const QJsonArray renamed = outcome.run.report.value(QLatin1String("variables"))
                                   .toObject()
                                   .value(QLatin1String("renamed"))
                                   .toObject()
                                   .value(QLatin1String("value"))
                                   .toArray();
    const QJsonArray skipped = outcome.plan.report.value(QLatin1String("skipped")).toArray();
    if (listed.isEmpty()) {
        QCOMPARE(renamed, QJsonArray());
        QVERIFY2(outcome.run.after == outcome.run.before, "the run changed the tree");
        QCOMPARE(skipped.size(), 1);
        QVERIFY2(skipped.at(0)
                     .toObject()
                     .value(QLatin1String("reason"))
                     .toString()
                     .contains(QRegularExpression(QStringLiteral("folder"))),
                 qPrintable(QJsonDocument(skipped).toJson()));
    } else {
        QCOMPARE(renamed, QJsonArray{listed});
        QCOMPARE(skipped, QJsonArray());
    }
}

// Root writes where the folder says no, so both stephosts run as nobody.
void tst_StephostPlan::unwritableFolder()
{
    const ScratchCwd dir;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    QVERIFY(writeFile(QStringLiteral("flow.json"),
                      R"({"steps": [{"type": "file.write",
                          "settings": {"filePath": "ro/x.txt", "content": "x"}}]})"));
    QVERIFY(QDir().mkdir(QStringLiteral("ro")));
    QCOMPARE(::chmod("ro", 0555), 0);
    StephostLimits limits;
    limits.unprivileged = true;
    const StephostResult plan =
        runStephost({QStringLiteral("plan"), QStringLiteral("flow.json"), QStringLiteral("--json")},
                    dir.path(), limits);
    const StephostResult run =
        runStephost({QStringLiteral("run"), QStringLiteral("flow.json")}, dir.path(), limits);
    QCOMPARE(plan.log(), QStringList{QStringLiteral("[FileWrite] 写入失败： \"ro/x.txt\"")});
    QCOMPARE(run.log(), plan.log());
    QCOMPARE(changesOf(plan.report()),
             (QJsonArray{QJsonObject{{"step", 1},
                                     {"action", "write"},
                                     {"path", "ro/x.txt"},
                                     {"fails", true},
                                     {"conflict", "the folder cannot be written"}}}));
    QVERIFY(!QFile::exists(QStringLiteral("ro/x.txt")));
}

void tst_StephostPlan::table()
{
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("a.txt|b.txt")));
    QVERIFY(writeFile(QStringLiteral("flow.json"),
                      R"({"steps": [{"type": "file.copy", "settings": {"files": "a.txt\nmissing",
                          "destDir": "out"}},
                          {"type": "file.rename", "settings": {"files": "a.txt", "newName": "b"}},
                          {"type": "file.rename", "settings": {"files": "b.txt", "newName": "a"}}]})"));
    const StephostResult plan =
        runStephost({QStringLiteral("plan"), QStringLiteral("flow.json")}, dir.path());
    QCOMPARE(plan.exitCode, 0);
    QCOMPARE(
        QString::fromUtf8(plan.out).split('\n'),
        QStringList({"step  action  path       from     state",
                     "1     mkdir   out                 ok", "1     copy    out/a.txt  a.txt    ok",
                     "1     copy    missing    missing  skipped: no such file",
                     "2     rename  ./b.txt    a.txt    conflict: replaces a file that step 3 "
                     "later renames",
                     "3     rename  ./a.txt    b.txt    ok",
                     "4 changes, 1 with a conflict, 1 skipped", ""}));
}

QTEST_GUILESS_MAIN(tst_StephostPlan)
#include "tst_stephostplan.moc"
