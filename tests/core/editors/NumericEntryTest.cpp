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

TEST(NumericEntry, ThreeRangeLabels) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    d.load();
    EXPECT_EQ(d.Titulo(), "Phase Timed O/C Delay:");
    EXPECT_EQ(d.Viejo(), "2.5 Sec");
    EXPECT_EQ(d.Rango(), "0.05 To 600 Sec");
    EXPECT_EQ(d.Incremento(), "0.01: For Values < 1.00 Sec");
    EXPECT_EQ(d.Incremento_b(), "0.1: For Values >= 1.0 AND < 10.0 Sec");
    EXPECT_EQ(d.Incremento_c(), "1: For Values >= 10 Sec");
    EXPECT_TRUE(d.incremento_b_visible() && d.incremento_c_visible());
    c.Calc_Valor = 99;
    d.load();
    EXPECT_EQ(d.Viejo(), "0.99 Sec");
    c.Calc_Valor = 1000;
    d.load();
    EXPECT_EQ(d.Viejo(), "10 Sec");
}

TEST(NumericEntry, OneAndTwoRangeLabelsFollowTheScale) {
    ScriptedMessages msgs;
    RegisterImages img;
    CalcHandover c;
    PropertyStore pulse;
    for (auto [k, v] : {std::pair{"Titulo", "Aux. 1 Relay Pulse Time:"}, {"Min", "1"}, {"Max", "20"},
                        {"SmallChange", "1"}, {"Paso", "0.1"}, {"Formato", "#0.0"}, {"Medida", "Sec"}, {"Value", "15"}})
        pulse.set(k, v);
    SingleRangeEditor(ControlKind::Byte_UnR, pulse, img, c).fill_handover(c);
    NumericEntry d(c, msgs);
    d.load();
    EXPECT_EQ(d.Titulo(), "Aux. 1 Relay Pulse Time:");
    EXPECT_EQ(d.Viejo(), "1.5 Sec");
    EXPECT_EQ(d.Rango(), "0.1 To 2.0 Sec");
    EXPECT_EQ(d.Incremento(), "0.1");
    EXPECT_FALSE(d.incremento_b_visible() || d.incremento_c_visible());

    PropertyStore block;
    for (auto [k, v] : {std::pair{"Min", "5"}, {"Max", "600"}, {"SmallChange", "1"}, {"Paso", "0.01"}, {"Medida", "Sec"},
                        {"Value", "150"}})
        block.set(k, v);
    SingleRangeEditor(ControlKind::Byte_UnR, block, img, c).fill_handover(c);
    d.load();
    EXPECT_EQ(d.Viejo(), "1.50 Sec");
    EXPECT_EQ(d.Rango(), "0.05 To 6.00 Sec");
    EXPECT_EQ(d.Incremento(), "0.01");

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
    EXPECT_TRUE(d.incremento_b_visible());
    EXPECT_FALSE(d.incremento_c_visible());
}

TEST(NumericEntry, AcceptsOnlyValuesOnTheGridOfTheirRange) {
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
    EXPECT_EQ(d.Pantalla(), "5.55");
    EXPECT_FALSE(d.closed());

    expect_box(msgs, "Out of Range");
    d.set_pantalla("600.01");
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 60001);

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
    EXPECT_EQ(c.Calc_Tipo, 1);
    EXPECT_TRUE(d.closed() && d.accepted());
    EXPECT_EQ(closes, 1);
    msgs.verify();
}

TEST(NumericEntry, BoundariesBelongToTheUpperRange) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    EXPECT_EQ(d.step_for(99), 1);
    EXPECT_EQ(d.step_for(100), 10);
    EXPECT_EQ(d.step_for(999), 10);
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

    c.Calc_Tipo = 2;
    c.Calc_Cambio_A = 100;
    c.Calc_Escala_A = 1.0f;
    c.Calc_Min = 0;
    EXPECT_EQ(d.step_for(99), 1);
    EXPECT_EQ(d.step_for(100), 10);
}

TEST(NumericEntry, EmptyDisplayAndRoundingToEven) {
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
    EXPECT_EQ(c.Calc_Resultado, 0);
    EXPECT_EQ(c.Calc_Hex, "&H0000");

    d.load();
    d.set_pantalla("2.5");
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 2);
    d.load();
    d.set_pantalla("3.5 A");  // the leading number counts
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 4);

    c.Calc_Min = 1;
    d.load();
    d.set_pantalla("abc");
    expect_box(msgs, "Out of Range");
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 0);
}

TEST(NumericEntry, RefusesValuesTheFieldCannotHold) {
    ScriptedMessages msgs;
    CalcHandover c;
    c.Calc_Tipo = 1;
    c.Calc_Max = 1000;  // an inconsistent Max on a byte field
    c.Calc_Inc_A = 1;
    c.Calc_Escala_A = 1.0f;
    c.capacity_max = 255;
    NumericEntry d(c, msgs);
    d.load();
    expect_box(msgs, "Out of Range");
    d.set_pantalla("256");
    EXPECT_FALSE(d.ok());
    d.set_pantalla("255");
    EXPECT_TRUE(d.ok());
}

TEST(NumericEntry, CancelHandsBackTheOldValue) {
    ScriptedMessages msgs;
    CalcHandover c = delay_handover(250);
    NumericEntry d(c, msgs);
    d.load();
    d.set_pantalla("7");
    d.cancel();
    EXPECT_EQ(c.Calc_Resultado, 250);
    EXPECT_EQ(c.Calc_Hex, "&H00FA");
    EXPECT_EQ(c.Calc_Tipo, 1);
    EXPECT_TRUE(d.closed());
    EXPECT_FALSE(d.accepted());
}

TEST(NumericEntry, CalcHexPadsToFourDigitsOnly) {
    EXPECT_EQ(NumericEntry::build_calc_hex(0), "&H0000");
    EXPECT_EQ(NumericEntry::build_calc_hex(0xA), "&H000A");
    EXPECT_EQ(NumericEntry::build_calc_hex(0x1F4), "&H01F4");
    EXPECT_EQ(NumericEntry::build_calc_hex(0xFFFF), "&HFFFF");
    EXPECT_EQ(NumericEntry::build_calc_hex(0x10000), "10000");
    EXPECT_EQ(NumericEntry::build_calc_hex(-1), "FFFFFFFF");
    EXPECT_EQ(NumericEntry::round_half_even(0.5), 0.0);
    EXPECT_EQ(NumericEntry::round_half_even(1.5), 2.0);
    EXPECT_EQ(NumericEntry::round_half_even(-2.5), -2.0);
    EXPECT_EQ(NumericEntry::round_half_even(2.6), 3.0);
    EXPECT_EQ(NumericEntry::leading_number("  12.5x"), 12.5);
    EXPECT_EQ(NumericEntry::leading_number("."), 0.0);
    EXPECT_EQ(NumericEntry::leading_number(".5"), 0.5);
}

}  // namespace
}  // namespace neva
