// The editor controls and the numeric entry dialog as the user works them: button
// presses, clicks on the value box, the dialog's keypad, and what lands in the edit
// image. The stepping rules themselves are the models' and tested with them; here
// the windows must show and pass on exactly what the models do.

#include <gtest/gtest.h>

#include <QCheckBox>
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

// The stepping rules are the editor models' (tests/core/editors); a control adds the
// shown text in the pattern of the range, the write into the edit image, the Change
// signal, and refusing input while disabled.
TEST_F(EditorControls, ButtonsShowWriteAndSignalWhatTheModelStepped) {
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc, *app.msgs);
    QSignalSpy changes(&w, &Word_TresR::Change);

    relay("0184", 1000);
    ASSERT_TRUE(w.Inicializacion());
    EXPECT_EQ(w.text(), "10 Sec");
    EXPECT_EQ(w.Valor(), "10 Sec");
    EXPECT_EQ(changes.count(), 0);  // loading writes nothing and raises nothing
    w.UpButton->click();
    EXPECT_EQ(w.text(), "11 Sec");
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 1100);
    EXPECT_EQ(changes.count(), 1);

    relay("0184", 100);
    w.Inicializacion();
    w.DownButton->click();
    EXPECT_EQ(w.text(), "0.99 Sec");
    w.UpButton->click();  // from 99 in the first range: shown in that range's pattern
    EXPECT_EQ(w.text(), "1.00 Sec");

    // At the minimum a press does nothing at all.
    relay("0184", 5);
    w.Inicializacion();
    put_word(img.Imagen_Edicion, "0184", 0xBEEF);
    const int before = changes.count();
    w.DownButton->click();
    EXPECT_EQ(w.Value(), 5);
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 0xBEEF);
    EXPECT_EQ(changes.count(), before);

    // A single-range spin at its bound writes the value again.
    Byte_UnR delay(props_of("SETPAGE2", "PhaseCT", 5), img, calc, *app.msgs);
    QSignalSpy delay_changes(&delay, &Byte_UnR::Change);
    relay("010B", 5);
    delay.Inicializacion();
    put_word(img.Imagen_Edicion, "010B", 0x1234);
    delay.DownButton->click();
    EXPECT_EQ(delay.text(), "0.05 Sec");
    EXPECT_EQ(word(img.Imagen_Edicion, "010B"), 5);
    EXPECT_EQ(delay_changes.count(), 1);

    // A disabled editor takes no input.
    delay.setEnabled(false);
    EXPECT_FALSE(delay.model().Enabled);
    delay.UpButton->click();
    delay.value_box_click();
    EXPECT_EQ(delay.Value(), 5);
}

