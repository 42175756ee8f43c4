#include "core/search/Search.h"

bool SearchQuery::run()
{
    rows = 0;
    error = statement.trimmed().isEmpty() ? QStringLiteral("there is no statement for this condition")
                                          : QStringLiteral("there is no database to search");
    return false;
}

namespace Search {

namespace {

// The statement of each condition, in the order of Conditions(): none has one.
const std::array<QString, ConditionCount> Statements{};

} // namespace

const QStringList &Conditions()
{
    static const QStringList names{QStringLiteral("Voltage"),      QStringLiteral("Current"),
                                   QStringLiteral("Active_Power"), QStringLiteral("Apparent_Power"),
                                   QStringLiteral("Power_Factor"), QStringLiteral("Active_Energy"),
                                   QStringLiteral("Tempe")};
    return names;
}

Outcome Run(SearchQuery &query, std::optional<int> selectedCondition)
{
    query.close();
    if (selectedCondition && *selectedCondition >= 0 && *selectedCondition < ConditionCount) {
        const int condition = *selectedCondition;
        query.setStatement(Statements[size_t(condition)]);
        if (!query.open() && !query.execute()) {
            return {Outcome::Kind::Error,
                    QStringLiteral("Search by %1: %2.").arg(Conditions()[condition], query.errorString())};
        }
    }
    if (query.isEmpty())
        return {Outcome::Kind::NoRecords, QStringLiteral(" No records for you searching ! ")};
    return {Outcome::Kind::Rows, {}};
}

} // namespace Search
