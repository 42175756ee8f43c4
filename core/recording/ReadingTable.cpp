#include "core/recording/ReadingTable.h"

const QStringList &ReadingTable::FieldNames()
{
    static const QStringList names{QStringLiteral("No"), QStringLiteral("Time"), QStringLiteral("Value"),
                                   QStringLiteral("Unit")};
    return names;
}

namespace {

// The first 20 characters of a text; a character outside the basic plane (two
// UTF-16 units) is kept whole or not at all.
QString cutToField(const QString &text)
{
    qsizetype size = ReadingTable::TextFieldSize;
    if (text.size() > size && text[size - 1].isHighSurrogate())
        --size;
    return text.left(size);
}

} // namespace

ReadingTable::ReadingTable(qsizetype expectedTexts) : expectedTextCount(expectedTexts)
{
    // Room for a long run's readings and times: neither the pool nor its
    // index is moved while recording (moving a pool of a hundred thousand
    // texts held one append up for milliseconds).
    texts.reserve(size_t(expectedTextCount));
    texts.emplace_back(); // id 0: null
    textIds.reserve(expectedTextCount);
}

quint32 ReadingTable::intern(const std::optional<QString> &text)
{
    if (!text)
        return NullText;
    indexPendingTexts(IndexStep);
    const TextKey<QString> cut{cutToField(*text)};
    const auto found = textIds.constFind(cut);
    if (found != textIds.constEnd())
        return *found;
    const quint32 id = quint32(texts.size());
    texts.push_back(cut.text);
    textIds.insert(cut, id);
    return id;
}

quint32 ReadingTable::addText(const QString &text)
{
    const size_t id = texts.size();
    if (id != pendingTo) { // texts were interned since: the pending ones go first
        indexPendingTexts(pendingTo - pendingFrom);
        pendingFrom = id;
    }
    texts.push_back(cutToField(text));
    pendingTo = id + 1;
    return quint32(id);
}

void ReadingTable::indexPendingTexts(size_t count)
{
    const size_t to = std::min(pendingTo, pendingFrom + count);
    for (; pendingFrom < to; ++pendingFrom)
        textIds.emplace(TextKey<QString>{texts[pendingFrom]}, quint32(pendingFrom));
}

std::optional<QString> ReadingTable::lookUp(quint32 id) const
{
    if (id == NullText)
        return std::nullopt;
    return texts[id];
}

void ReadingTable::appendStored(const StoredRow &stored, quint8 rowFlagBits)
{
    rows.push_back(stored);
    if (rowFlagBits != 0) {
        rowFlags.resize(rows.size(), 0);
        rowFlags.back() = rowFlagBits;
    }
}

void ReadingTable::append(const Row &row)
{
    // The smallest 32-bit number marks a null number; a row that really holds
    // it is told apart by the NoIsNull flag.
    const quint8 rowFlagBits = quint8((row.No ? 0 : NoIsNull) | (row.inserted ? 0 : Unchanged));
    appendStored({row.No.value_or(NullNo), intern(row.Time), intern(row.Value), intern(row.Unit)}, rowFlagBits);
}

void ReadingTable::appendIds(const RowIds &ids)
{
    const quint8 rowFlagBits = quint8((ids.no ? 0 : NoIsNull) | (ids.inserted ? 0 : Unchanged));
    appendStored({ids.no.value_or(NullNo), ids.time, ids.value, ids.unit}, rowFlagBits);
}

ReadingTable::RowIds ReadingTable::rowIds(qsizetype index) const
{
    const StoredRow &r = rows[size_t(index)];
    const quint8 rowFlagBits = flags(size_t(index));
    const bool noIsNull = r.no == NullNo && (rowFlagBits & NoIsNull);
    return {noIsNull ? std::nullopt : std::optional<qint32>(r.no), r.time, r.value, r.unit, !(rowFlagBits & Unchanged)};
}

std::optional<QString> ReadingTable::text(qsizetype index, int column) const
{
    const RowIds ids = rowIds(index);
    switch (column) {
    case 0: return ids.no ? std::optional<QString>(QString::number(*ids.no)) : std::nullopt;
    case 1: return lookUp(ids.time);
    case 2: return lookUp(ids.value);
    default: return lookUp(ids.unit);
    }
}

ReadingTable::Row ReadingTable::row(qsizetype index) const
{
    const RowIds ids = rowIds(index);
    return {ids.no, lookUp(ids.time), lookUp(ids.value), lookUp(ids.unit), ids.inserted};
}

void ReadingTable::removeRow(qsizetype index)
{
    ++resetCount;
    rows.erase(size_t(index));
    if (size_t(index) < rowFlags.size())
        rowFlags.erase(rowFlags.begin() + index);
}

void ReadingTable::clear()
{
    ++resetCount;
    rows.clear();
    rowFlags.clear();
    texts.resize(1);
    textIds.clear();
    textIds.reserve(expectedTextCount);
    pendingFrom = pendingTo = 1;
}

void ReadingTable::appendAll(const ReadingTable &staged)
{
    std::vector<quint32> idOf(staged.texts.size(), NullText);
    for (size_t id = 1; id < staged.texts.size(); ++id)
        idOf[id] = intern(staged.texts[id]);
    for (size_t i = 0; i < staged.rows.size(); ++i) {
        const StoredRow &r = staged.rows[i];
        appendStored({r.no, idOf[r.time], idOf[r.value], idOf[r.unit]}, staged.flags(i));
    }
}

void ReadingTable::splice(qsizetype position, ReadingTable &&staged, bool dropBefore)
{
    // Rows after `position` were recorded while the staged ones were being
    // read: usually none, so copying them through Row costs nothing.
    std::vector<Row> tail;
    for (qsizetype i = position; i < rowCount(); ++i)
        tail.push_back(row(i));
    if (dropBefore) {
        clear();
    } else if (!tail.empty()) {
        ++resetCount;
        rows.resize(size_t(position));
        if (rowFlags.size() > size_t(position))
            rowFlags.resize(size_t(position));
    }
    if (rows.empty()) { // the common case: the staged rows become the table as they are
        rows = std::move(staged.rows);
        rowFlags = std::move(staged.rowFlags);
        texts = std::move(staged.texts);
        textIds = std::move(staged.textIds);
        textIds.reserve(std::max(expectedTextCount, textIds.size()));
        pendingFrom = staged.pendingFrom;
        pendingTo = staged.pendingTo;
        staged.clear();
    } else {
        appendAll(staged);
    }
    for (const Row &r : tail)
        append(r);
}
