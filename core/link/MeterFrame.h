#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

// What the meter's display shows, as the segment codes and flag digits the
// meter sends. Digit 0 of each display is the rightmost.
struct LcdImage
{
    std::array<quint8, 5> mainCodes{};
    std::array<quint8, 5> smallCodes{};
    std::array<quint8, 4> flagDigits{}; // 0..15 each
};

// The image of a display showing `mainLeftToRight` (five characters of
// "0".."9", "L" or blank) with the point after the `mainPointAfter`-th digit
// from the left (0: none), the small display likewise (its point after the
// `smallPointAfter`-th of its digits from the left), and the flag digits.
LcdImage LcdImageOf(const QByteArray &mainLeftToRight, int mainPointAfter, const QByteArray &smallLeftToRight = "     ",
                    int smallPointAfter = 0, std::array<quint8, 4> flagDigits = {0, 0, 0, 1});

// The 27 bytes the meter sends for one image: an unused first byte, each segment
// code as two bytes (high digit first), the four flag digits, CR and LF. Only the
// low nibbles carry information; `highNibble` (0..15) fills the high ones.
QByteArray EncodeMeterFrame(const LcdImage &image, quint8 highNibble = 0x3);

// The cable's input reports for one frame: data-carrying reports of
// `reportSize` bytes (count byte 0xF1..0xF9, then up to reportSize - 1 meter
// bytes, zero padded), followed by one non-data report (count byte 0xF0).
QList<QByteArray> SplitIntoReports(const QByteArray &meterBytes, int reportSize = 8);
