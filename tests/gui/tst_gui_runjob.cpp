// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window's run as a job: its signals in order, a step's figures passed on at most so often
// with the final ones always and the last kept for a Stop's count, a stop heard by the steps and
// told once, a flow that cannot run, and a job let go of while its run goes.
#include "runjob.h"
#include "windowtest.h"

#include <operation.h>

#include <QtTest>

class tst_GuiRunJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void signalsComeInOrder();
    void figuresArePassedOnAtMostSoOften();
    void filesLeftAreTheLastFigures();
    void stopIsHeardByTheStepsAndToldOnce();
    void aFlowThatCannotRunSaysWhy();
    void aJobLetGoOfStopsItsRun();

private:
    const Operation& step() const { return *m_host.prototype(QStringLiteral("file.copy")); }
    PluginHost m_host;
};

namespace
{

// What a job told, in order, as "started 0/2 复制文件", "progress 0 1/2", "finished 0", ...
struct Told : QStringList {
    void listenTo(RunJob& job)
    {
        QObject::connect(&job, &RunJob::stepStarted, &job,
                         [this](int index, int count, const QString& name) {
                             append(QStringLiteral("started %1/%2 ").arg(index).arg(count) + name);
                         });
        QObject::connect(&job, &RunJob::progress, &job,
                         [this](int index, int, const FileProgress& progress, qint64) {
                             append(QStringLiteral("progress %1 %2/%3")
                                        .arg(index)
                                        .arg(progress.filesDone)
                                        .arg(progress.filesTotal));
                         });
        QObject::connect(&job, &RunJob::stepFinished, &job,
                         [this](int index) { append(QStringLiteral("finished %1").arg(index)); });
        QObject::connect(&job, &RunJob::stopping, &job, [this] { append("stopping"); });
        QObject::connect(&job, &RunJob::finished, &job,
                         [this](bool ran) { append(QStringLiteral("done %1").arg(ran)); });
    }
};

FileProgress files(qint64 done, qint64 total)
{
    FileProgress progress;
    progress.filesDone = done;
    progress.filesTotal = total;
    return progress;
}

} // namespace

// Two steps, the first reporting its start and end, the second nothing.
void tst_GuiRunJob::signalsComeInOrder()
{
    Told told;
    RunJob job([this](const RunOptions& options) {
        for (int index = 0; index < 2; ++index) {
            options.stepStarted(index, 2, step());
            if (index == 0) {
                options.stepProgress(index, 2, step(), files(0, 1));
                options.stepProgress(index, 2, step(), files(1, 1));
            }
            options.stepFinished(index, 2, step(), 0);
        }
        return RunResult();
    });
    told.listenTo(job);
    QSignalSpy finished(&job, &RunJob::finished);
    job.start();
    QVERIFY(job.isRunning());
    QVERIFY(finished.wait());
    QVERIFY(!job.isRunning());
    QVERIFY(job.ran());
    const QString name = step().typeName();
    QCOMPARE(told, (QStringList{"started 0/2 " + name, "progress 0 0/1", "progress 0 1/1",
                                "finished 0", "started 1/2 " + name, "finished 1", "done 1"}));
}

// A step that reports every file of thousands: the window hears of the first figures, of some
// in between, and always of the last.
void tst_GuiRunJob::figuresArePassedOnAtMostSoOften()
{
    const int total = 20000;
    QElapsedTimer clock;
    qint64 stepMs = 0;
    RunJob job([&](const RunOptions& options) {
        clock.start();
        options.stepStarted(0, 1, step());
        for (int done = 0; done <= total; ++done)
            options.stepProgress(0, 1, step(), files(done, total));
        stepMs = clock.elapsed();
        options.stepFinished(0, 1, step(), 0);
        return RunResult();
    });
    QList<qint64> shown;
    connect(&job, &RunJob::progress, this, [&](int, int, const FileProgress& progress, qint64) {
        shown.append(progress.filesDone);
    });
    QSignalSpy finished(&job, &RunJob::finished);
    job.start();
    QVERIFY(finished.wait());
    QVERIFY(shown.size() >= 2);
    QCOMPARE(shown.first(), 0);
    QCOMPARE(shown.last(), total);
    QVERIFY2(shown.size() <= 2 + stepMs / RunJob::progressIntervalMs,
             qPrintable(QStringLiteral("%1 in %2 ms").arg(shown.size()).arg(stepMs)));
}

// Where a Stop left a step is told by its last figures, though they came too soon after others
// to be passed on; a step that dealt with all its files left none.
void tst_GuiRunJob::filesLeftAreTheLastFigures()
{
    RunJob job([this](const RunOptions& options) {
        options.stepStarted(0, 2, step());
        for (int done = 0; done <= 2; ++done)
            options.stepProgress(0, 2, step(), files(done, 5));
        options.stepFinished(0, 2, step(), 0);
        options.stepStarted(1, 2, step());
        options.stepProgress(1, 2, step(), files(5, 5));
        options.stepFinished(1, 2, step(), 0);
        return RunResult();
    });
    QSignalSpy finished(&job, &RunJob::finished);
    job.start();
    QVERIFY(finished.wait());
    QCOMPARE(job.stepTraces().size(), 2);
    QCOMPARE(job.stepTraces().first().filesLeft(), 3);
    QCOMPARE(job.stepTraces().last().filesLeft(), -1);
}

// The step asks until it hears the stop, as a long copy does between files.
void tst_GuiRunJob::stopIsHeardByTheStepsAndToldOnce()
{
    Told told;
    RunJob job([this](const RunOptions& options) {
        options.stepStarted(0, 1, step());
        while (!options.stopRequested())
            QThread::yieldCurrentThread();
        options.stepFinished(0, 1, step(), 0);
        RunResult result;
        result.stopped = true;
        return result;
    });
    told.listenTo(job);
    connect(&job, &RunJob::stepStarted, &job, [&job] {
        job.stop();
        job.stop(); // a second press tells nothing more
    });
    QSignalSpy finished(&job, &RunJob::finished);
    QVERIFY(!job.isStopRequested());
    job.start();
    QVERIFY(finished.wait());
    QVERIFY(job.isStopRequested() && job.ran() && job.result().stopped);
    QCOMPARE(told,
             (QStringList{"started 0/1 " + step().typeName(), "stopping", "finished 0", "done 1"}));
}

void tst_GuiRunJob::aFlowThatCannotRunSaysWhy()
{
    Flow flow;
    flow.steps = {{QStringLiteral("file.none"), {}}};
    const QTemporaryDir folder;
    Told told;
    RunJob job(RunJob::flowRun(m_host, flow, folder.path()));
    told.listenTo(job);
    QSignalSpy finished(&job, &RunJob::finished);
    job.start();
    QVERIFY(finished.wait());
    QVERIFY(!job.ran());
    QCOMPARE(job.error(), QStringLiteral("step 1 (file.none): unknown step type"));
    QCOMPARE(told, QStringList{"done 0"});
}

// Going away while its run goes, the job stops the run and waits for it: the steps never call
// back into a job that is gone.
void tst_GuiRunJob::aJobLetGoOfStopsItsRun()
{
    QSemaphore running;
    bool stepSawStop = false;
    {
        RunJob job([&](const RunOptions& options) {
            options.stepStarted(0, 1, step());
            running.release();
            while (!options.stopRequested())
                QThread::yieldCurrentThread();
            stepSawStop = true;
            options.stepFinished(0, 1, step(), 0);
            return RunResult();
        });
        job.start();
        running.acquire();
    }
    QVERIFY(stepSawStop);
}

QTEST_MAIN(tst_GuiRunJob)
#include "tst_gui_runjob.moc"
