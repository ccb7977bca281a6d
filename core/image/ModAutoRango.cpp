#include "image/ModAutoRango.h"

namespace neva {

namespace {

constexpr const char* kPrefix[] = {"", "K", "M", "G"};
constexpr int kTopLevel = 3;
constexpr Fixed4 kOneDecimalFrom = 999000;  // 99.9: from here one decimal is enough
constexpr std::uint64_t kThousand = 1000 * static_cast<std::uint64_t>(kFixedOne);

std::uint64_t magnitude(Fixed4 v) {
    return v < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// v / d, rounded back to the fixed point's four decimals, a half away from zero.
Fixed4 divide_rounded(Fixed4 v, std::uint64_t d) {
    const std::uint64_t m = magnitude(v);
    const std::uint64_t q = m / d + ((m % d) * 2 >= d && d > 1 ? 1 : 0);
    return v < 0 ? -static_cast<Fixed4>(q) : static_cast<Fixed4>(q);
}

// Magnitude of v once rounded to `decimals` places, still in 1/10000 units.
std::uint64_t rounded_magnitude(Fixed4 v, int decimals) {
    std::uint64_t d = 1;
    for (int i = decimals; i < 4; ++i) d *= 10;
    const std::uint64_t m = magnitude(v);
    return (m / d + ((m % d) * 2 >= d && d > 1 ? 1 : 0)) * d;
}

void ranged(const std::string& base, std::string& text, std::string& unit, Fixed4 value) {
    const std::uint64_t m = magnitude(value);
    int level = m < kThousand ? 0 : m < kThousand * 1000 ? 1 : m < kThousand * 1000000 ? 2 : 3;
    for (;;) {
        std::uint64_t divisor = 1;
        for (int i = 0; i < level; ++i) divisor *= 1000;
        const Fixed4 v = divide_rounded(value, divisor);
        // Below 99.9 two decimals, above one; negative values always take two.
        const int decimals = v < kOneDecimalFrom ? 2 : 1;
        // A number that only rounds up to 1000 (999.95 A, 999 950 A) would stand
        // beside the smaller unit; take the next prefix so it reads 1.00 KA, 1.00 MA.
        // Above "G" there is no prefix left and the text shows 1000.0 G honestly.
        if (level < kTopLevel && rounded_magnitude(v, decimals) >= kThousand) {
            ++level;
            continue;
        }
        text = format_fixed(v, decimals == 2 ? "###0.00" : "###0.0");
        unit = std::string(kPrefix[level]) + base;
        return;
    }
}

}  // namespace

void AutoRango(std::int32_t kind, std::string& text, std::string& unit, Fixed4 value) {
    switch (kind) {
        case 0: ranged("", text, unit, value); return;
        case 1: ranged("A", text, unit, value); return;
        case 2: ranged("V", text, unit, value); return;
        case 3: ranged("W", text, unit, value); return;
        case 4: ranged("VA", text, unit, value); return;
        case 5: ranged("VAR", text, unit, value); return;
        case 6:
            text = format_fixed(value, "#####0");
            unit = "KW/H";
            return;
        case 7:
            text = format_fixed(value, "#####0");
            unit = "KVAR/H";
            return;
        case 8:
            text = format_fixed(value, "###0.00");
            unit = "%";
            return;
        case 9:
            text = format_fixed(value, "###0.00");
            unit = "Hz";
            return;
        case 10:
            text = plain_decimal(value);
            unit.clear();
            return;
        case 11:
            // The relay signs the power factor: negative is leading.
            text = format_fixed(value, "###0.00");
            if (!text.empty() && text.front() == '-') text.erase(0, 1);
            unit = value < 0 ? "Lead" : "Lag";
            return;
        case 12:
            text = plain_decimal(value);
            unit = "Hr(s)";
            return;
        case 13:
            text = plain_decimal(value);
            unit = "Year(s)";
            return;
        case 14:
            text = plain_decimal(value);
            unit = "\xC2\xBA" "C";  // ºC
            return;
        default:
            ranged(std::to_string(kind), text, unit, value);
            return;
    }
}

}  // namespace neva
