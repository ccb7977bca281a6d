#pragma once
// Display texts of raw register values and measurements.
//
// Format patterns are built from '#' (a digit shown only if significant), '0' (a
// digit always shown) and '.' (the decimal point): "####0", "##0", "#0.0",
// "#0.#0", "###0.00". The number is rounded to the pattern's decimals, a half
// going away from zero; trailing zero decimals are dropped only for '#'
// placeholders right of the last '0' one; the integer part shows at least as
// many digits as it has '0' placeholders, and never a thousands separator.

#include <cstdint>
#include <string>
#include <string_view>

namespace neva {

// Fixed-point decimal: a count of 1/10000 units (the relay's scales are all
// multiples of 0.0001, so products stay exact).
using Fixed4 = std::int64_t;
inline constexpr Fixed4 kFixedOne = 10000;

// value (in 1/10000) formatted with a pattern.
std::string format_fixed(Fixed4 value, std::string_view pattern);
// A double is first brought to the nearest 1/10000, so 1.15 formats as 1.15 would on paper.
std::string format_number(double value, std::string_view pattern);
// Scale as fixed point (0.01 -> 100).
Fixed4 to_fixed(double value);
// The editor text: format(raw x scale, pattern) + " " + unit (an empty unit leaves the blank).
std::string display_text(std::int32_t raw, Fixed4 scale, std::string_view pattern, std::string_view unit);
// Shortest plain decimal text of a fixed-point value: no separator, no trailing zeros.
std::string plain_decimal(Fixed4 value);

}  // namespace neva
