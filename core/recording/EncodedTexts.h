#pragma once

#include "core/recording/ReadingTable.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

// The distinct texts of a table, each encoded once by a writer's own rule
// and kept in one buffer: a million rows then read their texts from a few
// megabytes instead of encoding each field again or holding a heap block each.
// The table's text ids stay valid as long as nothing but appends change it
// (its resets() count stays).
class EncodedTexts
{
public:
    using Encoder = QByteArray (*)(const QString &);

    EncodedTexts(const ReadingTable &texts, Encoder textEncoder) : table(texts), encode(textEncoder) {}

    std::string_view bytes(quint32 id)
    {
        if (size_t(id) >= spans.size())
            spans.resize(std::max(size_t(id) + 1, size_t(table.textIdCount())));
        Span &span = spans[id];
        if (span.length == Span::Unknown) {
            const QByteArray encoded = encode(table.textById(id));
            span = {quint32(buffer.size()), quint32(encoded.size())};
            buffer.append(encoded.constData(), size_t(encoded.size()));
        }
        return std::string_view(buffer).substr(span.offset, span.length);
    }

    Encoder encoder() const { return encode; }

private:
    struct Span
    {
        static constexpr quint32 Unknown = ~0U;
        quint32 offset = 0;
        quint32 length = Unknown;
    };

    const ReadingTable &table;
    Encoder encode;
    std::vector<Span> spans; // per text id, filled on first use
    std::string buffer;
};
