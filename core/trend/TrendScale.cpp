#include "trend/TrendScale.h"

#include <cmath>

#include "image/ModAutoRango.h"

namespace neva {

TrendScale trend_scale(Fixed4 largest) {
    std::string text, unit;
    AutoRango(1, text, unit, largest);
    TrendScale s;
    s.unit = unit;
    // The prefix the page chose, read back from its unit text.
    const char prefix = unit.size() > 1 ? unit.front() : ' ';
    s.amperes_per_unit = prefix == 'K' ? 1000 : prefix == 'M' ? 1000000 : prefix == 'G' ? 1000000000 : 1;
    return s;
}

double axis_top(double v) {
    if (!(v > 0) || !std::isfinite(v)) return 1.0;
    const double decade = std::pow(10.0, std::floor(std::log10(v)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        // A hair of tolerance: 2.0000000001 is still 2.
        if (v <= step * decade * (1.0 + 1e-12)) return step * decade;
    }
    return 10.0 * decade;
}

}  // namespace neva
