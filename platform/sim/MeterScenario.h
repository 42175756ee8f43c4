#pragma once

#include "core/link/MeterFrame.h"

#include <QByteArray>

#include <optional>

// A realistic run of the meter, frame by frame (the meter sends about nine a
// second), repeating every two and a quarter minutes: RPM climbing through every range with
// the point moving, MAX / MIN / AVE, HOLD, the low-battery symbol, an overload,
// a COUNT stretch, and a silence long enough to make the digits blink for a
// while. The small display shows the run's minutes and seconds.
class MeterScenario
{
public:
    static constexpr double FrameSeconds = 27 * 10 / 2400.0; // 27 bytes at 2400 baud
    static constexpr double PeriodSeconds = 135;

    // The image of frame `index`, or nullopt while the meter is silent.
    std::optional<LcdImage> frame(qint64 index) const;

    // Five digits (left to right) and the point position (after that many
    // digits from the left; 0 for none) that show `value` with as many
    // decimals as fit.
    struct Digits
    {
        QByteArray text;
        int pointAfter = 0;
    };
    static Digits autoRange(double value);
};
