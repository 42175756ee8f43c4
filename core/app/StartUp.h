#pragma once

#include <QString>
#include <QtGlobal>

class MeterSession;

// How both programs start: the window's creation handler and mx840-log set a
// session up the same way and run their timers at the same pace.
namespace StartUp {

constexpr int ConTimerMilliseconds = 1000;      // the connection watchdog
constexpr int SampInterTimeMilliseconds = 1000; // the sampling interval's count-down
constexpr int FlashTimeMilliseconds = 300;      // the LCD digits' blinking
constexpr qint32 RecordLimit = 10000;
constexpr int ChartPointsPerPage = 100;
constexpr qint8 UsbPort = 5;

// The system's separators, the record limit, unchanged readings recorded again,
// the USB port, and a chart that follows its last page of 100 points.
void Configure(MeterSession &session, const QString &decimalSeparator, const QString &timeSeparator);

} // namespace StartUp
