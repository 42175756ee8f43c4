#include "core/display/SegmentDecoder.h"

#include <array>

namespace {

constexpr int kMainDigitsStart = 0;   // frame text offset of main digit 1
constexpr int kSmallDigitsStart = 10; // frame text offset of small digit 1
constexpr int kFlagsStart = 20;       // frame text offset of the four flag digits

// The ten digits and the overload letter, by their two-character segment code.
struct CodeEntry
{
    char high;
    char low;
    char character;
};

constexpr std::array<CodeEntry, 11> kPlainCodes{{
    {'7', 'B', '0'},
    {'6', '0', '1'},
    {'5', 'E', '2'},
    {'7', 'C', '3'},
    {'6', '5', '4'},
    {'3', 'D', '5'},
    {'3', 'F', '6'},
    {'7', '0', '7'},
    {'7', 'F', '8'},
    {'7', 'D', '9'},
    {'0', 'B', 'L'},
}};

// The code with the decimal point is the plain code plus 0x80: only the high
// character differs ('0'..'7' become '8'..'F').
constexpr char withPointBit(char high)
{
    switch (high) {
    case '0': return '8';
    case '3': return 'B';
    case '5': return 'D';
    case '6': return 'E';
    case '7': return 'F';
    default: return '\0';
    }
}

constexpr int hexDigitValue(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

struct Lookup
{
    char character = 'G';
    bool pointLit = false;
};

Lookup lookUp(const QByteArray &frameText, int offset, bool pointAllowed)
{
    if (offset + 1 >= frameText.size())
        return {};
    const char high = frameText[offset];
    const char low = frameText[offset + 1];
    for (const CodeEntry &entry : kPlainCodes) {
        if (entry.low != low)
            continue;
        if (entry.high == high)
            return {entry.character, false};
        if (pointAllowed && withPointBit(entry.high) == high)
            return {entry.character, true};
    }
    return {};
}

// Appends the five digits of one display starting at frame text offset `start`
// and returns which of digits 2..5 (1-based) carried the point, 0 for none.
// Later (more leftward) digits overwrite earlier ones, so the leftmost wins.
int appendDisplay(QByteArray &out, const QByteArray &frameText, int start)
{
    out.append(lookUp(frameText, start, false).character);
    int pointedDigit = 0;
    for (int digit = 2; digit <= 5; ++digit) {
        const Lookup found = lookUp(frameText, start + 2 * (digit - 1), true);
        out.append(found.character);
        if (found.pointLit)
            pointedDigit = digit;
    }
    return pointedDigit;
}

} // namespace

QByteArray DecodeSegmentFrame(const QByteArray &frameText)
{
    QByteArray display;
    display.reserve(18);

    // Main display: the point position counts from the left, "1" after digit 5.
    const int mainPointDigit = appendDisplay(display, frameText, kMainDigitsStart);
    display.append(char('0' + (mainPointDigit == 0 ? 5 : 6 - mainPointDigit)));

    // Small display: the point position counts from the right, "1" after digit 2.
    const int smallPointDigit = appendDisplay(display, frameText, kSmallDigitsStart);
    display.append(char('0' + (smallPointDigit == 0 ? 5 : smallPointDigit - 1)));

    display.append(frameText.mid(kFlagsStart, 4));
    display.append("DA");
    return display;
}

int HexNibbleValue(const QByteArray &digit)
{
    if (digit.size() == 1 && digit[0] >= 'A' && digit[0] <= 'F')
        return digit[0] - 'A' + 10;
    bool ok = false;
    const int value = digit.toInt(&ok, 10);
    return ok ? value : 0;
}

int ReadingWholePart(const QString &readingText, const QString &decimalSeparator)
{
    const qsizetype separatorAt = decimalSeparator.isEmpty() ? -1 : readingText.indexOf(decimalSeparator);
    const QString whole = separatorAt < 0 ? readingText : readingText.left(separatorAt);
    bool ok = false;
    const int value = whole.toInt(&ok, 10);
    return ok ? value : 0;
}

quint8 SegmentCodeOf(char character, bool point)
{
    for (const CodeEntry &entry : kPlainCodes) {
        if (entry.character == character) {
            const quint8 code = quint8(hexDigitValue(entry.high) << 4 | hexDigitValue(entry.low));
            return point ? quint8(code | 0x80) : code;
        }
    }
    return 0x00;
}
