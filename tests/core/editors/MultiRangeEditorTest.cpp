#include <gtest/gtest.h>

#include "editors/MultiRangeEditor.h"
#include "editors/NumericEntry.h"
#include "image/Manejo_de_Datos.h"
#include "testing/ScriptedMessages.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

PropertyStore pickup_set(bool word = true) {
    PropertyStore s;
    s.set("Direccion", "0186");
    if (word) s.set("Datalen", "1");
    for (auto [k, v] : {std::pair{"Cambio_de_paso", "100"}, {"Inc_A", "1"}, {"Inc_B", "10"}, {"Min", "4"},
                        {"Max", "1800"}, {"Paso_A", "1"}, {"Paso_B", "1"}, {"Formato", "#0"}, {"Medida", "%CT"}})
        s.set(k, v);
    return s;
}

PropertyStore delay_set() {
    PropertyStore s;
    for (auto [k, v] : {std::pair{"Direccion", "0184"}, {"DataLen", "1"}, {"Cambio_A", "100"}, {"Cambio_B", "1000"},
                        {"Inc_A", "1"}, {"Inc_B", "10"}, {"Inc_C", "100"}, {"Paso_A", "0.01"}, {"Paso_B", "0.01"},
                        {"Paso_C", "0.01"}, {"FormatoA", "#0.00"}, {"FormatoB", "#0.0"}, {"FormatoC", "#0"},
                        {"Min", "5"}, {"Max", "60000"}, {"Medida", "Sec"}})
        s.set(k, v);
    return s;
}

struct Fixture {
    RegisterImages img;
    CalcHandover calc;
    int changes = 0;

    void stored(std::string_view address, int v) {
        testing::put_word(img.Imagen_Setpoints, address, static_cast<std::uint16_t>(v));
    }
    int edit(std::string_view address) const { return testing::word(img.Imagen_Edicion, address); }
    // Loads the editor from the stored value v, takes one step, returns the new value and text.
    std::pair<int, std::string> step_from(MultiRangeEditor& e, std::string_view address, int v, bool up) {
        stored(address, v);
        e.Inicializacion();
        up ? e.spin_up() : e.spin_down();
        return {e.Value, e.Text};
    }
};

TEST(MultiRangeEditor, TwoRangesStepByTheRangeOfTheValueBeforeTheStep) {
    Fixture f;
    MultiRangeEditor e(ControlKind::Word_DosR, pickup_set(), f.img, f.calc);
    e.on_change = [&] { ++f.changes; };
    EXPECT_EQ(f.step_from(e, "0186", 100, false), (std::pair<int, std::string>{99, "99 %CT"}));
    EXPECT_EQ(f.edit("0186"), 99);
    EXPECT_EQ(f.step_from(e, "0186", 100, true), (std::pair<int, std::string>{110, "110 %CT"}));
    EXPECT_EQ(f.step_from(e, "0186", 99, true).first, 100);
    // Off the grid (as a relay may hold it): the range's step from where it is.
    EXPECT_EQ(f.step_from(e, "0186", 105, false).first, 95);
    EXPECT_EQ(f.step_from(e, "0186", 105, true).first, 115);
    EXPECT_EQ(f.changes, 5);

    // At Min nothing happens: no write and no event.
    f.img.Imagen_Edicion = {};
    EXPECT_EQ(f.step_from(e, "0186", 4, false), (std::pair<int, std::string>{4, "4 %CT"}));
    EXPECT_EQ(f.edit("0186"), 0);
    EXPECT_EQ(f.changes, 5);
    f.stored("0186", 1800);
    e.Inicializacion();
    EXPECT_FALSE(e.spin_up());
    EXPECT_EQ(f.changes, 5);
}

TEST(MultiRangeEditor, ThreeRangesShowEachStepInThePatternOfItsRange) {
    Fixture f;
    MultiRangeEditor e(ControlKind::Word_TresR, delay_set(), f.img, f.calc);
    using R = std::pair<int, std::string>;
    EXPECT_EQ(f.step_from(e, "0184", 1000, true), (R{1100, "11 Sec"}));
    EXPECT_EQ(f.step_from(e, "0184", 1000, false), (R{990, "9.9 Sec"}));
    EXPECT_EQ(f.step_from(e, "0184", 100, false), (R{99, "0.99 Sec"}));
    EXPECT_EQ(f.step_from(e, "0184", 99, true), (R{100, "1.00 Sec"}));  // still in range A's pattern
    EXPECT_EQ(f.step_from(e, "0184", 999, true), (R{1009, "10.1 Sec"}));
    EXPECT_EQ(f.edit("0184"), 1009);

    // Inicializacion picks the pattern of the range that holds the value.
    f.stored("0184", 100);
    e.Inicializacion();
    EXPECT_EQ(e.Text, "1.0 Sec");
    f.stored("0184", 60000);
    e.Inicializacion();
    EXPECT_EQ(e.Text, "600 Sec");
    EXPECT_FALSE(e.spin_up());
}

TEST(MultiRangeEditor, NumericEntryLandsOnTheRangeDisplay) {
    Fixture f;
    testing::ScriptedMessages msgs;
    MultiRangeEditor e(ControlKind::Word_TresR, delay_set(), f.img, f.calc);
    int clicks = 0;
    e.on_click = [&] { ++clicks; };
    f.stored("0184", 5);
    e.Inicializacion();
    ASSERT_TRUE(e.click_value_box([&] {
        EXPECT_EQ(f.calc.Calc_Tipo, 3);
        NumericEntry d(f.calc, msgs);
        d.load();
        d.press_digit(2);
        d.press_point();
        d.press_digit(5);
        EXPECT_TRUE(d.ok());
    }));
    EXPECT_EQ(e.Text, "2.5 Sec");
    EXPECT_EQ(f.edit("0184"), 250);
    EXPECT_EQ(clicks, 1);
}

TEST(MultiRangeEditor, ByteFieldRefusesStepsAndEntriesBeyond255) {
    // The word editors default to a one-byte field; a set that forgets DataLen must
    // never write a cut value.
    Fixture f;
    testing::ScriptedMessages msgs;
    MultiRangeEditor e(ControlKind::Word_DosR, pickup_set(false), f.img, f.calc);
    e.on_change = [&] { ++f.changes; };
    f.img.Imagen_Setpoints[Posicion_Setpoint("0186") + 1] = 250;
    e.Inicializacion();
    EXPECT_EQ(e.Value, 250);
    EXPECT_FALSE(e.spin_up());
    EXPECT_EQ(e.Text, "250 %CT");
    EXPECT_EQ(f.changes, 0);
    EXPECT_EQ(f.edit("0186"), 0);
    EXPECT_TRUE(e.spin_down());
    EXPECT_EQ(f.edit("0186"), 240);

    msgs.expect_message("Out of Range", kAppTitle, MsgButtons::Ok, MsgIcon::None);
    EXPECT_TRUE(e.click_value_box([&] {
        EXPECT_EQ(f.calc.capacity_max, 255);
        NumericEntry d(f.calc, msgs);
        d.load();
        d.set_pantalla("300");
        EXPECT_FALSE(d.ok());  // inside Min..Max, beyond the byte
        d.cancel();
    }));
    EXPECT_EQ(e.Value, 240);
}

}  // namespace
}  // namespace neva
