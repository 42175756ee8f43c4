#include "core/display/CurrentReading.h"

#include "core/display/SegmentDecoder.h"

#include <array>

namespace {

constexpr std::array<std::pair<int, const char *>, 5> kBands{{
    {10, "X 0.1"},
    {100, "X 1"},
    {1000, "X 10"},
    {10000, "X 100"},
    {100000, "X 1000"},
}};

} // namespace

RangeBand RangeBandOf(int magnitude)
{
    double factor = 100;
    for (const auto &[upper, multiplier] : kBands) {
        if (magnitude <= upper || upper == kBands.back().first)
            return {QString::fromLatin1(multiplier), upper, factor};
        factor /= 10;
    }
    return {}; // not reached: the last band takes everything above
}

std::optional<QString> ReadingTextFor(const QStringList &digitTexts, char pointPosition,
                                      const QString &decimalSeparator)
{
    if (pointPosition < '1' || pointPosition > '5' || digitTexts.size() != 5)
        return std::nullopt;
    const int digitsBeforePoint = pointPosition - '0'; // "5": no point
    QString text;
    for (int i = 0; i < 5; ++i) {
        if (i == digitsBeforePoint)
            text += decimalSeparator;
        text += digitTexts[i];
    }
    return text;
}

int NeedleValueOf(const QString &readingText, const QString &decimalSeparator, double factor)
{
    QString plain = readingText;
    if (!decimalSeparator.isEmpty())
        plain.replace(decimalSeparator, QStringLiteral("."));
    const double product = plain.toDouble() * factor;
    // 15 significant digits turn 12.999999999999998 into 13.
    return ReadingWholePart(QString::number(product, 'g', 15), QStringLiteral("."));
}
