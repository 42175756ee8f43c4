#pragma once

#include "core/link/InputReportReader.h"
#include "core/link/MeterFrame.h"

#include <QByteArray>
#include <QList>

// Helpers that build the cable's report streams for a display image and feed
// them through a report handler.
namespace InputReportStreams {

// A plain image: main digits "12345" (left to right) with the point after the
// given digit from the left (0 for none), small digits blank, flags as given.
inline LcdImage image(const QByteArray &mainLeftToRight, int pointAfter = 0, std::array<quint8, 4> flags = {0, 0, 0, 1})
{
    return LcdImageOf(mainLeftToRight, pointAfter, "     ", 0, flags);
}

inline QList<QByteArray> reportsFor(const LcdImage &lcd, quint8 highNibble = 0x3)
{
    return SplitIntoReports(EncodeMeterFrame(lcd, highNibble));
}

// Feeds every report to Read618 and returns the display texts it passed on.
inline QList<QByteArray> feed(InputReportReader &reader, const QList<QByteArray> &reports, quint8 reportId = 0)
{
    QList<QByteArray> shown;
    for (const QByteArray &report : reports) {
        const auto *data = reinterpret_cast<const quint8 *>(report.constData());
        if (auto text = reader.Read618(reportId, data, quint16(report.size())))
            shown.append(*text);
    }
    return shown;
}

} // namespace InputReportStreams
