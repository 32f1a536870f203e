// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filesystem/realfilesystem.h"
#include "filesystem/scopedfilesystems.h"
#include "modificationtimes.h"
#include "operations/filemoveoperation.h"

#include <QLoggingCategory>
#include <QtTest>

#include <unistd.h>

namespace
{

// What another program does to a source between its copy and its removal.
enum class SourceChange { Appended, Touched, Replaced };

// The disk, where a source changes the moment its copy is complete.
class SourceChangedAfterCopy : public RealFileSystem
{
public:
    explicit SourceChangedAfterCopy(SourceChange change) : m_change(change) {}

    bool copyFile(const QString& source, const QString& target, Overwrite overwrite,
                  FileError* error) override
    {
        const bool copied = RealFileSystem::copyFile(source, target, overwrite, error);
        if (copied)
            change(source);
        return copied;
    }

    // Copies made in a batch: each source changes once its copy has its name.
    std::unique_ptr<CopyBatch> startCopyBatch() override
    {
        return std::make_unique<ChangingBatch>(RealFileSystem::startCopyBatch(), *this);
    }

private:
    class ChangingBatch : public CopyBatch
    {
    public:
        ChangingBatch(std::unique_ptr<CopyBatch> below, const SourceChangedAfterCopy& files)
            : m_below(std::move(below)), m_files(files)
        {
        }
        bool add(const QString& source, const QString& target, FileError* error) override
        {
            if (!m_below->add(source, target, error))
                return false;
            m_sources.append(source);
            return true;
        }
        void makeDurable() override { m_below->makeDurable(); }
        bool name(int index, Overwrite overwrite, FileError* error) override
        {
            const bool named = m_below->name(index, overwrite, error);
            if (named)
                m_files.change(m_sources.at(index));
            return named;
        }
        void clear() override
        {
            m_below->clear();
            m_sources.clear();
        }
        int count() const override { return m_below->count(); }
        qint64 bytes() const override { return m_below->bytes(); }
        QString temporary(int index) const override { return m_below->temporary(index); }

    private:
        std::unique_ptr<CopyBatch> m_below;
        const SourceChangedAfterCopy& m_files;
        QStringList m_sources;
    };

    void change(const QString& source) const
    {
        const qint64 modified = modifiedOf(source);
        switch (m_change) {
        case SourceChange::Appended: { // the time may stay within the clock's resolution
            QFile file(source);
            QVERIFY(file.open(QIODevice::Append) && file.write("more") == 4);
            break;
        }
        case SourceChange::Touched: // the same bytes, another time
            QVERIFY(setModificationTime(source, modified + 1000000000));
            break;
        case SourceChange::Replaced: { // another file of the same size and time in its place
            const QString other = source + QLatin1String(".new");
            QVERIFY(writeFile(other, readFile(source).toUpper()));
            QVERIFY(setModificationTime(other, modified));
            QVERIFY(QFile::rename(source, source + QLatin1String(".old")));
            QVERIFY(QFile::rename(other, source));
            QVERIFY(QFile::remove(source + QLatin1String(".old")));
            break;
        }
        }
    }

    const SourceChange m_change;
};

} // namespace

Q_DECLARE_METATYPE(SourceChange)

class tst_FileMoveOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void sourceThatCannotBeRemovedStays();
    void sourceChangedWhileCopiedStays_data();
    void sourceChangedWhileCopiedStays();
};

