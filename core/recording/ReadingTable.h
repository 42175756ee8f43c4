#pragma once

#include "core/common/BlockList.h"
#include "core/recording/TextKey.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>
#include <vector>

// The reading table cds1: rows of No, Time, Value and Unit, in the order they
// were appended. Any field may be null (rows loaded from files); texts are cut
// to 20 characters.
//
// Each row also carries its change state, which the XML table file keeps: a
// row appended since the table was last emptied is "inserted", a row loaded
// unchanged from such a file is "unchanged".
//
// Stored compactly for tables of ten million rows: a row is 16 bytes (the
// number and three indexes into a pool of distinct texts, which readings,
// times and units repeat endlessly), in blocks so that appending never moves
// the rows already stored (see BlockList).
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
        bool inserted = true;
    };

    // A row as text ids, for writers that turn each distinct text into bytes
    // once; id 0 is a null text.
    struct RowIds
    {
        std::optional<qint32> no;
        quint32 time;
        quint32 value;
        quint32 unit;
        bool inserted;
    };

    // The field names in field order: No, Time, Value, Unit (also the grid's
    // column titles).
    static const QStringList &FieldNames();

    // `expectedTexts` sizes the text pool up front (a recording table expects
    // a long run's worth; a table being loaded, few).
    explicit ReadingTable(qsizetype expectedTexts = 1 << 20);

    qsizetype rowCount() const { return qsizetype(rows.size()); }
    bool isEmpty() const { return rows.empty(); }
    Row row(qsizetype index) const;
    // Field by column: 0 No, 1 Time, 2 Value, 3 Unit; nullopt for a null field.
    std::optional<QString> text(qsizetype index, int column) const;

    RowIds rowIds(qsizetype index) const;
    const QString &textById(quint32 id) const { return texts[id]; }
    qsizetype textIdCount() const { return qsizetype(texts.size()); }

    void append(const Row &row);
    // Appending by text ids, for readers that tell texts apart themselves:
    // addText() takes a text the reader has not given before, without looking
    // for it first (should it be there after all, the two ids stand for equal
    // texts, which nothing relies on being one; so may a text recorded before
    // the texts a reader added are all indexed).
    quint32 addText(const QString &text);
    void appendIds(const RowIds &ids);
    void removeRow(qsizetype index);
    void clear();
    // Puts the rows of `staged` in front of row `position`; with
    // `dropBefore`, the rows before `position` go (a loaded table replacing
    // the former rows while keeping any recorded since the load began).
    void splice(qsizetype position, ReadingTable &&staged, bool dropBefore);
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
    void appendAll(const ReadingTable &staged);
    std::optional<QString> lookUp(quint32 id) const;

    // Texts given by addText() are indexed later, a step at a time by each
    // intern(), so that a reader adds texts at the cost of storing them and a
    // recording that follows a load is not held up by indexing them all.
    static constexpr size_t IndexStep = 1024;
    void indexPendingTexts(size_t count);

    BlockList<StoredRow> rows;
    std::vector<QString> texts; // texts[0] stands for null
    QHash<TextKey<QString>, quint32> textIds;
    size_t pendingFrom = 1; // texts[pendingFrom, pendingTo) are not in textIds yet
    size_t pendingTo = 1;
    // Per-row flags, only grown as far as the last row that needs one.
    enum Flag : quint8 { NoIsNull = 1, Unchanged = 2 };
    quint8 flags(size_t index) const { return index < rowFlags.size() ? rowFlags[index] : 0; }
    void appendStored(const StoredRow &stored, quint8 flags);

    std::vector<quint8> rowFlags;
    qsizetype expectedTextCount;
    quint64 resetCount = 0;
};
