#include <gtest/gtest.h>

#include "image/Manejo_de_Datos.h"
#include "regmap/SetpointView.h"

namespace neva {
namespace {

void put_word(SetpointImage& img, std::string_view address, int value) {
    const int p = Posicion_Setpoint(address);
    img[p] = static_cast<std::uint8_t>(value >> 8);
    img[p + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

const RegisterMapEntry& entry(std::string_view page, std::string_view control, int index = -1) {
    const auto* e = shipped_register_map().find(page, control, index);
    EXPECT_NE(e, nullptr) << page << " " << control << "(" << index << ")";
    return *e;
}

TEST(SetpointView, ShowsEachSetpointAsItsPageDoes) {
    SetpointImage img{};
    put_word(img, "0184", 250);
    put_word(img, "018A", 5);
    put_word(img, "0186", 150);
    put_word(img, "0183", 15);
    put_word(img, "0182", 0xFFFA);       // curve in bits 0..3 = 10; the other bits belong to nobody here
    put_word(img, "0180", 0x0009);       // trip and aux. 3
    put_word(img, "0101", 0x0440);       // bit 10 (out of service) and bits 5,6 = 2 (zero sequence)
    put_word(img, "010B", 150);

    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_TresR1", 0), img).display, "2.5 Sec");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_TresR1", 1), img).display, "0.05 Sec");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_DosR1", 0), img).display, "150 %CT");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Byte_UnR1", 1), img).display, "1.5 ");  // no unit, one blank

    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Page6C", 0), img).display, "IEC  A Normal Inv");
    const auto relays = view_setpoint(entry("SETPAGE6", "ChkPhTim", 0), img);
    EXPECT_EQ(relays.display, "[x] Trip [ ] Aux. 1 [ ] Aux. 2 [x] Aux. 3");
    EXPECT_EQ(relays.raw, 9);

    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "Combo1"), img).display, "Zero Sequence");
    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "Page1C", 4), img).display, "Yes");
    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "PhaseCT", 0), img).display, "0 A");  // zero image shows 0

    // A curve value with no name shows nothing rather than a wrong name.
    put_word(img, "0182", 14);
    const auto unknown = view_setpoint(entry("SETPAGE6", "Page6C", 0), img);
    EXPECT_EQ(unknown.display, "");
    EXPECT_EQ(unknown.raw, 14);
}

TEST(SetpointView, ChecksLimitsStepGridAndListedChoices) {
    const auto& delay = entry("SETPAGE6", "Word_TresR1", 0);
    EXPECT_FALSE(check_setpoint(delay, 99).has_value());
    EXPECT_FALSE(check_setpoint(delay, 60000).has_value());
    EXPECT_EQ(check_setpoint(delay, 555), "not a multiple of its step 10");
    EXPECT_EQ(check_setpoint(delay, 1050), "not a multiple of its step 100");
    EXPECT_EQ(check_setpoint(delay, 4), "outside 5..60000");

    // One range: the grid of SmallChange, as the numeric entry dialog checks it.
    const auto& ct = entry("SETPAGE2", "PhaseCT", 0);
    EXPECT_FALSE(check_setpoint(ct, 5000).has_value());
    EXPECT_EQ(check_setpoint(ct, 7), "not a multiple of its step 5");
    EXPECT_EQ(check_setpoint(ct, 70000), "does not fit its field");

    const auto& curve = entry("SETPAGE6", "Page6C", 1);
    EXPECT_FALSE(check_setpoint(curve, 12).has_value());
    EXPECT_EQ(check_setpoint(curve, 13), "not a listed choice");
    EXPECT_EQ(check_setpoint(entry("SETPAGE2", "Combo1"), 0), "not a listed choice");
    EXPECT_FALSE(check_setpoint(entry("SETPAGE2", "chkDiscrep", 0), 15).has_value());
}

}  // namespace
}  // namespace neva
