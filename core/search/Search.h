#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The search window's query. The program keeps no database, so there is
// nothing for a statement to run against: every condition's statement is
// empty, and a query with an empty statement neither opens nor executes. It
// holds rows only when a statement has given it some, which never happens.
class SearchQuery
{
public:
    void close() { rows = 0; }
    void setStatement(const QString &text) { statement = text; }
    // Runs the statement as a query that returns rows; false, with
    // errorString(), when it cannot.
    bool open() { return run(); }
    // Runs the statement as a command.
    bool execute() { return run(); }
    bool isEmpty() const { return rows == 0; }
    const QString &errorString() const { return error; }

private:
    bool run();

    QString statement;
    QString error;
    qsizetype rows = 0;
};

namespace Search {

// The seven conditions, left to right as the window offers them.
const QStringList &Conditions();
constexpr int ConditionCount = 7;

// What a search ends in: an error box, the box " No records for you
// searching ! ", or rows in the grid.
struct Outcome
{
    enum class Kind { Error, NoRecords, Rows };
    Kind kind = Kind::NoRecords;
    QString text;
};

// The search of the first selected condition in the order of Conditions():
// the query is closed, given that condition's statement (all are empty) and
// opened, or executed when it will not open. No condition selected runs
// nothing, and the closed query holds no rows.
Outcome Run(SearchQuery &query, std::optional<int> selectedCondition);

} // namespace Search
