#pragma once

#include <QHash>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

// The reading table cds1: rows of No, Time, Value and Unit, in the order they
// were appended. Any field may be null (rows loaded from files); texts are cut
// to 20 characters.
//
// Stored compactly for tables of ten million rows: a row is 16 bytes (the
// number and three indexes into a pool of distinct texts, which readings,
// times and units repeat endlessly), in a deque so that appending never moves
// the rows already stored.
class ReadingTable
{
public:
    static constexpr int TextFieldSize = 20;

    struct Row
    {
        std::optional<qint32> No;
        std::optional<QString> Time;
        std::optional<QString> Value;
        std::optional<QString> Unit;
    };

    ReadingTable();

    qsizetype rowCount() const { return qsizetype(rows.size()); }
    bool isEmpty() const { return rows.empty(); }
    Row row(qsizetype index) const;
    // Field by column: 0 No, 1 Time, 2 Value, 3 Unit; nullopt for a null field.
    std::optional<QString> text(qsizetype index, int column) const;

    void append(const Row &row);
    void removeRow(qsizetype index);
    void clear();
    // Counts every change other than an append (views that follow appends
    // start over when it moves).
    quint64 resets() const { return resetCount; }

private:
    static constexpr quint32 NullText = 0;
    struct StoredRow
    {
        qint32 no;
        quint32 time; // text ids; NullText for null
        quint32 value;
        quint32 unit;
    };
    static_assert(sizeof(StoredRow) == 16);
    static constexpr qint32 NullNo = std::numeric_limits<qint32>::min();

    quint32 intern(const std::optional<QString> &text);
    std::optional<QString> lookUp(quint32 id) const;

    std::deque<StoredRow> rows;
    std::vector<QString> texts; // texts[0] stands for null
    QHash<QString, quint32> textIds;
    std::vector<bool> noIsNull; // only grown when a null or NullNo number arrives
    quint64 resetCount = 0;
};
