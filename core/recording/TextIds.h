#pragma once

#include "core/recording/ReadingTable.h"
#include "core/recording/TextKey.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Text ids by the bytes a text was read from, so that each distinct text is
// decoded and interned once. Open addressing over one array of slots, which
// hold short keys (times, readings, units) themselves: a lookup of such a key
// touches one place in memory, and a longer key one more, in a buffer of keys.
class TextIdsByBytes
{
public:
    std::optional<quint32> find(QByteArrayView key, quint32 hash) const
    {
        if (buckets.empty())
            return std::nullopt;
        for (size_t i = hash & mask();; i = (i + 1) & mask()) {
            const Slot &slot = buckets[i];
            if (slot.length == Slot::Empty)
                return std::nullopt;
            if (slot.hash == hash && keyOf(slot) == std::string_view(key.data(), size_t(key.size())))
                return slot.id;
        }
    }
    void insert(QByteArrayView key, quint32 hash, quint32 id)
    {
        if ((count + 1) * 2 > buckets.size())
            grow();
        Slot slot{hash, id, quint32(key.size()), 0, {}};
        if (key.size() <= qsizetype(sizeof slot.shortKey)) {
            std::copy(key.begin(), key.end(), slot.shortKey);
        } else {
            slot.offset = quint32(keys.size());
            keys.append(key.data(), size_t(key.size()));
        }
        place(slot);
        ++count;
    }
    static quint32 hashOf(QByteArrayView key)
    {
        return quint32(qHash(TextKey<QByteArrayView>{key}, QHashSeed::globalSeed()));
    }

private:
    struct Slot
    {
        static constexpr quint32 Empty = ~0U;
        quint32 hash = 0;
        quint32 id = 0;
        quint32 length = Empty;
        quint32 offset = 0; // in `keys`, for a key too long to be held here
        char shortKey[16];
    };
    static_assert(sizeof(Slot) == 32);
    size_t mask() const { return buckets.size() - 1; }
    std::string_view keyOf(const Slot &slot) const
    {
        if (slot.length <= sizeof slot.shortKey)
            return std::string_view(slot.shortKey, slot.length);
        return std::string_view(keys).substr(slot.offset, slot.length);
    }
    void place(const Slot &slot)
    {
        size_t i = slot.hash & mask();
        while (buckets[i].length != Slot::Empty)
            i = (i + 1) & mask();
        buckets[i] = slot;
    }
    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(1024, buckets.size() * 2));
        old.swap(buckets);
        for (const Slot &slot : old) {
            if (slot.length != Slot::Empty)
                place(slot);
        }
    }

    std::vector<Slot> buckets;
    std::string keys;
    size_t count = 0;
};

// The texts of the rows being read, as ids of the table they go into. A text
// is decoded and interned the first time its bytes are seen; a column that
// repeats the text of the row before costs a comparison.
class StagedTexts
{
public:
    enum class Encoding { Utf8, Utf16 };
    StagedTexts(ReadingTable &into, Encoding encoding) : rows(into), utf16(encoding == Encoding::Utf16) {}

    quint32 idOf(int column, QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return 0;
        auto &[lastBytes, lastId] = lastText[size_t(column)];
        const std::string_view text(bytes.data(), size_t(bytes.size()));
        if (text == lastBytes)
            return lastId;
        const quint32 hash = TextIdsByBytes::hashOf(bytes);
        std::optional<quint32> id = idsByBytes.find(bytes, hash);
        if (!id) {
            id = rows.addText(decode(bytes));
            idsByBytes.insert(bytes, hash, *id);
        }
        lastBytes = text;
        lastId = *id;
        return lastId;
    }

private:
    QString decode(QByteArrayView bytes) const
    {
        if (!utf16)
            return QString::fromUtf8(bytes);
        return QString(reinterpret_cast<const QChar *>(bytes.data()), bytes.size() / qsizetype(sizeof(QChar)));
    }

    ReadingTable &rows;
    bool utf16;
    TextIdsByBytes idsByBytes;
    std::array<std::pair<std::string, quint32>, 4> lastText; // per column: units and times repeat row after row
};