void tst_FileMoveOperation::run_data()
{
    addStepColumns();
    const char* ab = "d/a.txt|d/b.txt";
    const char* moved = "d/|out/a.txt=d/a.txt|out/b.txt=d/b.txt";
    addStepRow("list variable, reference destination", ab, "files=$files|destDir=$dest", moved,
               "out/a.txt|out/b.txt");
    addStepRow("missing source skipped", ab, "files=d/none.txt\nd/b.txt",
               "d/a.txt|out/b.txt=d/b.txt", "out/b.txt");

    // Clash policies.
    addStepRow("policy 0 leaves both", "d/a.txt|out/a.txt", "files=d/a.txt", "d/a.txt|out/a.txt",
               "");
    addStepRow("policy 1 overwrites", "d/a.txt|d/b.txt|out/a.txt", "files=d/a.txt|ifExist=1",
               "d/b.txt|out/a.txt=d/a.txt", "out/a.txt");
    addStepRow("in place, policy 0", ab, "files=d/a.txt|destDir=d", ab, "");
    addStepRow("in place, policy 2 renames", ab, "files=d/a.txt|destDir=d|ifExist=2",
               "d/a(1).txt=d/a.txt|d/b.txt", "d/a(1).txt");

    // Listed twice, or listed again under the path it was just moved to.
    for (const char* policy : {"0", "1", "2"}) {
        for (const char* second : {"d/a.txt", "out/a.txt"}) {
            const QByteArray tag = QByteArray("then ") + second + ", policy " + policy;
            const QByteArray settings =
                QByteArray("files=d/a.txt\n") + second + "|ifExist=" + policy;
            addStepRow(tag.constData(), ab, settings.constData(), "d/b.txt|out/a.txt=d/a.txt",
                       "out/a.txt");
        }
    }

    // No lost files. A move within one file system renames, which would take the place of
    // whatever is in the way, links included, so these are not the copy's checks.
    for (const char* spelling : {"d/a.txt", "./d/a.txt", "d/sub/../a.txt", "dlink/a.txt"}) {
        const QByteArray tag = QByteArray("onto itself as ") + spelling;
        const QByteArray settings = QByteArray("files=") + spelling + "|destDir=d|ifExist=1";
        addStepRow(tag.constData(), "d/a.txt|d/sub/|dlink->d", settings.constData(),
                   "d/a.txt|d/sub/|dlink->d", "");
    }
    addStepRow("a folder in the way stays", "d/a.txt|out/a.txt/in", "files=d/a.txt|ifExist=1",
               "d/a.txt|out/a.txt/in", "");
    addStepRow("a dangling link in the way stays", "d/a.txt|out/a.txt->gone",
               "files=d/a.txt|ifExist=1", "d/a.txt|out/a.txt->gone", "");
    addStepRow("a link to a folder in the way stays", "d/a.txt|keep/in|out/a.txt->../keep",
               "files=d/a.txt|ifExist=1", "d/a.txt|keep/in|out/a.txt->../keep", "");
    addStepRow("a folder source stays", "d/sub/in|out/sub", "files=d/sub|ifExist=1",
               "d/sub/in|out/sub", "");
    addStepRow("two sources with one name, policy 1: the second stays", "d/a.txt|e/a.txt",
               "files=d/a.txt\ne/a.txt|ifExist=1", "d/|e/a.txt|out/a.txt=d/a.txt", "out/a.txt");
    addStepRow("two sources with one name, policy 2: both numbered apart", "d/a.txt|e/a.txt",
               "files=d/a.txt\ne/a.txt|ifExist=2", "d/|e/|out/a.txt=d/a.txt|out/a(1).txt=e/a.txt",
               "out/a.txt|out/a(1).txt");

    // Moving a link moves the link: its target's bytes arrive, the target itself stays.
    addStepRow("linked source", "data/real.txt|d/l.txt->../data/real.txt", "files=d/l.txt",
               "data/real.txt|d/|out/l.txt=data/real.txt", "out/l.txt");
    addStepRow("linked source that is the target, policy 1", "out/l.txt|d/l.txt->../out/l.txt",
               "files=d/l.txt|ifExist=1", "out/l.txt|d/l.txt->../out/l.txt", "");
    addStepRow("linked source that is the target, policy 2", "out/l.txt|d/l.txt->../out/l.txt",
               "files=d/l.txt|ifExist=2", "out/l.txt|out/l(1).txt=out/l.txt|d/", "out/l(1).txt");

    addStepRow("blank destination", ab, "files=$files|destDir= |ifExist=2", ab, "previous",
               "[FileMove] 目标文件夹为空，已跳过");
    addStepRow("without a scope", ab, "files=d/a.txt\n$files|noscope", "d/b.txt|out/a.txt=d/a.txt",
               "previous");
}

