#include <gtest/gtest.h>

#include "image/ValueFormat.h"

namespace neva {
namespace {

Fixed4 fx(double v) { return to_fixed(v); }

TEST(ValueFormat, IntegerPatternsRoundHalfAwayAndShowNoSeparator) {
    EXPECT_EQ(format_fixed(fx(0), "####0"), "0");
    EXPECT_EQ(format_fixed(fx(12.5), "####0"), "13");
    EXPECT_EQ(format_fixed(fx(-12.5), "####0"), "-13");
    EXPECT_EQ(format_fixed(fx(1234567), "####0"), "1234567");
    EXPECT_EQ(format_fixed(fx(255), "###0"), "255");
    EXPECT_EQ(format_fixed(fx(99.5), "##0"), "100");
    EXPECT_EQ(format_fixed(fx(2.5), "#0"), "3");
    EXPECT_EQ(format_fixed(fx(0.49), "#0"), "0");
    EXPECT_EQ(format_fixed(fx(123456.5), "#####0"), "123457");
    EXPECT_EQ(format_fixed(fx(7), "#####0"), "7");
}

TEST(ValueFormat, DecimalPatternsKeepTheirDecimals) {
    EXPECT_EQ(format_fixed(fx(1.5), "#0.0"), "1.5");
    EXPECT_EQ(format_fixed(fx(0), "#0.0"), "0.0");
    EXPECT_EQ(format_fixed(fx(1.15), "#0.0"), "1.2");
    EXPECT_EQ(format_fixed(fx(0.05), "#0.0"), "0.1");
    EXPECT_EQ(format_fixed(fx(-0.05), "#0.0"), "-0.1");
    EXPECT_EQ(format_fixed(fx(1), "#0.00"), "1.00");
    EXPECT_EQ(format_fixed(fx(0.005), "#0.00"), "0.01");
    EXPECT_EQ(format_fixed(fx(-1.005), "#0.00"), "-1.01");
    EXPECT_EQ(format_fixed(fx(12.3456), "###0.00"), "12.35");
    EXPECT_EQ(format_fixed(fx(1234.5), "###0.00"), "1234.50");
    EXPECT_EQ(format_fixed(fx(250), "###0.0"), "250.0");
    EXPECT_EQ(format_fixed(fx(999.95), "###0.0"), "1000.0");
    EXPECT_EQ(format_fixed(fx(2.345), "##0.00"), "2.35");
    EXPECT_EQ(format_fixed(fx(120), "##0.0"), "120.0");
}

TEST(ValueFormat, HashBeforeZeroInDecimalsIsStillRequired) {
    // '#' drops a zero only right of the last '0', so these always show two decimals.
    EXPECT_EQ(format_fixed(fx(0.05), "#0.#0"), "0.05");
    EXPECT_EQ(format_fixed(fx(0.5), "#0.#0"), "0.50");
    EXPECT_EQ(format_fixed(fx(3), "#0.#0"), "3.00");
    EXPECT_EQ(format_fixed(fx(0.5), "##0.#0"), "0.50");
    EXPECT_EQ(format_fixed(fx(120.25), "##0.#0"), "120.25");
    // Trailing '#' decimals do drop their zeros.
    EXPECT_EQ(format_fixed(fx(1.5), "#0.##"), "1.5");
    EXPECT_EQ(format_fixed(fx(2), "#0.##"), "2");
    EXPECT_EQ(format_fixed(fx(1.25), "#0.0#"), "1.25");
    EXPECT_EQ(format_fixed(fx(1.2), "#0.0#"), "1.2");
}

TEST(ValueFormat, NoNegativeZeroAndEmptyPatternIsPlain) {
    EXPECT_EQ(format_fixed(fx(-0.04), "#0.0"), "0.0");
    EXPECT_EQ(format_fixed(fx(-0.4), "####0"), "0");
    EXPECT_EQ(format_fixed(fx(12.5), ""), "12.5");
}

TEST(ValueFormat, DoublesRoundAsOnPaper) {
    // 1.15, 2.675 and 1.005 are just below their decimal value in binary.
    EXPECT_EQ(format_number(1.15, "#0.0"), "1.2");
    EXPECT_EQ(format_number(2.675, "#0.00"), "2.68");
    EXPECT_EQ(format_number(1.005, "#0.00"), "1.01");
    EXPECT_EQ(to_fixed(0.01), 100);
    EXPECT_EQ(to_fixed(0.1), 1000);
    EXPECT_EQ(to_fixed(-0.00005), -1);
}

TEST(ValueFormat, DisplayTextJoinsNumberAndUnit) {
    EXPECT_EQ(display_text(15, to_fixed(0.1), "#0.0", "A"), "1.5 A");
    EXPECT_EQ(display_text(5, to_fixed(0.01), "#0.#0", "Sec"), "0.05 Sec");
    EXPECT_EQ(display_text(15, to_fixed(0.1), "#0.0", ""), "1.5 ");
    EXPECT_EQ(display_text(255, kFixedOne, "###0", "A"), "255 A");
    EXPECT_EQ(display_text(-25, to_fixed(0.1), "#0.0", "A"), "-2.5 A");
    EXPECT_EQ(display_text(2147483647, kFixedOne, "####0", ""), "2147483647 ");
    EXPECT_EQ(display_text(333, to_fixed(0.005), "##0.00", "s"), "1.67 s");
}

TEST(ValueFormat, PlainDecimalIsShortest) {
    EXPECT_EQ(plain_decimal(0), "0");
    EXPECT_EQ(plain_decimal(fx(12.5)), "12.5");
    EXPECT_EQ(plain_decimal(fx(3.14)), "3.14");
    EXPECT_EQ(plain_decimal(fx(100)), "100");
    EXPECT_EQ(plain_decimal(-1), "-0.0001");
    EXPECT_EQ(plain_decimal(fx(-42.75)), "-42.75");
}

}  // namespace
}  // namespace neva
