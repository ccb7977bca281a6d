#include "trend/TrendClock.h"

#include <cstdio>

#include "platform/CivilDays.h"

namespace neva {

namespace {

constexpr std::int64_t kDayMs = 86400000;

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::int64_t civil_ms(const DateTime& t) {
    const std::int64_t days = days_from_civil(t.year, t.month, t.day);
    return days * kDayMs + ((t.hour * 60 + t.minute) * 60 + t.second) * std::int64_t{1000};
}

DateTime civil_date_time(std::int64_t ms) {
    DateTime t;
    civil_from_days(floor_div(ms, kDayMs), t.year, t.month, t.day);
    const std::int64_t in_day = ms - floor_div(ms, kDayMs) * kDayMs;
    t.hour = static_cast<int>(in_day / 3600000);
    t.minute = static_cast<int>(in_day / 60000 % 60);
    t.second = static_cast<int>(in_day / 1000 % 60);
    return t;
}

std::string iso_time(std::int64_t ms) {
    const DateTime t = civil_date_time(ms);
    const int millis = static_cast<int>(ms - floor_div(ms, 1000) * 1000);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, millis);
    return buf;
}

std::int64_t TrendClock::now_ms() {
    const std::int64_t wall = civil_ms(clock_.now());
    const std::int64_t mono = clock_.monotonic_ms();
    const std::int64_t estimate = mono + offset_ms_;
    // The true time lies in [wall, wall + 1000). An estimate below it is pulled up to
    // the start of that second, one beyond it down to its end; between those it is
    // kept, so the fraction settles on the true one after a few samples.
    if (!locked_ || estimate < wall) {
        offset_ms_ = wall - mono;
        locked_ = true;
    } else if (estimate >= wall + 1000) {
        offset_ms_ = wall + 999 - mono;
    }
    return mono + offset_ms_;
}

}  // namespace neva
