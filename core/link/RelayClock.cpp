#include "link/RelayClock.h"

#include "link/NEVA200.h"
#include "platform/CivilDays.h"

namespace neva {

namespace {

std::int64_t seconds_of(const DateTime& t) {
    return days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::optional<DateTime> relay_clock(const AvImage& av) {
    const auto pos = NEVA200::Calcula_Posicion_AV("0200");
    if (!pos || *pos + 5 >= static_cast<int>(av.size())) return std::nullopt;
    auto word = [&](int k) { return av[*pos + 2 * k] * 256u + av[*pos + 2 * k + 1]; };
    const unsigned w1 = word(0), w2 = word(1), w3 = word(2);
    DateTime t;
    t.year = 2000 + static_cast<int>(w1 & 0x7F);
    t.month = static_cast<int>((w2 & 0x3C00) / 1024);
    t.day = static_cast<int>((w2 & 0x03E0) / 32);
    t.hour = static_cast<int>(w2 & 0x1F);
    t.minute = static_cast<int>((w3 & 0xFC00) / 1024);
    t.second = static_cast<int>((w3 & 0x03FF) / 10);  // the field holds tenths
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

std::int64_t seconds_between(const DateTime& a, const DateTime& b) { return seconds_of(a) - seconds_of(b); }

std::string describe_clock_offset(std::int64_t d) {
    if (d == 0) return "the relay and the computer agree to the second";
    std::int64_t s = d < 0 ? -d : d;
    std::string text;
    const std::int64_t days = s / 86400, hours = s / 3600 % 24, minutes = s / 60 % 60, seconds = s % 60;
    auto part = [&text](std::int64_t n, const char* unit) {
        if (n == 0) return;
        if (!text.empty()) text += ' ';
        text += std::to_string(n) + ' ' + unit;
    };
    part(days, days == 1 ? "day" : "days");
    part(hours, "h");
    part(minutes, "min");
    part(seconds, "s");
    return "the relay is " + text + (d < 0 ? " behind" : " ahead of") + " the computer";
}

}  // namespace neva
