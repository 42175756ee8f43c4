#include "platform/sim/MeterScenario.h"

#include <algorithm>
#include <cmath>

namespace {

// Flag digits: power level; symbols (bit 0 OFF, 1 battery, 2 HOLD, 3 colon);
// statistics (bit 0 MAX, 1 MIN, 2 AVE); units (bit 0 RPM, 1 COUNT).
constexpr quint8 kPowerLevel = 1;
constexpr quint8 kBattery = 2;
constexpr quint8 kHold = 4;
constexpr quint8 kColon = 8;
constexpr quint8 kRpm = 1;
constexpr quint8 kCount = 2;

constexpr double kClimbEnd = 30;
constexpr double kStatisticsEnd = 45;
constexpr double kHoldEnd = 55;
constexpr double kBatteryEnd = 62;
constexpr double kOverloadEnd = 68;
constexpr double kCountEnd = 85; // then silence to the end of the period

// RPM rising from 0.5 to about 99,000 over the climb.
double climbingRpm(double t)
{
    return 0.5 * std::pow(10.0, qMin(t, kClimbEnd) / kClimbEnd * 5.29);
}

// "mm:ss" of the run on the small display (its leftmost digit blank).
QByteArray clock(double t)
{
    const int seconds = int(t);
    return QByteArray(" ") + QByteArray::number(seconds / 60 % 100).rightJustified(2, '0') +
           QByteArray::number(seconds % 60).rightJustified(2, '0');
}

LcdImage reading(double value, double t, quint8 symbols, quint8 statistics, quint8 unit)
{
    // Pieces are counted in whole numbers; speeds are shown with all the
    // decimals that fit.
    const MeterScenario::Digits digits =
        unit == kCount ? MeterScenario::Digits{QByteArray::number(qint64(value)).rightJustified(5, '0'), 0}
                       : MeterScenario::autoRange(value);
    return LcdImageOf(digits.text, digits.pointAfter, clock(t), 0,
                      {kPowerLevel, quint8(symbols | kColon), statistics, unit});
}

} // namespace

MeterScenario::Digits MeterScenario::autoRange(double value)
{
    value = std::clamp(std::abs(value), 0.0, 99999.0);
    int wholeDigits = value < 1 ? 1 : int(std::floor(std::log10(value))) + 1;
    for (;; ++wholeDigits) {
        const int decimals = qMax(0, 5 - wholeDigits);
        const qint64 scaled = std::llround(value * std::pow(10.0, decimals));
        if (scaled < 100000 || decimals == 0)
            return {QByteArray::number(qMin<qint64>(scaled, 99999)).rightJustified(5, '0'),
                    decimals > 0 ? wholeDigits : 0};
    }
}

std::optional<LcdImage> MeterScenario::frame(qint64 index) const
{
    const double t = std::fmod(double(index) * FrameSeconds, PeriodSeconds);
    if (t < kClimbEnd)
        return reading(climbingRpm(t), t, 0, 0, kRpm);
    if (t < kStatisticsEnd) {
        const quint8 statistic = quint8(1 << (int(t - kClimbEnd) / 5 % 3)); // MAX, MIN, AVE for 5 s each
        return reading(1234.5 + 40 * std::sin(t), t, 0, statistic, kRpm);
    }
    if (t < kHoldEnd)
        return reading(1234.5 + 40 * std::sin(kStatisticsEnd), t, kHold, 0, kRpm);
    if (t < kBatteryEnd)
        return reading(3000 + 25 * std::sin(3 * t), t, kBattery, 0, kRpm);
    if (t < kOverloadEnd)
        return LcdImageOf("  0L ", 0, clock(t), 0, {kPowerLevel, kColon, 0, kRpm});
    if (t < kCountEnd)
        return reading(std::floor((t - kOverloadEnd) * 3), t, 0, 0, kCount);
    return std::nullopt;
}
