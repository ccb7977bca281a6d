// The setpoint editors on a register image: what each shows, what a step or an
// entry writes into the edit image, and what they must never write.

#include <gtest/gtest.h>

#include <type_traits>

#include "editors/BitFieldSelector.h"
#include "editors/MultiRangeEditor.h"
#include "editors/NumericEntry.h"
#include "editors/SingleRangeEditor.h"
#include "image/Manejo_de_Datos.h"
#include "regmap/RegisterMap.h"
#include "testing/ScriptedMessages.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

using KV = std::initializer_list<std::pair<const char*, const char*>>;
using R = std::pair<int, std::string>;

PropertyStore store(KV kv) {
    PropertyStore s;
    for (auto [k, v] : kv) s.set(k, v);
    return s;
}

const PropertyStore kCurrent = store({{"Direccion", "0114"}, {"Min", "0"}, {"Max", "100"}, {"SmallChange", "5"},
                                      {"Paso", "0.1"}, {"Formato", "#0.0"}, {"Medida", "A"}});
const KV kPickup = {{"Direccion", "0186"}, {"Cambio_de_paso", "100"}, {"Inc_A", "1"}, {"Inc_B", "10"}, {"Min", "4"},
                    {"Max", "1800"}, {"Paso_A", "1"}, {"Paso_B", "1"}, {"Formato", "#0"}, {"Medida", "%CT"}};
const PropertyStore kDelay =
    store({{"Direccion", "0184"}, {"DataLen", "1"}, {"Cambio_A", "100"}, {"Cambio_B", "1000"}, {"Inc_A", "1"},
           {"Inc_B", "10"}, {"Inc_C", "100"}, {"Paso_A", "0.01"}, {"Paso_B", "0.01"}, {"Paso_C", "0.01"},
           {"FormatoA", "#0.00"}, {"FormatoB", "#0.0"}, {"FormatoC", "#0"}, {"Min", "5"}, {"Max", "60000"},
           {"Medida", "Sec"}});

struct Editors : ::testing::Test {
    RegisterImages img;
    CalcHandover calc;
    testing::ScriptedMessages msgs;
    int changes = 0, clicks = 0;

    template <class E>
    E& watch(E& e) {
        e.on_change = [this] { ++changes; };
        if constexpr (std::is_base_of_v<NumericEditor, E>) e.on_click = [this] { ++clicks; };
        return e;
    }
    void stored(std::string_view address, int v) { testing::put_word(img.Imagen_Setpoints, address, v); }
    // The relay's value, in the stored and the edit image alike.
    void both(std::string_view address, int v) {
        stored(address, v);
        testing::put_word(img.Imagen_Edicion, address, v);
    }
    int edit(std::string_view address) const { return testing::word(img.Imagen_Edicion, address); }
    // Loads the editor from the stored value v, takes one step, returns the new value and text.
    R step_from(NumericEditor& e, std::string_view address, int v, bool up) {
        stored(address, v);
        e.Inicializacion();
        up ? e.spin_up() : e.spin_down();
        return {e.Value, e.Text};
    }
    // Runs the numeric entry from a click on the value box: types `typed`, then OK or Cancel.
    bool enter(NumericEditor& e, const char* typed, bool cancel = false) {
        return e.click_value_box([&] {
            NumericEntry d(calc, msgs);
            d.load();
            d.set_pantalla(typed);
            if (cancel || !d.ok()) d.cancel();  // a refused value is cancelled, as the user would
        });
    }
};

