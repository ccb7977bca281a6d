#include <gtest/gtest.h>

#include "image/ValueFormat.h"

namespace neva {
namespace {

TEST(ValueFormat, PatternsRoundHalfAwayAndKeepOrDropTheirDecimals) {
    struct Case { double value; const char* pattern; const char* shown; };
    const Case cases[] = {
        // Integer patterns: no separator, halves away from zero.
        {-12.5, "####0", "-13"}, {1234567, "####0", "1234567"}, {0.49, "#0", "0"},
        // Decimal patterns keep their decimals.
        {-0.05, "#0.0", "-0.1"}, {12.3456, "###0.00", "12.35"}, {999.95, "###0.0", "1000.0"},
        // '#' drops a zero only right of the last '0': these always show two decimals.
        {0.05, "#0.#0", "0.05"}, {3, "#0.#0", "3.00"},
        // Trailing '#' decimals do drop their zeros.
        {1.5, "#0.##", "1.5"}, {2, "#0.##", "2"}, {1.2, "#0.0#", "1.2"},
        // No negative zero; an empty pattern is the plain number.
        {-0.04, "#0.0", "0.0"}, {-0.4, "####0", "0"}, {12.5, "", "12.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(format_fixed(to_fixed(c.value), c.pattern), c.shown) << c.value << " " << c.pattern;
}

TEST(ValueFormat, DoublesRoundAsOnPaper) {
    // 1.15, 2.675 and 1.005 are just below their decimal value in binary.
    EXPECT_EQ(format_number(1.15, "#0.0"), "1.2");
    EXPECT_EQ(format_number(2.675, "#0.00"), "2.68");
    EXPECT_EQ(format_number(1.005, "#0.00"), "1.01");
    EXPECT_EQ(to_fixed(-0.00005), -1);
}

TEST(ValueFormat, DisplayTextAndPlainDecimal) {
    EXPECT_EQ(display_text(15, to_fixed(0.1), "#0.0", "A"), "1.5 A");
    EXPECT_EQ(display_text(15, to_fixed(0.1), "#0.0", ""), "1.5 ");
    EXPECT_EQ(display_text(-25, to_fixed(0.1), "#0.0", "A"), "-2.5 A");
    EXPECT_EQ(display_text(2147483647, kFixedOne, "####0", ""), "2147483647 ");
    EXPECT_EQ(display_text(333, to_fixed(0.005), "##0.00", "s"), "1.67 s");

    EXPECT_EQ(plain_decimal(to_fixed(100)), "100");
    EXPECT_EQ(plain_decimal(-1), "-0.0001");
    EXPECT_EQ(plain_decimal(to_fixed(-42.75)), "-42.75");
}

}  // namespace
}  // namespace neva
