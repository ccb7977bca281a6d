#include "trend/TrendClock.h"

#include <cstdio>

namespace neva {

namespace {

constexpr std::int64_t kDayMs = 86400000;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::int64_t civil_ms(const DateTime& t) {
    const std::int64_t days = days_from_civil(t.year, t.month, t.day);
    return days * kDayMs + ((t.hour * 60 + t.minute) * 60 + t.second) * std::int64_t{1000};
}

DateTime civil_date_time(std::int64_t ms) {
    const std::int64_t z = floor_div(ms, kDayMs) + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    DateTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
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
