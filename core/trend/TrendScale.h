#pragma once
// The unit of the trend's value axis. It is the unit the metering page would show
// the largest plotted current in (the program's auto-ranging), so that a chart
// reading 1.52 KA sits beside a page reading 1.52 KA, and not 1520 A.

#include <string>

#include "image/ValueFormat.h"

namespace neva {

struct TrendScale {
    std::string unit = "A";  // "A", "KA", "MA", "GA"
    Fixed4 amperes_per_unit = 1;

    // A current in this unit.
    double in_unit(Fixed4 amperes) const {
        return static_cast<double>(amperes) / static_cast<double>(kFixedOne) / static_cast<double>(amperes_per_unit);
    }
    bool operator==(const TrendScale& o) const { return amperes_per_unit == o.amperes_per_unit; }
};

// The scale for a chart whose largest plotted current is `largest` amperes.
TrendScale trend_scale(Fixed4 largest);

// Top of a value axis that starts at 0: the smallest 1, 2, 2.5 or 5 times a power of
// ten at or above v (1 for nothing to show).
double axis_top(double v);

}  // namespace neva