TEST_F(Editors, SingleRangeShowsWithoutWritingAndWritesEveryStep) {
    stored("0114", 10);
    SingleRangeEditor e(ControlKind::Byte_UnR, kCurrent, img, calc);
    watch(e);
    EXPECT_TRUE(e.Inicializacion());
    EXPECT_EQ(e.Valor(), "1.0 A");
    EXPECT_EQ(edit("0114"), 0);  // loading writes nothing and raises nothing
    EXPECT_EQ(changes, 0);

    EXPECT_TRUE(e.spin_up());
    EXPECT_EQ(e.Text, "1.5 A");
    EXPECT_EQ(edit("0114"), 15);
    EXPECT_EQ(e.Texto_Hex(), "0000000F");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(e.Valor(), "1.0 A");  // Valor keeps the text of the last Inicializacion
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(e.spin_down());
    // At Min the display stays, yet the value is written again and Change is raised.
    img.Imagen_Edicion[41] = 0x77;
    EXPECT_TRUE(e.spin_down());
    EXPECT_EQ((R{e.Value, e.Text}), (R{0, "0.0 A"}));
    EXPECT_EQ(edit("0114"), 0);
    EXPECT_EQ(changes, 5);

    // A word field writes both bytes.
    SingleRangeEditor w(ControlKind::Byte_UnR, store({{"Direccion", "0114"}, {"Max", "1000"}, {"SmallChange", "10"}, {"Paso", "1"}}),
                        img, calc);
    w.Inicializacion();
    w.Value = 290;
    EXPECT_TRUE(w.spin_up());
    EXPECT_EQ(edit("0114"), 300);

    // The step is not clipped at the bound: past Max nothing more, still written and announced.
    SingleRangeEditor c(ControlKind::Byte_UnR,
                        store({{"Direccion", "0114"}, {"Min", "5"}, {"Max", "20"}, {"SmallChange", "10"}, {"Paso", "1"}}),
                        img, calc);
    watch(c);
    stored("0114", 15);
    c.Inicializacion();
    EXPECT_TRUE(c.spin_up());
    EXPECT_TRUE(c.spin_up());
    EXPECT_EQ(c.Value, 25);
    EXPECT_EQ(edit("0114"), 25);
    EXPECT_EQ(changes, 7);
}

