#pragma once

// What both layouts of the table files share: numbers in and out, and how much
// a slice of a job reads.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <charconv>
#include <optional>
#include <string>

namespace TableFields {

// A slice of an open reads about this much of the file.
constexpr qint64 BytesPerSlice = 1 << 20;

template <typename Bytes> void appendNumber(Bytes &out, qint64 number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end - digits);
}

inline void append(std::string &out, const QByteArray &bytes)
{
    out.append(bytes.constData(), size_t(bytes.size()));
}

// Whole numbers as the table's No field takes them: an optional sign and
// decimal digits, within 32 bits.
inline std::optional<qint32> wholeNumber(QByteArrayView text)
{
    const bool plus = text.startsWith('+');
    if (plus)
        text = text.sliced(1);
    if (text.isEmpty() || (plus && text.startsWith('-')))
        return std::nullopt;
    qint32 number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

} // namespace TableFields
