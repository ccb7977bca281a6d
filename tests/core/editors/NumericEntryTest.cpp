#include <gtest/gtest.h>

#include "editors/MultiRangeEditor.h"
#include "editors/NumericEntry.h"
#include "editors/SingleRangeEditor.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

using testing::ScriptedMessages;

// The hand-over of the typical three-range delay editor (steps 0.01 / 0.1 / 1 s).
CalcHandover delay_handover(std::int32_t value) {
    CalcHandover c;
    c.Calc_Tipo = 3;
    c.Calc_Titulo = "Phase Timed O/C Delay:";
    c.Calc_Min = 5;
    c.Calc_Max = 60000;
    c.Calc_Valor = value;
    c.Calc_Medida = "Sec";
    c.Calc_Inc_A = 1;
    c.Calc_Inc_B = 10;
    c.Calc_Inc_C = 100;
    c.Calc_Cambio_A = 100;
    c.Calc_Cambio_B = 1000;
    c.Calc_Escala_A = c.Calc_Escala_B = c.Calc_Escala_C = 100.0f;
    c.Calc_FormatoA = "#0.#0";
    c.Calc_FormatoB = "#0.0";
    c.Calc_FormatoC = "#0";
    c.capacity_max = 65535;
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
    PropertyStore pulse;
    for (auto [k, v] : {std::pair{"Titulo", "Aux. 1 Relay Pulse Time:"}, {"Min", "1"}, {"Max", "20"},
                        {"SmallChange", "1"}, {"Paso", "0.1"}, {"Formato", "#0.0"}, {"Medida", "Sec"}, {"Value", "15"}})
        pulse.set(k, v);
    SingleRangeEditor(ControlKind::Byte_UnR, pulse, img, c).fill_handover(c);
    d.load();
    EXPECT_EQ(d.Viejo(), "1.5 Sec");
    EXPECT_EQ(d.Rango(), "0.1 To 2.0 Sec");
    EXPECT_EQ(d.Incremento(), "0.1");
    EXPECT_FALSE(d.incremento_b_visible() || d.incremento_c_visible());

    PropertyStore pickup;
    for (auto [k, v] : {std::pair{"Datalen", "1"}, {"Cambio_de_paso", "100"}, {"Inc_A", "1"}, {"Inc_B", "10"},
                        {"Min", "4"}, {"Max", "1800"}, {"Paso_A", "1"}, {"Medida", "%CT"}, {"Value", "150"}})
        pickup.set(k, v);
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
    d.load();
    int closes = 0;
    d.on_close = [&] { ++closes; };

    expect_box(msgs, "Incorrect Range");
    d.set_pantalla("5.55");
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 555);  // the refused value stays until OK succeeds or Cancel
    EXPECT_FALSE(d.closed());

    expect_box(msgs, "Out of Range");
    d.set_pantalla("600.01");
    EXPECT_FALSE(d.ok());

    expect_box(msgs, "Out of Range");
    d.set_pantalla("99999999999999");  // too large for any register value
    EXPECT_FALSE(d.ok());

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

TEST(NumericEntry, BoundariesBelongToTheUpperRange) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    EXPECT_EQ(d.step_for(99), 1);
    EXPECT_EQ(d.step_for(100), 10);
    EXPECT_EQ(d.step_for(1000), 100);
    auto accepts = [&](const char* typed) {
        c.Calc_Tipo = 3;
        d.load();
        d.set_pantalla(typed);
        return d.ok();
    };
    EXPECT_TRUE(accepts("0.05"));
    EXPECT_EQ(c.Calc_Resultado, 5);
    EXPECT_TRUE(accepts("1"));
    EXPECT_TRUE(accepts("10"));
    expect_box(msgs, "Incorrect Range");
    EXPECT_FALSE(accepts("10.5"));
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
