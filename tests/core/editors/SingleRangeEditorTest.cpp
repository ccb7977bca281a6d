#include <gtest/gtest.h>

#include "editors/NumericEntry.h"
#include "editors/SingleRangeEditor.h"
#include "image/Manejo_de_Datos.h"
#include "testing/ScriptedMessages.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

PropertyStore store(std::initializer_list<std::pair<const char*, const char*>> kv) {
    PropertyStore s;
    for (auto [k, v] : kv) s.set(k, v);
    return s;
}

struct Fixture {
    RegisterImages img;
    CalcHandover calc;
    int changes = 0, clicks = 0;

    void watch(NumericEditor& e) {
        e.on_change = [this] { ++changes; };
        e.on_click = [this] { ++clicks; };
    }
    int edit_word(std::string_view address) const { return testing::word(img.Imagen_Edicion, address); }
    void set_stored_word(std::string_view address, int v) {
        testing::put_word(img.Imagen_Setpoints, address, static_cast<std::uint16_t>(v));
    }
};

const PropertyStore kCurrent = store({{"Direccion", "0114"}, {"Min", "0"}, {"Max", "100"}, {"SmallChange", "5"},
                                      {"Paso", "0.1"}, {"Formato", "#0.0"}, {"Medida", "A"}});

TEST(SingleRangeEditor, InicializacionShowsTheStoredFieldWithoutWriting) {
    Fixture f;
    f.set_stored_word("0114", 15);
    SingleRangeEditor e(ControlKind::Byte_UnR, kCurrent, f.img, f.calc);
    f.watch(e);
    EXPECT_TRUE(e.Inicializacion());
    EXPECT_EQ(e.Value, 15);
    EXPECT_EQ(e.Valor(), "1.5 A");
    EXPECT_EQ(f.edit_word("0114"), 0);
    EXPECT_EQ(f.changes, 0);
}

TEST(SingleRangeEditor, SpinStepsWriteEveryChangeAndRaiseChange) {
    Fixture f;
    f.set_stored_word("0114", 10);
    SingleRangeEditor e(ControlKind::Byte_UnR, kCurrent, f.img, f.calc);
    f.watch(e);
    e.Inicializacion();

    EXPECT_TRUE(e.spin_up());
    EXPECT_EQ(e.Text, "1.5 A");
    EXPECT_EQ(f.edit_word("0114"), 15);
    EXPECT_EQ(e.Texto_Hex(), "0000000F");
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(e.Valor(), "1.0 A");  // Valor keeps the text of the last Inicializacion

    for (int i = 0; i < 3; ++i) EXPECT_TRUE(e.spin_down());
    EXPECT_EQ(e.Value, 0);

    // At Min the display stays, yet the value is written again and Change is raised.
    f.img.Imagen_Edicion[41] = 0x77;
    EXPECT_TRUE(e.spin_down());
    EXPECT_EQ(e.Value, 0);
    EXPECT_EQ(e.Text, "0.0 A");
    EXPECT_EQ(f.edit_word("0114"), 0);
    EXPECT_EQ(f.changes, 5);

    // A word field writes both bytes.
    SingleRangeEditor w(ControlKind::Byte_UnR, store({{"Direccion", "0114"}, {"Max", "1000"}, {"SmallChange", "10"}, {"Paso", "1"}}),
                        f.img, f.calc);
    w.Inicializacion();
    w.Value = 290;
    EXPECT_TRUE(w.spin_up());
    EXPECT_EQ(f.img.Imagen_Edicion[40], 0x01);
    EXPECT_EQ(f.img.Imagen_Edicion[41], 0x2C);
}

TEST(SingleRangeEditor, StepIsNotClippedAtTheBound) {
    Fixture f;
    f.set_stored_word("0114", 15);
    SingleRangeEditor e(ControlKind::Byte_UnR,
                        store({{"Direccion", "0114"}, {"Min", "5"}, {"Max", "20"}, {"SmallChange", "10"}, {"Paso", "1"},
                               {"Formato", "#0"}, {"Medida", ""}}),
                        f.img, f.calc);
    f.watch(e);
    e.Inicializacion();
    EXPECT_TRUE(e.spin_up());
    EXPECT_EQ(e.Value, 25);
    EXPECT_TRUE(e.spin_up());  // past Max: nothing more, but still written and announced
    EXPECT_EQ(e.Value, 25);
    EXPECT_EQ(f.edit_word("0114"), 25);
    EXPECT_EQ(f.changes, 2);
}

TEST(SingleRangeEditor, RefusesStepsThatLeaveTheField) {
    Fixture f;
    // An inconsistent set (Max beyond a byte) must still never cut a value.
    SingleRangeEditor e(ControlKind::Byte_UnR,
                        store({{"Direccion", "0114"}, {"DataLen", "0"}, {"High", "0"}, {"Max", "300"},
                               {"SmallChange", "10"}, {"Paso", "1"}, {"Formato", "#0"}}),
                        f.img, f.calc);
    f.watch(e);
    f.img.Imagen_Setpoints[41] = 250;
    e.Inicializacion();
    f.img.Imagen_Edicion[41] = 250;
    EXPECT_FALSE(e.spin_up());
    EXPECT_EQ(e.Text, "250 0");
    EXPECT_EQ(f.img.Imagen_Edicion[41], 250);
    EXPECT_EQ(f.img.Imagen_Edicion[40], 0);
    EXPECT_EQ(f.changes, 0);

    // Below 0 likewise, whatever Min says.
    SingleRangeEditor low(ControlKind::Byte_UnR,
                          store({{"Direccion", "0114"}, {"Min", "-20"}, {"Max", "100"}, {"SmallChange", "10"}, {"Paso", "1"}}),
                          f.img, f.calc);
    f.watch(low);
    EXPECT_FALSE(low.spin_down());
    EXPECT_EQ(low.Value, 0);
    EXPECT_EQ(f.changes, 0);
}

TEST(SingleRangeEditor, NumericEntryHandsOverAndWritesTheResult) {
    Fixture f;
    testing::ScriptedMessages msgs;
    f.set_stored_word("0114", 15);
    SingleRangeEditor e(ControlKind::Byte_UnR, kCurrent, f.img, f.calc);
    f.watch(e);
    e.Inicializacion();

    bool cancel = false;
    auto dialog = [&] {
        EXPECT_FLOAT_EQ(f.calc.Calc_Escala_A, 10.0f);
        NumericEntry d(f.calc, msgs);
        d.load();
        d.set_pantalla("7.5");
        if (cancel) d.cancel();
        else EXPECT_TRUE(d.ok());
    };
    EXPECT_TRUE(e.click_value_box(dialog));
    EXPECT_EQ(e.Text, "7.5 A");
    EXPECT_EQ(e.Dato, "&H004B");
    EXPECT_EQ(f.edit_word("0114"), 75);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.changes, 0);

    // Cancelling writes the unchanged value again and still raises Click.
    f.img.Imagen_Edicion[41] = 0;
    cancel = true;
    EXPECT_TRUE(e.click_value_box(dialog));
    EXPECT_EQ(f.edit_word("0114"), 75);
    EXPECT_EQ(f.clicks, 2);

    // Without a scale there is nothing to convert: no dialog at all.
    SingleRangeEditor noscale(ControlKind::Byte_UnR, store({{"Direccion", "0114"}, {"Max", "10"}}), f.img, f.calc);
    bool shown = false;
    EXPECT_FALSE(noscale.click_value_box([&] { shown = true; }));
    EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace neva
