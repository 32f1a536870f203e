// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The texts a column of a table being read has already met: equal texts come back as one shared
// string, which detaches when a cell holding it is changed, and a column whose texts turn out
// distinct stops sharing without changing a single text.
#include "csv/celltexts.h"
#include "csv/csvsplit.h"

#include <QtTest>

class tst_CellTexts : public QObject
{
    Q_OBJECT

private slots:
    void givesBackEachText_data();
    void givesBackEachText();
    void sharedCellDetachesOnChange();
    void rowsReadAsWithoutSharing_data();
    void rowsReadAsWithoutSharing();
};

// `repeats` texts drawn from a few, then `distinct` texts each met once.
static QStringList repeatsThenDistinct(int repeats, int distinct)
{
    const QStringList few{"北京", "上海", "a,b", "北京 "};
    QStringList texts;
    for (int i = 0; i < repeats; ++i)
        texts << few.at(i % few.size());
    for (int i = 0; i < distinct; ++i)
        texts << QStringLiteral("id%1").arg(i);
    return texts;
}

void tst_CellTexts::givesBackEachText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("sharingAtEnd");
    QTest::newRow("few texts repeated") << repeatsThenDistinct(20000, 0) << true;
    QTest::newRow("repeated, then distinct") << repeatsThenDistinct(6000, 30000) << false;
    QTest::newRow("all distinct") << repeatsThenDistinct(0, 30000) << false;
    QStringList drawn;
    QRandomGenerator random(7);
    for (int i = 0; i < 60000; ++i)
        drawn << QStringLiteral("客户%1").arg(random.bounded(5000));
    QTest::newRow("thousands drawn at random") << drawn << true;
}

// Every text comes back unchanged whether it is given as a view or as a string already made;
// while the column shares, equal texts come back as one buffer.
void tst_CellTexts::givesBackEachText()
{
    QFETCH(QStringList, texts);
    CellTexts column;
    QHash<QString, const QChar*> firstBuffer;
    for (int i = 0; i < texts.size(); ++i) {
        const QString& text = texts.at(i);
        const bool sharing = column.column(0).sharing();
        QVariantList cells;
        if (i % 2)
            column.append(cells, QStringView(text));
        else
            column.append(cells, QString(text));
        column.finishRow(cells);
        const QString given = cells.value(0).toString();
        QCOMPARE(cells.size(), 1);
        QCOMPARE(given, text);
        if (!sharing)
            continue;
        const QChar* buffer = firstBuffer.value(text, given.constData());
        firstBuffer.insert(text, buffer);
        QCOMPARE(given.constData(), buffer);
    }
    QTEST(column.column(0).sharing(), "sharingAtEnd");
}

// A cell changed in place (a host editing the table) detaches from the text it shared: the other
// cells keep their value.
void tst_CellTexts::sharedCellDetachesOnChange()
{
    CellTexts texts;
    QVariantList first;
    QVariantList second;
    texts.append(first, QStringView(u"北京"));
    texts.append(second, QStringLiteral("北京"));
    QCOMPARE(first.at(0), second.at(0));
    QCOMPARE(first.at(0).toString().constData(), second.at(0).toString().constData());
    static_cast<QString*>(second[0].data())->append(QStringLiteral("市"));
    QCOMPARE(first.at(0).toString(), QStringLiteral("北京"));
    QCOMPARE(second.at(0).toString(), QStringLiteral("北京市"));
    QVariantList third;
    texts.append(third, QStringView(u"北京"));
    QCOMPARE(third.at(0).toString(), QStringLiteral("北京"));
}

// Lines of an order export: a unique number, a customer drawn from thousands (now and then quoted
// for a comma), a state drawn from a few, a long note, an empty cell and a padded one.
static QString orderLines(int count)
{
    const QStringList states{"待付款", "已付款", "已发货"};
    QRandomGenerator random(11);
    QString text;
    for (int i = 0; i < count; ++i) {
        const int customer = int(random.bounded(3000));
        const QString name = customer % 7 == 0 ? QStringLiteral("\"客户%1, 北京\"").arg(customer)
                                               : QStringLiteral("客户%1").arg(customer);
        text += QStringLiteral("SO%1,%2,%3,%4,, %5 \n")
                    .arg(i)
                    .arg(name, states.at(i % states.size()),
                         QString(40, QChar(u'注')) + QString::number(i % 2), states.at(i % 2));
    }
    return text;
}

void tst_CellTexts::rowsReadAsWithoutSharing_data()
{
    QTest::addColumn<bool>("fixedWidth");
    QTest::addColumn<bool>("trim");
    QTest::newRow("delimited") << false << false;
    QTest::newRow("delimited, trimmed") << false << true;
    QTest::newRow("fixed width") << true << false;
}

// Rows whose columns share their texts read exactly as rows that do not, while the customer
// column, of thousands of texts, holds each of them once.
void tst_CellTexts::rowsReadAsWithoutSharing()
{
    QFETCH(bool, fixedWidth);
    QFETCH(bool, trim);
    CellSplitter splitter;
    splitter.fixedWidth = fixedWidth;
    splitter.width = 6;
    splitter.trim = trim;
    const QString text = orderLines(40000);
    TextLines plainLines(text);
    TextLines sharingLines(text);
    CellTexts texts;
    QHash<QString, const QChar*> customerBuffers;
    int customersShared = 0;
    while (!plainLines.atEnd()) {
        QVariantList plain;
        QVariantList shared;
        plainLines.skipLine(splitter.splitLine(plainLines.remaining(), plain));
        sharingLines.skipLine(splitter.splitLine(sharingLines.remaining(), shared, &texts));
        QCOMPARE(shared, plain);
        if (fixedWidth)
            continue;
        const QString customer = shared.at(1).toString();
        const QChar* buffer = customerBuffers.value(customer, customer.constData());
        customerBuffers.insert(customer, buffer);
        customersShared += buffer == customer.constData() ? 1 : 0;
    }
    QVERIFY(sharingLines.atEnd());
    if (!fixedWidth) {
        QVERIFY(texts.sharing(1));
        QCOMPARE(customersShared, 40000);
    }
}

QTEST_GUILESS_MAIN(tst_CellTexts)
#include "tst_celltexts.moc"
