// The texts a column of a table being read has already met: equal texts come back as one shared
// string, which detaches when a cell holding it is changed, and a column whose texts turn out
// distinct stops sharing without changing a single text.
#include "csv/celltexts.h"

#include <QtTest>

class tst_CellTexts : public QObject
{
    Q_OBJECT

private slots:
    void givesBackEachText_data();
    void givesBackEachText();
    void sharedCellDetachesOnChange();
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

QTEST_GUILESS_MAIN(tst_CellTexts)
#include "tst_celltexts.moc"
