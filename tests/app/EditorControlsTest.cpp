// The editor controls and the numeric entry dialog as the user works them. The
// stepping and entry rules are the models' and tested with them (tests/core/editors);
// here the windows must show and pass on exactly what the models do.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include "AppFixture.h"
#include "SetpointPageChecks.h"
#include "controls/Bits.h"
#include "controls/Byte_UnR.h"
#include "controls/Calculadora.h"
#include "controls/Word_DosR.h"
#include "controls/Word_TresR.h"
#include "controls/Word_UnR.h"
#include "regmap/RegisterMap.h"

using namespace neva;
using namespace neva::apptest;

namespace {

const PropertyStore& props_of(const char* page, const char* control, int index) {
    const RegisterMapEntry* e = shipped_register_map().find(page, control, index);
    EXPECT_NE(e, nullptr) << page << " " << control << "(" << index << ")";
    static const PropertyStore none;
    return e ? e->properties : none;
}

struct EditorControls : ::testing::Test {
    FakeApp app;
    RegisterImages& img = app.ctx->images();
    CalcHandover& calc = app.ctx->state().Calc;

    // Stores a register value as the relay's and the edit image's.
    void relay(const char* address, std::uint16_t v) {
        put_word(img.Imagen_Setpoints, address, v);
        put_word(img.Imagen_Edicion, address, v);
    }
};

}  // namespace

// A control adds the shown text in the pattern of the range, the write into the edit
// image, the Change signal, and refusing input while disabled.
TEST_F(EditorControls, ButtonsShowWriteAndSignalWhatTheModelStepped) {
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc, *app.msgs);
    QSignalSpy changes(&w, &Word_TresR::Change);

    relay("0184", 1000);
    ASSERT_TRUE(w.Inicializacion());
    EXPECT_EQ(w.text(), "10 Sec");
    EXPECT_EQ(changes.count(), 0);  // loading writes nothing and raises nothing
    w.UpButton->click();
    EXPECT_EQ(w.text(), "11 Sec");
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 1100);
    EXPECT_EQ(changes.count(), 1);

    relay("0184", 100);
    w.Inicializacion();
    w.DownButton->click();
    EXPECT_EQ(w.text(), "0.99 Sec");

    // At the minimum a press does nothing at all.
    relay("0184", 5);
    w.Inicializacion();
    put_word(img.Imagen_Edicion, "0184", 0xBEEF);
    w.DownButton->click();
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 0xBEEF);
    EXPECT_EQ(changes.count(), 2);

    // A single-range spin at its bound writes the value again.
    Byte_UnR delay(props_of("SETPAGE2", "PhaseCT", 5), img, calc, *app.msgs);
    relay("010B", 5);
    delay.Inicializacion();
    put_word(img.Imagen_Edicion, "010B", 0x1234);
    delay.DownButton->click();
    EXPECT_EQ(word(img.Imagen_Edicion, "010B"), 5);

    // A disabled editor takes no input.
    delay.setEnabled(false);
    delay.UpButton->click();
    delay.value_box_click();
    EXPECT_EQ(delay.Value(), 5);
}

// A click on the value box runs the entry; its result is written and Click raised.
TEST_F(EditorControls, CalculadoraShowsTheHandOverAndWorksItsKeypad) {
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc, *app.msgs);
    QSignalSpy clicks(&w, &Word_TresR::Click);
    relay("0184", 1000);
    w.Inicializacion();

    app.msgs->expect_message("Incorrect Range");
    w.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        EXPECT_EQ(d.Titulo->text(), "Phase Timed O/C Delay:");
        EXPECT_EQ(d.Viejo->text(), "10 Sec");
        EXPECT_EQ(d.Rango->text(), "0.05 To 600 Sec");
        EXPECT_EQ(d.Incremento_c->text(), "1: For Values >= 10 Sec");
        for (QPushButton* b : {d.Numeros[5], d.Command2, d.Numeros[5], d.Numeros[5]}) b->click();
        EXPECT_EQ(d.Pantalla->text(), "5.55");
        d.OK->click();  // 555 is off the 0.1 s grid
        EXPECT_EQ(d.result(), 0);
        EXPECT_EQ(d.Pantalla->text(), "5.55");  // kept as typed
        d.Command1->click();
        for (QPushButton* b : {d.Numeros[1], d.Numeros[2], d.Command2, d.Numeros[0]}) b->click();
        d.OK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w.Text1, &press);
    app.msgs->verify();
    EXPECT_EQ(w.text(), "12 Sec");
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 1200);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(calc.Calc_Hex, "&H04B0");

    // One range: the steps of the other ranges are not shown. Text typed into the box
    // counts like keys.
    Byte_UnR ct(props_of("SETPAGE2", "PhaseCT", 0), img, calc, *app.msgs);
    relay("0102", 400);
    ct.Inicializacion();
    ct.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        EXPECT_TRUE(d.Incremento_b->isHidden());
        EXPECT_TRUE(d.Incremento_c->isHidden());
        d.Pantalla->setText("1500");
        d.OK->click();
    };
    ct.value_box_click();
    EXPECT_EQ(word(img.Imagen_Edicion, "0102"), 1500);
}

TEST_F(EditorControls, CalculadoraClosedByItsFrameOrCancelledKeepsTheOldValue) {
    Word_DosR w(props_of("SETPAGE6", "Word_DosR1", 0), img, calc, *app.msgs);
    QSignalSpy clicks(&w, &Word_DosR::Click);
    relay("0186", 150);
    w.Inicializacion();
    w.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        d.Numeros[7]->click();
        d.show();
        d.close();
        EXPECT_FALSE(d.entry().accepted());
    };
    put_word(img.Imagen_Edicion, "0186", 0);
    w.value_box_click();
    EXPECT_EQ(word(img.Imagen_Edicion, "0186"), 150);  // the old value, written again
    EXPECT_EQ(clicks.count(), 1);

    w.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        d.Numeros[9]->click();
        d.Cancel->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    };
    w.value_box_click();
    EXPECT_EQ(w.Value(), 150);
}

TEST_F(EditorControls, BitListShowsTheRelaysChoiceAndWritesTheUsersPick) {
    // Curve of the phase timed element: bits 0..3 of 0182.
    Bits curve(props_of("SETPAGE6", "Page6C", 0), img);
    curve.Crear_Items();
    relay("0182", 0xA5F9);
    curve.Inicializacion();
    EXPECT_EQ(curve.Valor(), "IEC Short Time");

    emit curve.Combo1->activated(2);  // the user picks "ANSI Normal Inv"
    EXPECT_EQ(word(img.Imagen_Edicion, "0182"), 0xA5F2);
    EXPECT_EQ(word(img.Imagen_Setpoints, "0182"), 0xA5F9);

    // A value with no name: nothing chosen in the box.
    relay("0182", 0x000E);
    curve.Inicializacion();
    EXPECT_EQ(curve.Combo1->currentIndex(), -1);
}
