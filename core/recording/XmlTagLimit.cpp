#include "core/recording/XmlTagLimit.h"

#include <algorithm>
#include <cstring>

XmlTagLimit::XmlTagLimit(QIODevice &sourceDevice, int maxAttributes, qint64 maxTokenUnits)
    : source(sourceDevice), limit(maxAttributes), maxToken(maxTokenUnits)
{
    open(QIODevice::ReadOnly);
}

void XmlTagLimit::refuse(const QString &what)
{
    if (refusal.isEmpty())
        refusal = what;
}

qint64 XmlTagLimit::readData(char *data, qint64 maxSize)
{
    while (ready.isEmpty() && !exceeded()) {
        constexpr qint64 Chunk = 16384;
        input.resize(Chunk);
        const qint64 n = source.read(input.data(), Chunk);
        if (n < 0)
            return n;
        if (n == 0) { // the end: bytes of a cut unit go on as they are, for the reader to judge
            ready = held;
            held.clear();
            break;
        }
        input.resize(n);
        input.prepend(held);
        held.clear();
        ready.resize(input.size());
        ready.resize(pass(input.constData(), input.size(), ready.data()));
    }
    if (exceeded())
        return -1;
    const qint64 given = std::min<qint64>(maxSize, ready.size());
    std::memcpy(data, ready.constData(), size_t(given));
    ready.remove(0, given);
    return given;
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

// Scans whole units and copies those that go on into `out`; the bytes of a
// unit cut by the end are held for the next read. Returns the bytes copied.
qint64 XmlTagLimit::pass(const char *data, qint64 size, char *out)
{
    if (unitBytes == 0 && !detectUnits(data, size)) {
        held = QByteArray(data, size); // fewer than 4 bytes so far
        return 0;
    }
    qint64 i = 0;
    qint64 written = 0;
    for (; i + unitBytes <= size && !exceeded(); i += unitBytes) {
        char32_t unit = 0;
        for (int k = 0; k < unitBytes; ++k) {
            const int shift = 8 * (bigEndian ? unitBytes - 1 - k : k);
            unit |= char32_t(quint8(data[i + k])) << shift;
        }
        if (scanUnit(unit)) {
            std::memmove(out + written, data + i, size_t(unitBytes));
            written += unitBytes;
        }
    }
    if (!exceeded())
        held = QByteArray(data + i, size - i); // less than a unit
    return written;
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

// The rest of a character whose start went on must go on too: a UTF-8
// continuation byte, or the low half of a UTF-16 surrogate pair.
bool XmlTagLimit::continuesCharacter(char32_t unit) const
{
    if (!keptLast)
        return false;
    return unitBytes == 1 ? (unit & 0xC0) == 0x80 : unitBytes == 2 && unit >= 0xDC00 && unit <= 0xDFFF;
}

void XmlTagLimit::enter(State next)
{
    state = next;
    tokenUnits = 0;
}

bool XmlTagLimit::scanUnit(char32_t unit)
{
    std::rotate(recent.begin(), recent.begin() + 1, recent.end());
    recent.back() = unit;
    bool keep = true;
    if (++tokenUnits > maxToken) {
        if (state == State::Quoted && elementName == "PARAMS")
            keep = unit == quote || continuesCharacter(unit);
        else
            refuse(QStringLiteral("a piece of the document longer than %1 characters").arg(maxToken));
    }
    switch (state) {
    case State::Text:
        if (unit == '<')
            enter(State::Open);
        break;
    case State::Open:
        if (unit == '!') {
            enter(State::Bang);
            bangLength = 0;
        } else if (unit == '?') {
            enter(State::Instruction);
        } else {
            enter(unit == '>' ? State::Text : State::Tag); // the name's first character, or "/"
            attributes = 0;
            elementName = QByteArray(1, char(unit < 128 ? unit : '?'));
            nameEnded = false;
        }
        break;
    case State::Bang: // "<!--", "<![CDATA[" or a declaration
        ++bangLength;
        if (bangLength == 2 && recentlyEndsWith("<!--"))
            enter(State::Comment);
        else if (bangLength == 7 && recentlyEndsWith("<![CDATA["))
            enter(State::CData);
        else if (unit == '>')
            enter(State::Text);
        else if (bangLength >= 7)
            state = State::Declaration;
        break;
    case State::Tag:
        if (unit == '"' || unit == '\'') {
            quote = unit;
            enter(State::Quoted);
        } else if (unit == '=') {
            if (++attributes > limit)
                refuse(QStringLiteral("an element with more than %1 attributes").arg(limit));
        } else if (unit == '>') {
            enter(State::Text);
        } else if (!nameEnded && unit > 32 && unit != '/') {
            if (elementName.size() < 12)
                elementName += char(unit < 128 ? unit : '?');
        } else {
            nameEnded = true;
        }
        break;
    case State::Quoted:
        if (unit == quote)
            enter(State::Tag);
        break;
    case State::Comment:
        if (recentlyEndsWith("-->"))
            enter(State::Text);
        break;
    case State::CData:
        if (recentlyEndsWith("]]>"))
            enter(State::Text);
        break;
    case State::Declaration:
        if (unit == '>')
            enter(State::Text);
        break;
    case State::Instruction:
        if (recentlyEndsWith("?>"))
            enter(State::Text);
        break;
    }
    keptLast = keep;
    return keep;
}
