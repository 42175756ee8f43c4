#pragma once

// Where an automatic numeric axis puts its labelled ticks: every `interval`
// from `anchor`, the interval a round step (1, 2 or 5 times a power of ten)
// of at least 1, so that every label is a distinct whole number.
struct AxisTicks
{
    double anchor = 0;   // the first tick at or above the axis minimum
    double interval = 1; // between two ticks
};

// At most `maxTicks` ticks (at least two) over [minimum, maximum].
AxisTicks WholeNumberTicks(double minimum, double maximum, int maxTicks);
