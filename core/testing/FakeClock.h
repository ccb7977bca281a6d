#pragma once
// A clock the test sets and moves by hand.

#include <cstdio>

#include "platform/Clock.h"

namespace neva::testing {

class FakeClock : public Clock {
public:
    DateTime now() const override { return now_; }
    std::int64_t monotonic_ms() const override { return ms_; }
    // dd/mm/yy, fixed, so that texts in tests do not depend on the machine's locale.
    std::string short_date(int day, int month, int year) const override {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", day, month, ((year % 100) + 100) % 100);
        return buf;
    }
    void set_now(DateTime t) { now_ = t; }
    void advance_ms(std::int64_t ms) { ms_ += ms; }

private:
    DateTime now_{2026, 12, 6, 12, 0, 0};
    std::int64_t ms_ = 0;
};

}  // namespace neva::testing
