#include <gtest/gtest.h>

#include "image/ModAutoRango.h"

namespace neva {
namespace {

TEST(AutoRango, KindsPrefixesAndDecimals) {
    struct Case { std::int32_t kind; double value; const char* text; const char* unit; };
    const Case cases[] = {
        // Currents take a prefix and their decimals by size.
        {1, 12.3456, "12.35", "A"}, {1, 250, "250.0", "A"}, {1, -1500, "-1.50", "KA"},
        {1, 1e9, "1.00", "GA"}, {1, -250, "-250.00", "A"},
        // Just below a prefix boundary: a number that would round to 1000.0 beside
        // "A" is shown with the next prefix instead.
        {1, 999.94, "999.9", "A"}, {1, 999.95, "1.00", "KA"}, {1, 999950, "1.00", "MA"},
        {1, -999.996, "-1.00", "KA"}, {1, -999.99, "-999.99", "A"},
        // No prefix above "G": the number stays honest.
        {1, 999.95e9, "1000.0", "GA"},
        // The other ranged kinds and their units.
        {2, 13800, "13.80", "KV"}, {5, 2000, "2.00", "KVAR"}, {0, 1234567, "1.23", "M"},
        {42, 1500, "1.50", "K42"},
        // Fixed kinds.
        {6, 12345.6, "12346", "KW/H"}, {8, 45.678, "45.68", "%"}, {11, -0.85, "0.85", "Lead"},
        {11, 0, "0.00", "Lag"}, {12, 1234, "1234", "Hr(s)"}, {14, 35.5, "35.5", "\xC2\xBA" "C"},
    };
    for (const Case& c : cases) {
        // Stale texts: every call must replace both, as a page reuses its strings.
        std::string text = "stale", unit = "stale";
        AutoRango(c.kind, text, unit, to_fixed(c.value));
        EXPECT_EQ(text, c.text) << c.kind << " " << c.value;
        EXPECT_EQ(unit, c.unit) << c.kind << " " << c.value;
    }
}

}  // namespace
}  // namespace neva
