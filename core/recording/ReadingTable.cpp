#include "ReadingTable.h"

ReadingTable::ReadingTable()
{
    texts.emplace_back();     // id 0: null
    textIds.reserve(1 << 20); // room for a long run's readings and times without rehashing
}

quint32 ReadingTable::intern(const std::optional<QString> &text)
{
    if (!text)
        return NullText;
    const QString cut = text->left(TextFieldSize);
    const auto found = textIds.constFind(cut);
    if (found != textIds.constEnd())
        return *found;
    const quint32 id = quint32(texts.size());
    texts.push_back(cut);
    textIds.insert(cut, id);
    return id;
}

std::optional<QString> ReadingTable::lookUp(quint32 id) const
{
    if (id == NullText)
        return std::nullopt;
    return texts[id];
}

void ReadingTable::append(const Row &row)
{
    // The smallest 32-bit number marks a null number; a row that really holds
    // it is told apart by the null flags.
    const bool nullNo = !row.No;
    if (nullNo || *row.No == NullNo) {
        noIsNull.resize(rows.size() + 1, false);
        noIsNull.back() = nullNo;
    }
    rows.push_back({row.No.value_or(NullNo), intern(row.Time), intern(row.Value), intern(row.Unit)});
}

std::optional<QString> ReadingTable::text(qsizetype index, int column) const
{
    const StoredRow &r = rows[size_t(index)];
    switch (column) {
    case 0: {
        const bool isNull = r.no == NullNo && size_t(index) < noIsNull.size() && noIsNull[size_t(index)];
        return isNull ? std::nullopt : std::optional<QString>(QString::number(r.no));
    }
    case 1: return lookUp(r.time);
    case 2: return lookUp(r.value);
    default: return lookUp(r.unit);
    }
}

ReadingTable::Row ReadingTable::row(qsizetype index) const
{
    const std::optional<QString> no = text(index, 0);
    return {no ? std::optional<qint32>(no->toInt()) : std::nullopt, text(index, 1), text(index, 2), text(index, 3)};
}

void ReadingTable::removeRow(qsizetype index)
{
    ++resetCount;
    rows.erase(rows.begin() + index);
    if (size_t(index) < noIsNull.size())
        noIsNull.erase(noIsNull.begin() + index);
}

void ReadingTable::clear()
{
    ++resetCount;
    rows.clear();
    noIsNull.clear();
    texts.resize(1);
    textIds.clear();
    textIds.reserve(1 << 20);
}
