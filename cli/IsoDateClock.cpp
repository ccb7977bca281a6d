#include "IsoDateClock.h"

#include <cstdio>

namespace neva::cli {

std::string IsoDateClock::short_date(int day, int month, int year) const {
    // A garbled stamp (month 15, day 31 of February) is still written, by number.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

}  // namespace neva::cli
