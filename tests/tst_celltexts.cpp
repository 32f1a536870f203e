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
    const QStringList few{"北京", "上海", "", "a,b", "北京 "};
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
    ColumnTexts column;
    QHash<QString, const QChar*> firstBuffer;
    for (int i = 0; i < texts.size(); ++i) {
        const QString& text = texts.at(i);
        const bool sharing = column.sharing();
        const QString given = i % 2 ? column.text(QStringView(text)) : column.text(QString(text));
        QCOMPARE(given, text);
        if (!sharing || text.isEmpty())
            continue;
        const QChar* buffer = firstBuffer.value(text, given.constData());
        firstBuffer.insert(text, buffer);
        QCOMPARE(given.constData(), buffer);
    }
    QTEST(column.sharing(), "sharingAtEnd");
}

// A cell changed in place (a host editing the table) detaches from the text it shared: the other
// cells keep their value.
void tst_CellTexts::sharedCellDetachesOnChange()
{
    CellTexts texts;
    QVariantList row{texts.column(0).text(QStringView(u"北京")),
                     texts.column(0).text(QStringLiteral("北京"))};
    QCOMPARE(row.at(0), row.at(1));
    QCOMPARE(row.at(0).toString().constData(), row.at(1).toString().constData());
    static_cast<QString*>(row[1].data())->append(QStringLiteral("市"));
    QCOMPARE(row.at(0).toString(), QStringLiteral("北京"));
    QCOMPARE(row.at(1).toString(), QStringLiteral("北京市"));
    QCOMPARE(texts.column(0).text(QStringView(u"北京")), QStringLiteral("北京"));
}

QTEST_GUILESS_MAIN(tst_CellTexts)
#include "tst_celltexts.moc"
