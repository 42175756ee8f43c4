#include "core/search/Search.h"

#include <QTest>

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void outcomes_data();
    void outcomes();
    void queryWithoutDatabase();
};

void TestSearch::outcomes_data()
{
    QTest::addColumn<int>("condition"); // -1: none selected
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << -1 << int(Search::Outcome::Kind::NoRecords)
                          << QStringLiteral(" No records for you searching ! ");
    for (int i = 0; i < Search::ConditionCount; ++i) {
        const QString name = Search::Conditions()[i];
        QTest::newRow(qPrintable(name))
            << i << int(Search::Outcome::Kind::Error)
            << QStringLiteral("Search by %1: there is no statement for this condition.").arg(name);
    }
}

// Every condition's statement is empty: opening and executing it both fail,
// and the failure is what the user sees, never the empty result's box.
void TestSearch::outcomes()
{
    QFETCH(int, condition);
    QFETCH(int, kind);
    QFETCH(QString, text);
    SearchQuery query;
    const Search::Outcome outcome = Search::Run(query, condition < 0 ? std::nullopt : std::optional<int>(condition));
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.text, text);
    QVERIFY(query.isEmpty());
}

void TestSearch::queryWithoutDatabase()
{
    QCOMPARE(Search::Conditions(), (QStringList{"Voltage", "Current", "Active_Power", "Apparent_Power", "Power_Factor",
                                                "Active_Energy", "Tempe"}));
    SearchQuery query;
    query.setStatement(QStringLiteral("   "));
    QVERIFY(!query.open());
    QCOMPARE(query.errorString(), QStringLiteral("there is no statement for this condition"));
    query.setStatement(QStringLiteral("select * from readings"));
    QVERIFY(!query.open() && !query.execute());
    QCOMPARE(query.errorString(), QStringLiteral("there is no database to search"));
    QVERIFY(query.isEmpty());
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