// The entry's own rules (grid, limits, refusals) are the model's; the control adds
// the click on its value box, the write of the result and the Click signal.
TEST_F(EditorControls, ClickOnTheValueBoxRunsTheEntryAndWritesItsResult) {
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc, *app.msgs);
    QSignalSpy clicks(&w, &Word_TresR::Click);
    relay("0184", 1000);
    w.Inicializacion();

    w.show_dialog = [this] {
        NumericEntry entry(calc, *app.msgs);
        entry.load();
        entry.set_pantalla("2.5");
        EXPECT_TRUE(entry.ok());
    };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w.Text1, &press);
    EXPECT_EQ(w.Value(), 250);
    EXPECT_EQ(w.text(), "2.5 Sec");
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), 250);
    EXPECT_EQ(w.model().Dato, "&H00FA");
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(EditorControls, CalculadoraShowsTheHandOverAndWorksItsKeypad) {
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc, *app.msgs);
    relay("0184", 1000);
    w.Inicializacion();

    app.msgs->expect_message("Incorrect Range");
    w.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        EXPECT_EQ(d.Titulo->text(), "Phase Timed O/C Delay:");
        EXPECT_EQ(d.Viejo->text(), "10 Sec");
        EXPECT_EQ(d.Rango->text(), "0.05 To 600 Sec");
        EXPECT_EQ(d.Incremento->text(), "0.01: For Values < 1.00 Sec");
        EXPECT_EQ(d.Incremento_b->text(), "0.1: For Values >= 1.0 AND < 10.0 Sec");
        EXPECT_EQ(d.Incremento_c->text(), "1: For Values >= 10 Sec");
        EXPECT_FALSE(d.Incremento_c->isHidden());
        EXPECT_EQ(d.Pantalla->text(), "");
        for (QPushButton* b : {d.Numeros[5], d.Command2, d.Numeros[5], d.Numeros[5]}) b->click();
        EXPECT_EQ(d.Pantalla->text(), "5.55");
        d.OK->click();  // 555 is off the 0.1 s grid
        EXPECT_EQ(d.result(), 0);
        EXPECT_EQ(d.Pantalla->text(), "5.55");  // kept as typed
        d.Command1->click();
        EXPECT_EQ(d.Pantalla->text(), "");
        for (QPushButton* b : {d.Numeros[1], d.Numeros[2], d.Command2, d.Numeros[0]}) b->click();
        d.OK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    };
    w.value_box_click();
    app.msgs->verify();
    EXPECT_EQ(w.Value(), 1200);
    EXPECT_EQ(w.text(), "12 Sec");
    EXPECT_EQ(calc.Calc_Hex, "&H04B0");

    // One range: the steps of the other ranges are not shown. Text typed into the box
    // counts like keys.
    Byte_UnR ct(props_of("SETPAGE2", "PhaseCT", 0), img, calc, *app.msgs);
    relay("0102", 400);
    ct.Inicializacion();
    ct.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        EXPECT_EQ(d.Viejo->text(), "400 A");
        EXPECT_EQ(d.Rango->text(), "5 To 5000 A");
        EXPECT_EQ(d.Incremento->text(), "5");
        EXPECT_TRUE(d.Incremento_b->isHidden());
        EXPECT_TRUE(d.Incremento_c->isHidden());
        d.Pantalla->setText("1500");
        d.OK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    };
    ct.value_box_click();
    EXPECT_EQ(word(img.Imagen_Edicion, "0102"), 1500);
}

TEST_F(EditorControls, CalculadoraClosedByItsFrameIsACancel) {
    Word_DosR w(props_of("SETPAGE6", "Word_DosR1", 0), img, calc, *app.msgs);
    QSignalSpy clicks(&w, &Word_DosR::Click);
    relay("0186", 150);
    w.Inicializacion();
    w.show_dialog = [this] {
        Calculadora d(calc, *app.msgs);
        EXPECT_EQ(d.Incremento->text(), "1: For Values < 100 %CT");
        EXPECT_EQ(d.Incremento_b->text(), "10: For Values >= 100 %CT");
        EXPECT_TRUE(d.Incremento_c->isHidden());
        d.Numeros[7]->click();
        d.show();
        d.close();
        EXPECT_TRUE(d.entry().closed());
        EXPECT_FALSE(d.entry().accepted());
    };
    put_word(img.Imagen_Edicion, "0186", 0);
    w.value_box_click();
    EXPECT_EQ(w.Value(), 150);
    EXPECT_EQ(word(img.Imagen_Edicion, "0186"), 150);  // the old value, written again
    EXPECT_EQ(calc.Calc_Hex, "&H0096");
    EXPECT_EQ(clicks.count(), 1);

    // Cancel and Esc are the same.
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
    // Curve of the phase timed element: bits 0..3 of 0182, thirteen names.
    Bits curve(props_of("SETPAGE6", "Page6C", 0), img);
    QSignalSpy changes(&curve, &Bits::Change);
    curve.Crear_Items();
    EXPECT_EQ(curve.Combo1->count(), 13);
    EXPECT_EQ(curve.Combo1->itemText(10), "IEC  A Normal Inv");

    relay("0182", 0xA5F9);
    curve.Inicializacion();
    EXPECT_EQ(curve.Combo1->currentIndex(), 9);
    EXPECT_EQ(curve.Valor(), "IEC Short Time");

    emit curve.Combo1->activated(2);  // the user picks "ANSI Normal Inv"
    EXPECT_EQ(word(img.Imagen_Edicion, "0182"), 0xA5F2);
    EXPECT_EQ(word(img.Imagen_Setpoints, "0182"), 0xA5F9);
    EXPECT_EQ(changes.count(), 2);

    // A value with no name: nothing chosen in the box.
    relay("0182", 0x000E);
    curve.Inicializacion();
    EXPECT_EQ(curve.Combo1->currentIndex(), -1);
}
