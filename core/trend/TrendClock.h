#pragma once
// Time stamps of the trend samples, to the millisecond. The clock's time of day
// has whole seconds only; the monotonic count gives the fraction. The two are kept
// locked: a stamp never falls outside the second the time of day names, so a clock
// that is set (summer time, a time server) is followed at the next sample, and
// samples taken two seconds apart are stamped two seconds apart.

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace neva {

class TrendClock {
public:
    explicit TrendClock(const Clock& clock) : clock_(clock) {}
    // Local time in milliseconds since 1970-01-01T00:00 (counted as if it were UTC).
    std::int64_t now_ms();

private:
    const Clock& clock_;
    bool locked_ = false;
    std::int64_t offset_ms_ = 0;  // local time minus the monotonic count
};

// A calendar date and time of day as milliseconds since 1970-01-01T00:00.
std::int64_t civil_ms(const DateTime& t);
// The other way round; the milliseconds are dropped.
DateTime civil_date_time(std::int64_t ms);
// ISO 8601 local time with milliseconds: "2026-12-06T12:00:00.250".
std::string iso_time(std::int64_t ms);

}  // namespace neva
