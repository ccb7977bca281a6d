#pragma once
// The relay's clock against the computer's: the relay keeps date and time in three
// registers (0200..0202, the time stamp layout of its events); the engineer wants to
// know how far it is off, in words, before and after setting it.

#include <cstdint>
#include <optional>
#include <string>

#include "image/RegisterImages.h"
#include "platform/Clock.h"

namespace neva {

// The relay clock as the last clock read (action 91) left it in the actual-value
// image; nullopt when the registers hold no valid date (never read, or a relay whose
// clock was never set).
std::optional<DateTime> relay_clock(const AvImage& av);

// a - b in seconds, both taken as local calendar times.
std::int64_t seconds_between(const DateTime& a, const DateTime& b);

// "the relay is 2 min 5 s behind the computer", "... ahead of ...", or "the relay
// and the computer agree to the second", for relay minus computer in seconds.
std::string describe_clock_offset(std::int64_t relay_minus_computer);

}  // namespace neva