TEST_F(Editors, NoEditorEverCutsAValueToFitItsField) {
    // Inconsistent sets (Max beyond a byte, Min below 0, a word editor that forgot
    // DataLen) must still never write a cut value.
    SingleRangeEditor e(ControlKind::Byte_UnR,
                        store({{"Direccion", "0114"}, {"DataLen", "0"}, {"High", "0"}, {"Max", "300"},
                               {"SmallChange", "10"}, {"Paso", "1"}, {"Formato", "#0"}}),
                        img, calc);
    watch(e);
    img.Imagen_Setpoints[41] = img.Imagen_Edicion[41] = 250;
    e.Inicializacion();
    EXPECT_FALSE(e.spin_up());
    EXPECT_EQ(e.Text, "250 0");
    EXPECT_EQ(edit("0114"), 250);
    SingleRangeEditor low(ControlKind::Byte_UnR,
                          store({{"Direccion", "0114"}, {"Min", "-20"}, {"Max", "100"}, {"SmallChange", "10"}, {"Paso", "1"}}),
                          img, calc);
    watch(low);
    EXPECT_FALSE(low.spin_down());
    EXPECT_EQ(low.Value, 0);
    EXPECT_EQ(changes, 0);

    MultiRangeEditor m(ControlKind::Word_DosR, store(kPickup), img, calc);
    watch(m);
    img.Imagen_Edicion = {};
    img.Imagen_Setpoints[Posicion_Setpoint("0186") + 1] = 250;
    m.Inicializacion();
    EXPECT_FALSE(m.spin_up());
    EXPECT_EQ(m.Text, "250 %CT");
    EXPECT_EQ(edit("0186"), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(m.spin_down());
    EXPECT_EQ(edit("0186"), 240);
    // Inside Min..Max, beyond the byte: the entry refuses it.
    msgs.expect_message("Out of Range", kAppTitle, MsgButtons::Ok, MsgIcon::None);
    EXPECT_TRUE(enter(m, "300"));
    EXPECT_EQ(calc.capacity_max, 255);
    EXPECT_EQ(m.Value, 240);
}

TEST_F(Editors, NumericEntryResultIsWrittenAndCancelWritesTheOldValueAgain) {
    stored("0114", 15);
    SingleRangeEditor e(ControlKind::Byte_UnR, kCurrent, img, calc);
    watch(e);
    e.Inicializacion();
    EXPECT_TRUE(enter(e, "7.5"));
    EXPECT_FLOAT_EQ(calc.Calc_Escala_A, 10.0f);
    EXPECT_EQ(e.Text, "7.5 A");
    EXPECT_EQ(e.Dato, "&H004B");
    EXPECT_EQ(edit("0114"), 75);
    EXPECT_EQ((std::pair{clicks, changes}), (std::pair{1, 0}));
    img.Imagen_Edicion[41] = 0;
    EXPECT_TRUE(enter(e, "7", true));
    EXPECT_EQ(edit("0114"), 75);
    EXPECT_EQ(clicks, 2);

    // Without a scale there is nothing to convert: no dialog at all.
    SingleRangeEditor noscale(ControlKind::Byte_UnR, store({{"Direccion", "0114"}, {"Max", "10"}}), img, calc);
    bool shown = false;
    EXPECT_FALSE(noscale.click_value_box([&] { shown = true; }));
    EXPECT_FALSE(shown);

    // A three-range delay lands on its range's display.
    MultiRangeEditor d(ControlKind::Word_TresR, kDelay, img, calc);
    stored("0184", 5);
    d.Inicializacion();
    EXPECT_TRUE(enter(d, "2.5"));
    EXPECT_EQ(d.Text, "2.5 Sec");
    EXPECT_EQ(edit("0184"), 250);
}

TEST_F(Editors, MultiRangeStepsByTheRangeOfTheValueBeforeTheStep) {
    PropertyStore pickup = store(kPickup);
    pickup.set("Datalen", "1");
    MultiRangeEditor e(ControlKind::Word_DosR, pickup, img, calc);
    watch(e);
    EXPECT_EQ(step_from(e, "0186", 100, false), (R{99, "99 %CT"}));
    EXPECT_EQ(edit("0186"), 99);
    EXPECT_EQ(step_from(e, "0186", 100, true), (R{110, "110 %CT"}));
    EXPECT_EQ(step_from(e, "0186", 99, true).first, 100);
    // Off the grid (as a relay may hold it): the range's step from where it is.
    EXPECT_EQ(step_from(e, "0186", 105, false).first, 95);
    EXPECT_EQ(step_from(e, "0186", 105, true).first, 115);
    EXPECT_EQ(changes, 5);
    // At Min and Max nothing happens: no write and no event.
    img.Imagen_Edicion = {};
    EXPECT_EQ(step_from(e, "0186", 4, false), (R{4, "4 %CT"}));
    EXPECT_EQ(step_from(e, "0186", 1800, true), (R{1800, "1800 %CT"}));
    EXPECT_EQ(edit("0186"), 0);
    EXPECT_EQ(changes, 5);

    // Three ranges: each step shows in the pattern of its range.
    MultiRangeEditor d(ControlKind::Word_TresR, kDelay, img, calc);
    EXPECT_EQ(step_from(d, "0184", 1000, true), (R{1100, "11 Sec"}));
    EXPECT_EQ(step_from(d, "0184", 1000, false), (R{990, "9.9 Sec"}));
    EXPECT_EQ(step_from(d, "0184", 100, false), (R{99, "0.99 Sec"}));
    EXPECT_EQ(step_from(d, "0184", 99, true), (R{100, "1.00 Sec"}));  // still in range A's pattern
    EXPECT_EQ(step_from(d, "0184", 999, true), (R{1009, "10.1 Sec"}));
    EXPECT_EQ(edit("0184"), 1009);
    // Inicializacion picks the pattern of the range that holds the value.
    stored("0184", 100);
    d.Inicializacion();
    EXPECT_EQ(d.Text, "1.0 Sec");
    stored("0184", 60000);
    d.Inicializacion();
    EXPECT_EQ(d.Text, "600 Sec");
}

TEST_F(Editors, BitFieldsSelectAndRewriteOnlyTheirBits) {
    PropertyStore one = store({{"Direccion", "0101"}, {"DataLen", "1"}, {"Bit1", "10"}, {"Nombre1", "No"}, {"Nombre2", "Yes"}});
    BitFieldSelector s(one, img);
    watch(s);
    s.Crear_Items();
    ASSERT_EQ(s.ListCount(), 2);
    both("0101", 0x0400 | 0x1234);
    EXPECT_TRUE(s.Inicializacion());
    EXPECT_EQ(s.ListIndex(), 1);
    EXPECT_EQ(s.Valor(), "Yes");
    EXPECT_EQ(changes, 1);  // the selection is written back like a user's choice
    EXPECT_EQ(edit("0101"), 0x1634);
    EXPECT_TRUE(s.choose(0));
    EXPECT_EQ(edit("0101"), 0x1234);
    EXPECT_FALSE(s.choose(2));
    EXPECT_EQ(changes, 2);

    // A byte field (High) reaches only its byte.
    one.erase("DataLen");
    one.set("High", "1");
    one.set("Bit1", "3");
    BitFieldSelector high(one, img);
    high.Crear_Items();
    both("0101", 0x00FF);
    high.choose(1);
    EXPECT_EQ(edit("0101"), 0x08FF);

    // The curve of the phase timed element keeps the register's other bits.
    BitFieldSelector curve(shipped_register_map().find("SETPAGE6", "Page6C", 0)->properties, img);
    curve.Crear_Items();
    both("0182", 0xABC9);
    curve.Inicializacion();
    EXPECT_EQ(curve.Valor(), "IEC Short Time");
    curve.choose(2);
    EXPECT_EQ(edit("0182"), 0xABC2);
    EXPECT_EQ(curve.Texto_Hex(), "ABC2");

    // Scattered bits carry their weights.
    BitFieldSelector sc(store({{"Direccion", "0110"}, {"DataLen", "1"}, {"Tipo", "2"}, {"Bit1", "10"}, {"Bit2", "6"},
                               {"Bit3", "7"}, {"Cantidad_Items", "8"}}),
                        img);
    sc.Crear_Items();
    ASSERT_EQ(sc.ListCount(), 8);
    both("0110", 0xFFFF);
    sc.choose(5);  // 101b: bits 10 and 7 set, bit 6 clear
    EXPECT_EQ(edit("0110"), 0xFFBF);
    both("0110", (1 << 10) | (1 << 6));
    sc.Inicializacion();
    EXPECT_EQ(sc.ListIndex(), 3);
}

TEST_F(Editors, BitFieldValuesWithoutANameWriteNothing) {
    // Entry 2 x 2 = 4 cannot be held by two bits: rounded to the entry, nothing written.
    BitFieldSelector s(store({{"Direccion", "0110"}, {"DataLen", "1"}, {"Tipo", "1"}, {"Bit2", "1"}, {"Paso", "2"},
                              {"Cantidad_Items", "4"}}),
                       img);
    s.Crear_Items();
    both("0110", 3);
    s.Inicializacion();
    EXPECT_EQ(s.ListIndex(), 2);
    EXPECT_EQ(edit("0110"), 3);

    // A curve value with no name: nothing selected, the register kept.
    BitFieldSelector curve(shipped_register_map().find("SETPAGE6", "Page6C", 1)->properties, img);
    watch(curve);
    curve.Crear_Items();
    both("018D", 0x000F);
    EXPECT_TRUE(curve.Inicializacion());
    EXPECT_EQ(curve.ListIndex(), -1);
    EXPECT_EQ(curve.Valor(), "");
    EXPECT_EQ(edit("018D"), 0x000F);
    EXPECT_EQ(changes, 0);
}

using testing::ScriptedMessages;

// The hand-over of the phase timed delay editor of the shipped map (steps 0.01 /
// 0.1 / 1 s), holding `value`.
CalcHandover delay_handover(std::int32_t value) {
    RegisterImages img;
    CalcHandover c;
    MultiRangeEditor e(ControlKind::Word_TresR, shipped_register_map().find("SETPAGE6", "Word_TresR1", 0)->properties,
                       img, c);
    e.Value = value;
    e.fill_handover(c);
    return c;
}

void expect_box(ScriptedMessages& m, const char* text) {
    m.expect_message(text, kAppTitle, MsgButtons::Ok, MsgIcon::None);
}

TEST(NumericEntry, LabelsOfOneTwoAndThreeRanges) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    d.load();
    EXPECT_EQ(d.Viejo(), "2.5 Sec");
    EXPECT_EQ(d.Rango(), "0.05 To 600 Sec");
    EXPECT_EQ(d.Incremento(), "0.01: For Values < 1.00 Sec");
    EXPECT_EQ(d.Incremento_b(), "0.1: For Values >= 1.0 AND < 10.0 Sec");
    EXPECT_EQ(d.Incremento_c(), "1: For Values >= 10 Sec");
    EXPECT_TRUE(d.incremento_b_visible() && d.incremento_c_visible());
    c.Calc_Valor = 1000;
    d.load();
    EXPECT_EQ(d.Viejo(), "10 Sec");

    RegisterImages img;
    const PropertyStore pulse = store({{"Titulo", "Aux. 1 Relay Pulse Time:"}, {"Min", "1"}, {"Max", "20"},
                                       {"SmallChange", "1"}, {"Paso", "0.1"}, {"Formato", "#0.0"}, {"Medida", "Sec"},
                                       {"Value", "15"}});
    SingleRangeEditor(ControlKind::Byte_UnR, pulse, img, c).fill_handover(c);
    d.load();
    EXPECT_EQ(d.Viejo(), "1.5 Sec");
    EXPECT_EQ(d.Rango(), "0.1 To 2.0 Sec");
    EXPECT_EQ(d.Incremento(), "0.1");
    EXPECT_FALSE(d.incremento_b_visible() || d.incremento_c_visible());

    PropertyStore pickup = store(kPickup);
    pickup.set("Datalen", "1");
    pickup.set("Value", "150");
    MultiRangeEditor(ControlKind::Word_DosR, pickup, img, c).fill_handover(c);
    d.load();
    EXPECT_EQ(d.Viejo(), "150 %CT");
    EXPECT_EQ(d.Rango(), "4 To 1800 %CT");
    EXPECT_EQ(d.Incremento(), "1: For Values < 100 %CT");
    EXPECT_EQ(d.Incremento_b(), "10: For Values >= 100 %CT");
    EXPECT_FALSE(d.incremento_c_visible());
}