void tst_FileMoveOperation::run()
{
    checkStepRow<FileMoveOperation>(QStringLiteral("destDir=out|listVar=out"));
}

void tst_FileMoveOperation::sourceThatCannotBeRemovedStays()
{
    if (geteuid() == 0)
        QSKIP("root may remove files from a read-only folder");
    const ScratchCwd dir;
    QVERIFY(makeTree("d/a.txt"));
    QVERIFY(QFile::setPermissions("d", QFile::ReadOwner | QFile::ExeOwner));
    VariableScope scope;
    scope.declare("out", VarType::List, QVariantList{"previous"});
    FileMoveOperation op;
    op.setFiles("d/a.txt");
    op.setDestDir("out");
    op.setListVar("out");
    op.setVariableScope(&scope);
    op.doOperation();
    QFile::setPermissions("d", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The copy stays in the destination, the source where it was; nothing is listed.
    QCOMPARE(treeSnapshot(), sortedEntries("d/a.txt|out/a.txt=d/a.txt"));
    QCOMPARE(scope.get("out"), QVariant(QVariantList()));
}

void tst_FileMoveOperation::sourceChangedWhileCopiedStays_data()
{
    QTest::addColumn<SourceChange>("change");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("after");

    const auto add = [](const char* tag, SourceChange change, const char* before, int ifExist,
                        const char* after) {
        QTest::newRow(tag) << change << QString(before) << ifExist << QString(after);
    };
    const char* appended = "d/a.txt=d/a.txtmore|out/a.txt=d/a.txt";
    add("appended", SourceChange::Appended, "d/a.txt", 0, appended);
    add("appended, replacing", SourceChange::Appended, "d/a.txt|out/a.txt", 1, appended);
    add("appended, numbered", SourceChange::Appended, "d/a.txt|out/a.txt", 2,
        "d/a.txt=d/a.txtmore|out/a.txt|out/a(1).txt=d/a.txt");
    add("touched", SourceChange::Touched, "d/a.txt", 0, "d/a.txt|out/a.txt=d/a.txt");
    add("replaced", SourceChange::Replaced, "d/a.txt", 0, "d/a.txt=D/A.TXT|out/a.txt=d/a.txt");
}

// Another program that writes to a source while it is moved: the source holds what the copy
// lacks, so it stays, and the copy is not listed.
void tst_FileMoveOperation::sourceChangedWhileCopiedStays()
{
    QFETCH(SourceChange, change);
    QFETCH(QString, before);
    QFETCH(int, ifExist);
    QFETCH(QString, after);
    const ScratchCwd dir;
    QVERIFY(makeTree(before));
    VariableScope scope;
    scope.declare("out", VarType::List, QVariantList{"previous"});
    setScopedFileSystem(&scope, std::make_shared<SourceChangedAfterCopy>(change));
    FileMoveOperation op;
    op.setFiles("d/a.txt");
    op.setDestDir("out");
    op.setIfExist(ifExist);
    op.setListVar("out");
    QLoggingCategory::setFilterRules(QStringLiteral("fileoper.move.debug=true"));
    const QString target = ifExist == 2 ? "out/a(1).txt" : "out/a.txt";
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable("d/a.txt: copied to " + target +
                                    " but not removed, it changed while it was copied"));
    const QStringList warnings = warningsOf(op, &scope);
    QLoggingCategory::setFilterRules(QString());
    takeScopedFileSystem(&scope);
    QCOMPARE(warnings, QStringList());
    QCOMPARE(treeSnapshot(), sortedEntries(after));
    QCOMPARE(scope.get("out"), QVariant(QVariantList()));
}

QTEST_GUILESS_MAIN(tst_FileMoveOperation)
#include "tst_filemoveoperation.moc"
