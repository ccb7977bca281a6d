#include <gtest/gtest.h>

#include <utility>

#include "image/ModAutoRango.h"

namespace neva {
namespace {

std::pair<std::string, std::string> ranged(std::int32_t kind, double value) {
    // Stale texts: every call must replace both, as a page reuses its strings.
    std::string text = "stale", unit = "stale";
    AutoRango(kind, text, unit, to_fixed(value));
    return {text, unit};
}

using P = std::pair<std::string, std::string>;

TEST(AutoRango, CurrentsTakePrefixAndDecimalsBySize) {
    EXPECT_EQ(ranged(1, 12.3456), P("12.35", "A"));
    EXPECT_EQ(ranged(1, 250), P("250.0", "A"));
    EXPECT_EQ(ranged(1, 1500), P("1.50", "KA"));
    EXPECT_EQ(ranged(1, 2500000), P("2.50", "MA"));
    EXPECT_EQ(ranged(1, -1500), P("-1.50", "KA"));
    EXPECT_EQ(ranged(1, 1000), P("1.00", "KA"));
    EXPECT_EQ(ranged(1, 999.5), P("999.5", "A"));
    EXPECT_EQ(ranged(1, 99.9), P("99.9", "A"));
    EXPECT_EQ(ranged(1, 99.89), P("99.89", "A"));
    EXPECT_EQ(ranged(1, -250), P("-250.00", "A"));
    EXPECT_EQ(ranged(1, 1e9), P("1.00", "GA"));
    EXPECT_EQ(ranged(1, 0), P("0.00", "A"));
}

TEST(AutoRango, NumbersJustBelowAPrefixBoundaryMatchTheirUnit) {
    EXPECT_EQ(ranged(1, 999.9), P("999.9", "A"));
    EXPECT_EQ(ranged(1, 999.94), P("999.9", "A"));
    // Would round to 1000.0 beside "A": shown with the next prefix instead.
    EXPECT_EQ(ranged(1, 999.95), P("1.00", "KA"));
    EXPECT_EQ(ranged(1, 999949), P("999.9", "KA"));
    EXPECT_EQ(ranged(1, 999950), P("1.00", "MA"));
    EXPECT_EQ(ranged(1, 999999.9999), P("1.00", "MA"));
    EXPECT_EQ(ranged(1, -999.996), P("-1.00", "KA"));
    EXPECT_EQ(ranged(1, -999.99), P("-999.99", "A"));
    // No prefix above "G": the number stays honest.
    EXPECT_EQ(ranged(1, 999.95e9), P("1000.0", "GA"));
    EXPECT_EQ(ranged(1, 1e12), P("1000.0", "GA"));
}

TEST(AutoRango, RangedKindsAndTheirUnits) {
    EXPECT_EQ(ranged(2, 13800), P("13.80", "KV"));
    EXPECT_EQ(ranged(3, 5e6), P("5.00", "MW"));
    EXPECT_EQ(ranged(4, 120), P("120.0", "VA"));
    EXPECT_EQ(ranged(5, 2000), P("2.00", "KVAR"));
    EXPECT_EQ(ranged(0, 1234567), P("1.23", "M"));
    EXPECT_EQ(ranged(0, 12), P("12.00", ""));
    EXPECT_EQ(ranged(42, 1500), P("1.50", "K42"));
    EXPECT_EQ(ranged(-3, 5), P("5.00", "-3"));
}

TEST(AutoRango, FixedKinds) {
    EXPECT_EQ(ranged(6, 12345.6), P("12346", "KW/H"));
    EXPECT_EQ(ranged(7, 12), P("12", "KVAR/H"));
    EXPECT_EQ(ranged(8, 45.678), P("45.68", "%"));
    EXPECT_EQ(ranged(9, 60), P("60.00", "Hz"));
    EXPECT_EQ(ranged(10, 12.5), P("12.5", ""));
    EXPECT_EQ(ranged(11, -0.85), P("0.85", "Lead"));
    EXPECT_EQ(ranged(11, 0), P("0.00", "Lag"));
    EXPECT_EQ(ranged(11, 0.9), P("0.90", "Lag"));
    EXPECT_EQ(ranged(12, 1234), P("1234", "Hr(s)"));
    EXPECT_EQ(ranged(13, 2.5), P("2.5", "Year(s)"));
    EXPECT_EQ(ranged(14, 35.5), P("35.5", "\xC2\xBA" "C"));
}

}  // namespace
}  // namespace neva
