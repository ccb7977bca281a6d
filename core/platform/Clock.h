#pragma once
// Time of day and calendar, behind an interface so that time stamps, the splash
// wait and the modem waits can be tested.

#include <cstdint>
#include <string>

namespace neva {

struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
    // Milliseconds from an arbitrary origin; never goes back, not even at midnight.
    virtual std::int64_t monotonic_ms() const = 0;
    // The computer's short date format for a day, month and full year.
    virtual std::string short_date(int day, int month, int year) const = 0;
};

// A clock on the standard library; short dates as dd/mm/yy.
class SystemClock : public Clock {
public:
    DateTime now() const override;
    std::int64_t monotonic_ms() const override;
    std::string short_date(int day, int month, int year) const override;
};

}  // namespace neva
