#include "core/link/MeterFrame.h"

#include "core/display/SegmentDecoder.h"

namespace {

void appendNibble(QByteArray &frame, quint8 highNibble, quint8 lowNibble)
{
    frame.append(char(((highNibble & 0x0F) << 4) | (lowNibble & 0x0F)));
}

void appendCodes(QByteArray &frame, quint8 highNibble, const std::array<quint8, 5> &codes)
{
    for (quint8 code : codes) {
        appendNibble(frame, highNibble, code >> 4);
        appendNibble(frame, highNibble, code & 0x0F);
    }
}

// Codes of a five-digit display, rightmost first as the meter sends them.
std::array<quint8, 5> displayCodes(const QByteArray &leftToRight, int pointAfter)
{
    std::array<quint8, 5> codes{};
    for (int fromLeft = 1; fromLeft <= 5; ++fromLeft) {
        const char c = fromLeft <= leftToRight.size() ? leftToRight[fromLeft - 1] : ' ';
        codes[5 - fromLeft] = SegmentCodeOf(c, fromLeft == pointAfter);
    }
    return codes;
}

} // namespace

LcdImage LcdImageOf(const QByteArray &mainLeftToRight, int mainPointAfter, const QByteArray &smallLeftToRight,
                    int smallPointAfter, std::array<quint8, 4> flagDigits)
{
    LcdImage image;
    image.mainCodes = displayCodes(mainLeftToRight, mainPointAfter);
    image.smallCodes = displayCodes(smallLeftToRight, smallPointAfter);
    image.flagDigits = flagDigits;
    return image;
}

QByteArray EncodeMeterFrame(const LcdImage &image, quint8 highNibble)
{
    QByteArray frame;
    frame.reserve(27);
    appendNibble(frame, highNibble, 0);
    appendCodes(frame, highNibble, image.mainCodes);
    appendCodes(frame, highNibble, image.smallCodes);
    for (quint8 flag : image.flagDigits)
        appendNibble(frame, highNibble, flag);
    appendNibble(frame, 0x0, 0xD);
    appendNibble(frame, 0x0, 0xA);
    return frame;
}

QList<QByteArray> SplitIntoReports(const QByteArray &meterBytes, int reportSize)
{
    const int perReport = qBound(1, reportSize - 1, 9);
    reportSize = perReport + 1 > reportSize ? perReport + 1 : reportSize;
    QList<QByteArray> reports;
    for (qsizetype at = 0; at < meterBytes.size(); at += perReport) {
        const QByteArray chunk = meterBytes.mid(at, perReport);
        QByteArray report(reportSize, '\0');
        report[0] = char(0xF0 | chunk.size());
        report.replace(1, chunk.size(), chunk);
        reports.append(report);
    }
    QByteArray closing(reportSize, '\0');
    closing[0] = char(0xF0);
    reports.append(closing);
    return reports;
}