TEST(NumericEntry, AcceptsOnlyValuesOnTheGridOfTheirRangeAndCancelRestores) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    // The boundaries belong to the upper range.
    EXPECT_EQ(std::vector<int>({d.step_for(99), d.step_for(100), d.step_for(1000)}), std::vector<int>({1, 10, 100}));
    auto reload = [&] { c.Calc_Tipo = 3, d.load(); };  // as the next click hands it over again
    for (auto [typed, raw] : {std::pair{"1", 100}, {"10", 1000}, {"0.05", 5}}) {
        reload();
        d.set_pantalla(typed);
        EXPECT_TRUE(d.ok()) << typed;
        EXPECT_EQ(c.Calc_Resultado, raw);
    }
    reload();
    int closes = 0;
    d.on_close = [&] { ++closes; };

    for (const char* off_grid : {"10.5", "5.55"}) {
        expect_box(msgs, "Incorrect Range");
        d.set_pantalla(off_grid);
        EXPECT_FALSE(d.ok());
    }
    EXPECT_EQ(c.Calc_Resultado, 555);  // the refused value stays until OK succeeds or Cancel
    EXPECT_FALSE(d.closed());

    for (const char* outside : {"600.01", "99999999999999"}) {  // the second too large for any register
        expect_box(msgs, "Out of Range");
        d.set_pantalla(outside);
        EXPECT_FALSE(d.ok());
    }

    d.press_ce();
    d.press_digit(5);
    d.press_point();
    d.press_digit(5);
    EXPECT_EQ(d.Pantalla(), "5.5");
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 550);
    EXPECT_EQ(c.Calc_Hex, "&H0226");
    EXPECT_TRUE(d.closed() && d.accepted());
    EXPECT_EQ(closes, 1);
    msgs.verify();

    // Cancel hands back the old value.
    CalcHandover c2 = delay_handover(250);
    NumericEntry d2(c2, msgs);
    d2.load();
    d2.set_pantalla("7");
    d2.cancel();
    EXPECT_EQ(c2.Calc_Resultado, 250);
    EXPECT_EQ(c2.Calc_Hex, "&H00FA");
    EXPECT_TRUE(d2.closed() && !d2.accepted());
}

