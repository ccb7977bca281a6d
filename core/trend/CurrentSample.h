#pragma once
// One reading of the relay's current metering, as the trend keeps it.

#include <array>
#include <cstdint>

#include "image/ValueFormat.h"

namespace neva {

// The four currents in the order the metering page lists them.
inline constexpr int kCurrentChannels = 4;
inline constexpr const char* kCurrentNames[kCurrentChannels] = {"Phase A", "Phase B", "Phase C", "Ground"};

struct CurrentSample {
    // Local time of day of the answer, in milliseconds since 1970-01-01T00:00 counted
    // as if that were UTC (TrendClock).
    std::int64_t time_ms = 0;
    std::array<Fixed4, kCurrentChannels> amperes{};  // phase A, B, C, ground
};

}  // namespace neva
