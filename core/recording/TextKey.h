#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// A text as a hash key with a cheap hash (FNV-1a). Qt's own string hash is
// seeded per process and costs several hundred nanoseconds a key here, more
// than the lookup itself; the texts of a table (readings, times, units) are
// short and come from the meter or from the user's own files.
template <typename Text> struct TextKey
{
    Text text;
    bool operator==(const TextKey &other) const { return text == other.text; }
};

template <typename Text> size_t qHash(const TextKey<Text> &key, size_t seed) noexcept
{
    const auto *byte = reinterpret_cast<const unsigned char *>(key.text.constData());
    const auto *end = byte + key.text.size() * qsizetype(sizeof(*key.text.constData()));
    // The seed (random per process) starts the hash, so that texts chosen to
    // collide on one run do not collide on the next.
    quint64 hash = 14695981039346656037ULL ^ seed;
    for (; byte != end; ++byte)
        hash = (hash ^ *byte) * 1099511628211ULL;
    return size_t(hash ^ (hash >> 32));
}