TEST(NumericEntry, EmptyDisplayRoundingToEvenAndFieldCapacity) {
    ScriptedMessages msgs;
    CalcHandover c;
    c.Calc_Tipo = 1;
    c.Calc_Min = 0;
    c.Calc_Max = 10;
    c.Calc_Inc_A = 1;
    c.Calc_Escala_A = 1.0f;
    NumericEntry d(c, msgs);
    d.load();
    EXPECT_TRUE(d.ok());  // empty text is 0, inside the limits
    EXPECT_EQ(c.Calc_Hex, "&H0000");
    for (auto [typed, result] : {std::pair{"2.5", 2}, {"3.5 A", 4}}) {  // the leading number counts
        d.load();
        d.set_pantalla(typed);
        EXPECT_TRUE(d.ok());
        EXPECT_EQ(c.Calc_Resultado, result);
    }

    c.Calc_Min = 1;
    d.load();
    d.set_pantalla("abc");
    expect_box(msgs, "Out of Range");
    EXPECT_FALSE(d.ok());

    // An inconsistent Max on a byte field: the field's capacity refuses.
    c.Calc_Max = 1000;
    c.capacity_max = 255;
    d.load();
    expect_box(msgs, "Out of Range");
    d.set_pantalla("256");
    EXPECT_FALSE(d.ok());
    d.set_pantalla("255");
    EXPECT_TRUE(d.ok());
}

}  // namespace
}  // namespace neva
