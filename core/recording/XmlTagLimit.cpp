#include "core/recording/XmlTagLimit.h"

#include <algorithm>
#include <cstring>

XmlTagLimit::XmlTagLimit(QIODevice &sourceDevice, int maxAttributes) : source(sourceDevice), limit(maxAttributes)
{
    open(QIODevice::ReadOnly);
}

QString XmlTagLimit::errorText() const
{
    return QStringLiteral("an element with more than %1 attributes").arg(limit);
}

qint64 XmlTagLimit::readData(char *data, qint64 maxSize)
{
    if (tooMany)
        return -1;
    const qint64 n = source.read(data, maxSize);
    if (n <= 0)
        return n;
    scan(data, n);
    return tooMany ? -1 : n;
}

// The width and order of the encoding's units, from the first bytes.
bool XmlTagLimit::detectUnits(const char *data, qint64 size)
{
    if (size < 4)
        return false;
    const auto b = [data](int i) { return quint8(data[i]); };
    const bool utf32le = (b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) ||
                         (b(0) == '<' && b(1) == 0 && b(2) == 0 && b(3) == 0);
    const bool utf32be = (b(0) == 0 && b(1) == 0 && b(2) == 0xFE && b(3) == 0xFF) ||
                         (b(0) == 0 && b(1) == 0 && b(2) == 0 && b(3) == '<');
    const bool utf16le = (b(0) == 0xFF && b(1) == 0xFE) || (b(0) == '<' && b(1) == 0);
    const bool utf16be = (b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0 && b(1) == '<');
    unitBytes = utf32le || utf32be ? 4 : utf16le || utf16be ? 2 : 1;
    bigEndian = utf32be || utf16be;
    return true;
}

void XmlTagLimit::scan(const char *data, qint64 size)
{
    // Bytes carried over from the last read come first.
    QByteArray joined;
    if (partialSize > 0 || unitBytes == 0) {
        joined = QByteArray(partial.data(), partialSize) + QByteArray(data, size);
        data = joined.constData();
        size = joined.size();
        partialSize = 0;
    }
    if (unitBytes == 0 && !detectUnits(data, size)) {
        std::memcpy(partial.data(), data, size_t(size)); // fewer than 4 bytes so far
        partialSize = int(size);
        return;
    }
    qint64 i = 0;
    for (; i + unitBytes <= size && !tooMany; i += unitBytes) {
        char32_t unit = 0;
        for (int k = 0; k < unitBytes; ++k) {
            const int shift = 8 * (bigEndian ? unitBytes - 1 - k : k);
            unit |= char32_t(quint8(data[i + k])) << shift;
        }
        scanUnit(unit);
    }
    if (tooMany)
        return;
    partialSize = int(size - i); // less than a unit
    std::memcpy(partial.data(), data + i, size_t(partialSize));
}

bool XmlTagLimit::recentlyEndsWith(const char *ascii) const
{
    const size_t length = std::strlen(ascii);
    for (size_t k = 0; k < length; ++k) {
        if (recent[recent.size() - length + k] != char32_t(quint8(ascii[k])))
            return false;
    }
    return true;
}

void XmlTagLimit::scanUnit(char32_t unit)
{
    std::rotate(recent.begin(), recent.begin() + 1, recent.end());
    recent.back() = unit;
    switch (state) {
    case State::Text:
        if (unit == '<')
            state = State::Open;
        break;
    case State::Open:
        if (unit == '!') {
            state = State::Bang;
            bangLength = 0;
        } else if (unit == '?') {
            state = State::Instruction;
        } else {
            state = unit == '>' ? State::Text : State::Tag; // the name's first character, or "/"
            attributes = 0;
        }
        break;
    case State::Bang: // "<!--", "<![CDATA[" or a declaration
        ++bangLength;
        if (bangLength == 2 && recentlyEndsWith("<!--"))
            state = State::Comment;
        else if (bangLength == 7 && recentlyEndsWith("<![CDATA["))
            state = State::CData;
        else if (unit == '>')
            state = State::Text;
        else if (bangLength >= 7)
            state = State::Declaration;
        break;
    case State::Tag:
        if (unit == '"' || unit == '\'') {
            quote = unit;
            state = State::Quoted;
        } else if (unit == '=') {
            if (++attributes > limit)
                tooMany = true;
        } else if (unit == '>') {
            state = State::Text;
        }
        break;
    case State::Quoted:
        if (unit == quote)
            state = State::Tag;
        break;
    case State::Comment:
        if (recentlyEndsWith("-->"))
            state = State::Text;
        break;
    case State::CData:
        if (recentlyEndsWith("]]>"))
            state = State::Text;
        break;
    case State::Declaration:
        if (unit == '>')
            state = State::Text;
        break;
    case State::Instruction:
        if (recentlyEndsWith("?>"))
            state = State::Text;
        break;
    }
}
