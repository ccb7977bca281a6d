#include <gtest/gtest.h>

#include "image/Manejo_de_Datos.h"
#include "image/ModAutoRango.h"
#include "image/ValueFormat.h"

namespace neva {
namespace {

TEST(ImageField, AddressRuleAtBlockEdges) {
    EXPECT_EQ(Posicion_Setpoint("011b"), 54);
    EXPECT_EQ(Posicion_Setpoint("0180"), 56);
    EXPECT_EQ(Posicion_Setpoint("0195"), 98);
    for (const char* outside : {"011C", "017F", "0196", "0", "", "FFFF", "zz"})
        EXPECT_EQ(Posicion_Setpoint(outside), 0) << outside;
}

TEST(ImageField, ReadsByDataLenAndHigh) {
    RegisterImages img;
    img.Imagen_Setpoints[40] = 0x12;
    img.Imagen_Setpoints[41] = 0x34;
    EXPECT_EQ(Lee_Setpoint(img, 40, 0, 1), 18);
    EXPECT_EQ(Lee_Setpoint(img, 40, 0, 0), 52);
    // The last register of block 2 as a double word reaches position 101.
    for (int i = 0; i < 4; ++i) img.Imagen_Setpoints[98 + i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(Lee_Setpoint(img, 98, 2, 0), 0x01020304);
    // The edit image is never read as a double word.
    img.Imagen_Edicion = img.Imagen_Setpoints;
    EXPECT_EQ(Lee_Edicion(img, 98, 2, 0), 0);
    EXPECT_EQ(Lee_Edicion(img, 98, 1, 0), 0x0102);
    // Positions that would run past the image read 0 instead of outside it.
    EXPECT_EQ(Lee_Setpoint(img, 199, 1, 0), 0);
    EXPECT_EQ(Lee_Setpoint(img, -1, 1, 0), 0);
}

TEST(ImageField, WritesTouchOnlyTheirField) {
    RegisterImages low;
    EXPECT_TRUE(Escribe_Edicion(low, 40, "0000002A", 0, 0));
    EXPECT_TRUE(Escribe_Edicion(low, 40, "000000FF", 0, 1));
    EXPECT_EQ(low.Imagen_Edicion[40], 0xFF);
    EXPECT_EQ(low.Imagen_Edicion[41], 42);
    // A value too large for one byte is refused rather than cut.
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000100", 0, 1));
    EXPECT_EQ(low.Imagen_Edicion[40], 0xFF);
    // Unknown DataLen or High writes nothing.
    const auto before = low.Imagen_Edicion;
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000001", 0, 5));
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000001", 7, 0));
    EXPECT_EQ(low.Imagen_Edicion, before);

    RegisterImages dword;
    EXPECT_TRUE(Escribe_Edicion(dword, 98, "A1B2C3D4", 2, 0));
    EXPECT_EQ(dword.Imagen_Edicion[98], 0xA1);
    EXPECT_EQ(dword.Imagen_Edicion[101], 0xD4);
    EXPECT_EQ(dword.Imagen_Edicion[102], 0);
    EXPECT_TRUE(dword.Imagen_Setpoints == SetpointImage{});
}

TEST(ImageField, BitFields) {
    RegisterImages img;
    img.Imagen_Setpoints[0] = 0x00;
    img.Imagen_Setpoints[1] = 0b1010;
    EXPECT_EQ(Lee_Bits(img, {1, 3}, 0, 1, 0), 3);
    EXPECT_EQ(Lee_Bits(img, {0, 1}, 0, 1, 0), 2);
    EXPECT_EQ(Lee_Bits(img, {1, 3}, 0, 2, 0), 0);

    img.Imagen_Edicion[0] = 0x00;
    img.Imagen_Edicion[1] = 0xF0;
    EXPECT_EQ(Pon_Bits(img, 2, 1, {0, 1}, 0, 1, 0), 0x00F2);
    EXPECT_EQ(Pon_Bits(img, 1, 0, {15}, 0, 1, 0), 0x80F0);
    // Field value 3 x 2 = 6 on bits 4..6: bit 4 cleared, 5 and 6 set, 7 kept.
    EXPECT_EQ(Pon_Bits(img, 3, 2, {4, 5, 6}, 0, 1, 0), 0x00E0);
    // Bits of the product beyond the field are ignored.
    EXPECT_EQ(Pon_Bits(img, 5, 1, {0, 1}, 0, 1, 0), 0x00F1);
    // Pon_Bits writes nothing.
    EXPECT_EQ(img.Imagen_Edicion[1], 0xF0);
}


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
