// Writes a replay file of N frames (default 1,000,000) of changing readings to
// standard output, in the form mx840-log --replay reads: each frame as the
// cable sends it, four data-carrying reports and one empty report, plus a
// "tick" line every nine frames (the meter sends about nine a second).
#include "core/link/InputReportText.h"
#include "core/link/MeterFrame.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    for (long i = 0; i < frames; ++i) {
        const QByteArray digits = QByteArray::number(10000 + (i * 37) % 90000);
        const LcdImage lcd = LcdImageOf(digits, int(4 - i % 4), "     ", 0, {1, quint8(i % 16), 0, 1});
        for (const QByteArray &report : SplitIntoReports(EncodeMeterFrame(lcd, quint8(i % 16)))) {
            const QByteArray line =
                InputReportText(0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
            std::fputc('\n', stdout);
        }
        if (i % 9 == 8)
            std::fputs("tick\n", stdout);
    }
    return 0;
}
