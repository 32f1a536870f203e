// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The decoded pieces of a large file, read by several runs at once: a piece is dropped as soon as
// every run reading it has moved past it, and never while one still reads it.
#include "csv/piecereaders.h"

#include <QtTest>

class tst_PieceReaders : public QObject
{
    Q_OBJECT

private slots:
    void dropsPiecesNoRunReads_data();
    void dropsPiecesNoRunReads();
};

using Span = QPair<int, int>;

void tst_PieceReaders::dropsPiecesNoRunReads_data()
{
    QTest::addColumn<int>("pieces");
    QTest::addColumn<QVector<Span>>("runs");
    // "R>P": run R moves on to piece P; "R.": run R is done.
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("held");

    QTest::newRow("nothing read yet") << 3 << QVector<Span>{{0, 2}} << QStringList() << "0 1 2";
    QTest::newRow("pieces no run reads") << 5 << QVector<Span>{{1, 2}} << QStringList() << "1 2";
    QTest::newRow("a run moving on drops the pieces behind it")
        << 4 << QVector<Span>{{0, 3}} << QStringList{"0>2"} << "2 3";
    QTest::newRow("moving back drops nothing more")
        << 4 << QVector<Span>{{0, 3}} << QStringList{"0>2", "0>1"} << "2 3";
    QTest::newRow("a piece two runs read stays while one reads it")
        << 4 << QVector<Span>{{0, 1}, {1, 3}} << QStringList{"0."} << "1 2 3";
    QTest::newRow("and goes when the second moves past it")
        << 4 << QVector<Span>{{0, 1}, {1, 3}} << QStringList{"0.", "1>2"} << "2 3";
    QTest::newRow("in either order")
        << 4 << QVector<Span>{{0, 1}, {1, 3}} << QStringList{"1>3", "0>1"} << "1 3";
    QTest::newRow("done drops what is left")
        << 4 << QVector<Span>{{0, 1}, {1, 3}} << QStringList{"1>2", "0.", "1."} << "";
}

void tst_PieceReaders::dropsPiecesNoRunReads()
{
    QFETCH(int, pieces);
    QFETCH(QVector<Span>, runs);
    QFETCH(QStringList, events);
    QFETCH(QString, held);
    QStringList text;
    for (int piece = 0; piece < pieces; ++piece)
        text << QStringLiteral("piece %1\n").arg(piece);
    PieceReaders readers(text);
    for (const Span& run : qAsConst(runs))
        readers.addRun(run.first, run.second);
    readers.dropUnread();
    for (const QString& event : qAsConst(events)) {
        const int run = event.left(1).toInt();
        if (event.endsWith(QLatin1Char('.')))
            readers.runDone(run);
        else
            readers.runAt(run, event.mid(2).toInt());
    }
    QStringList kept;
    for (int piece = 0; piece < pieces; ++piece) {
        if (!text.at(piece).isNull())
            kept << QString::number(piece);
    }
    QCOMPARE(kept.join(QLatin1Char(' ')), held);
}

QTEST_GUILESS_MAIN(tst_PieceReaders)
#include "tst_piecereaders.moc"
