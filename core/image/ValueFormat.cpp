#include "image/ValueFormat.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace neva {

namespace {

// What a pattern asks for: digits always shown left of the point, decimals to round
// to, and how many of those decimals must stay even when they are zero.
struct Pattern {
    int min_int_digits = 0;
    int decimals = 0;
    int required_decimals = 0;
    bool has_point = false;
};

Pattern parse_pattern(std::string_view pattern) {
    Pattern p;
    bool after_point = false;
    int position = 0;  // decimal placeholder count so far
    for (char c : pattern) {
        if (c == '.') {
            if (!after_point) {
                after_point = true;
                p.has_point = true;
            }
            continue;
        }
        if (c != '#' && c != '0') continue;  // separators and literals carry no digits here
        if (!after_point) {
            if (c == '0') ++p.min_int_digits;
        } else {
            ++position;
            p.decimals = position;
            // A '#' only drops a zero when no '0' stands to its right, so every
            // decimal up to the last '0' is required.
            if (c == '0') p.required_decimals = position;
        }
    }
    return p;
}

std::uint64_t pow10(int n) {
    std::uint64_t r = 1;
    while (n-- > 0) r *= 10;
    return r;
}

std::uint64_t magnitude(Fixed4 v) {
    return v < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

}  // namespace

std::string format_fixed(Fixed4 value, std::string_view pattern) {
    if (pattern.empty()) return plain_decimal(value);
    const Pattern p = parse_pattern(pattern);

    // Round the magnitude to the pattern's decimals, a half going away from zero;
    // working on the magnitude makes -0.05 and 0.05 round alike.
    const std::uint64_t mag = magnitude(value);
    std::uint64_t scaled;  // magnitude in units of 10^-decimals
    int decimals = p.decimals;
    if (decimals <= 4) {
        const std::uint64_t div = pow10(4 - decimals);
        scaled = mag / div + ((mag % div) * 2 >= div && div > 1 ? 1 : 0);
    } else {
        // More decimals than the fixed point holds: the extra ones are zeros.
        scaled = mag;
        decimals = 4;
    }
    const std::uint64_t unit = pow10(decimals);
    const std::uint64_t int_part = scaled / unit;
    std::uint64_t frac = scaled % unit;

    std::string digits = int_part == 0 ? std::string() : std::to_string(int_part);
    if (static_cast<int>(digits.size()) < p.min_int_digits)
        digits.insert(0, static_cast<std::size_t>(p.min_int_digits) - digits.size(), '0');

    std::string frac_text;
    if (decimals > 0) {
        frac_text = std::to_string(frac);
        frac_text.insert(0, static_cast<std::size_t>(decimals) - frac_text.size(), '0');
    }
    frac_text.append(static_cast<std::size_t>(p.decimals - decimals), '0');
    // Drop trailing zeros only where '#' placeholders allow it.
    while (static_cast<int>(frac_text.size()) > p.required_decimals && !frac_text.empty() &&
           frac_text.back() == '0')
        frac_text.pop_back();

    std::string out;
    // No "-0.00": a value that rounds to zero shows without a sign.
    if (value < 0 && (scaled != 0)) out.push_back('-');
    out += digits;
    if (p.has_point && !frac_text.empty()) {
        out.push_back('.');
        out += frac_text;
    }
    if (out.empty() || out == "-") out += "0";  // all-'#' pattern with a zero value still shows a digit
    return out;
}

Fixed4 to_fixed(double value) {
    if (std::isnan(value)) return 0;
    const double scaled = value * static_cast<double>(kFixedOne);
    constexpr double kLimit = 9.2e18;  // inside the int64 range
    if (scaled >= kLimit) return std::numeric_limits<Fixed4>::max();
    if (scaled <= -kLimit) return std::numeric_limits<Fixed4>::min();
    // std::llround rounds a half away from zero; 1.15 * 10000 = 11499.999... lands on 11500.
    return static_cast<Fixed4>(std::llround(scaled));
}

std::string format_number(double value, std::string_view pattern) { return format_fixed(to_fixed(value), pattern); }

std::string display_text(std::int32_t raw, Fixed4 scale, std::string_view pattern, std::string_view unit) {
    // raw is at most 2^31 and the scales of the map are small, so the product stays exact.
    const Fixed4 engineering = static_cast<Fixed4>(raw) * scale;
    std::string out = format_fixed(engineering, pattern);
    out.push_back(' ');
    out += unit;
    return out;
}

std::string plain_decimal(Fixed4 value) {
    const std::uint64_t mag = magnitude(value);
    std::string out = value < 0 ? "-" : "";
    out += std::to_string(mag / static_cast<std::uint64_t>(kFixedOne));
    std::uint64_t frac = mag % static_cast<std::uint64_t>(kFixedOne);
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (f.back() == '0') f.pop_back();
        out += "." + f;
    }
    return out;
}

}  // namespace neva
