#include "platform/Clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace neva {

DateTime SystemClock::now() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::int64_t SystemClock::monotonic_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string SystemClock::short_date(int day, int month, int year) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", day, month, ((year % 100) + 100) % 100);
    return buf;
}

}  // namespace neva
