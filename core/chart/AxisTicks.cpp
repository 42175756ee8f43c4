#include "core/chart/AxisTicks.h"

#include <algorithm>
#include <cmath>

AxisTicks WholeNumberTicks(double minimum, double maximum, int maxTicks)
{
    const double span = maximum - minimum;
    const int gaps = std::max(maxTicks, 2) - 1;
    double interval = 1;
    if (std::isfinite(span) && span > gaps) {
        const double least = span / gaps; // the smallest interval that keeps within maxTicks
        const double power = std::pow(10.0, std::floor(std::log10(least)));
        for (const double step : {1.0, 2.0, 5.0, 10.0}) {
            interval = step * power;
            if (interval >= least * (1 - 1e-9))
                break;
        }
    }
    const double anchor = std::isfinite(minimum) ? std::ceil(minimum / interval - 1e-9) * interval : 0;
    return {anchor, interval};
}
