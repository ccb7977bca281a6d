// The setpoint pages and their editor controls on fake platform objects: what the
// pages show for a loaded setpoint file, their interlocks, the bits their check boxes
// and list box write, STORE and EXIT offline and online, the refresh when the relay's
// block arrives, and the numeric entry dialog as the user works it. The stepping and
// entry rules are the editor models' and tested with them (tests/core/editors); here
// the windows must show and pass on exactly what the models do.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include "AppFixture.h"
#include "controls/Bits.h"
#include "controls/Byte_UnR.h"
#include "controls/Calculadora.h"
#include "controls/NumericEditorControl.h"
#include "controls/Word_DosR.h"
#include "controls/Word_TresR.h"
#include "image/Manejo_de_Datos.h"
#include "link/NEVA200.h"
#include "regmap/RegisterMap.h"
#include "ui/SETPAGE2.h"
#include "ui/SETPAGE3.h"
#include "ui/SETPAGE4.h"
#include "ui/SETPAGE6.h"
#include "ui/SETPAGE9.h"

using namespace neva;
using namespace neva::apptest;

namespace {

// A setpoint file as an engineer would have saved it.
SetpointImage file_image() {
    SetpointImage img{};
    // 60 Hz, residual ground sensing, disconnector with fuses, in service (0101); Trip
    // and Aux. 2 latched, Aux. 1 and Aux. 3 pulsed (0106).
    const std::pair<const char*, std::uint16_t> regs[] = {
        {"0101", 0x0321}, {"0102", 400}, {"0103", 50}, {"0104", 630}, {"0105", 100}, {"0106", 0x0044},
        {"0107", 5}, {"0108", 10}, {"0109", 15}, {"010A", 20}, {"010B", 250}, {"010D", 0x0002},
        {"010E", 1}, {"010F", 4}, {"0110", 7}, {"0114", 0x0015}, {"0115", 0x0000}, {"0116", 500},
        {"0117", 0x0006}, {"0118", 1000}, {"0119", 0x0008}, {"011A", 100}, {"0180", 0x0001}, {"0181", 100},
        {"0182", 0}, {"0183", 10}, {"0184", 250}, {"0185", 0x0003}, {"0186", 400}, {"0187", 50},
        {"0188", 0x0008}, {"0189", 90}, {"018A", 1000}, {"018B", 0x0002}, {"018C", 20}, {"018D", 3},
        {"018E", 5}, {"018F", 150}, {"0190", 0}, {"0191", 1200}, {"0192", 100}, {"0193", 0x0004},
        {"0194", 15}, {"0195", 30},
    };
    for (const auto& [a, v] : regs) put_word(img, a, v);
    return img;
}

struct SetpointPages : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const std::string path = dir.filePath("Feeder 7.NEVA2").toStdString();
        write_setpoint_file(path, file_image(), "Feeder 7");
        ASSERT_TRUE(app.ctx->archivos().Leer_Archivo(path).loaded);
    }
    RegisterImages& images() { return app.ctx->images(); }
    SharedState& state() { return app.ctx->state(); }
    std::uint16_t edited(const char* address) { return word(images().Imagen_Edicion, address); }

    template <class Page>
    std::unique_ptr<Page> open() {
        auto page = std::make_unique<Page>(*app.ctx, [this](bool on) { main_enabled.push_back(on); });
        page->setAttribute(Qt::WA_DeleteOnClose, false);  // the test owns it
        page->Form_Load();
        return page;
    }
    int queued(int canal, int accion) { return apptest::queued(*app.ctx, canal, accion); }
    // The editor control of a register map entry, on the program's images.
    static const PropertyStore& props_of(const char* page, const char* control, int index) {
        return shipped_register_map().find(page, control, index)->properties;
    }
    CalcHandover& calc() { return state().Calc; }

    QTemporaryDir dir;
    FakeApp app;
    std::vector<bool> main_enabled;
};

}  // namespace

TEST_F(SetpointPages, EveryPageShowsTheLoadedFile) {
    const std::unique_ptr<SetpointPage> pages[] = {open<SETPAGE2>(), open<SETPAGE3>(), open<SETPAGE4>(),
                                                   open<SETPAGE6>(), open<SETPAGE9>()};
    for (const auto& page : pages) {
        SCOPED_TRACE(page->page().name);
        expect_page_shows_image(*page, images().Imagen_Setpoints);
    }
    // Opening the pages changed nothing; offline, nobody touched the main window.
    EXPECT_EQ(images().Imagen_Edicion, images().Imagen_Setpoints);
    EXPECT_TRUE(main_enabled.empty());

    // Pictures of two pages for the documentation, when asked for.
    const QByteArray shots = qgetenv("NEVA_SCREENSHOT_DIR");
    for (int i : {0, 3}) {
        if (shots.isEmpty()) break;
        pages[i]->resize(pages[i]->minimumSize());
        pages[i]->show();
        const QString file = QDir(QString::fromLocal8Bit(shots)).filePath(i == 0 ? "setpage2.png" : "setpage6.png");
        EXPECT_TRUE(pages[i]->grab().save(file)) << file.toStdString();
    }
}

TEST_F(SetpointPages, SystemSetupInterlocks) {
    put_word(images().Imagen_Setpoints, "0115", 0xF000);  // other bits of the register, no relay
    Restaura_Bloque(images(), 1);
    auto page = open<SETPAGE2>();
    SETPAGE2& p = *page;

    // Residual sensing: no ground CT.
    EXPECT_FALSE(p.row_visible("PhaseCT(1)"));
    emit p.Combo1->activated(1);
    EXPECT_TRUE(p.row_visible("PhaseCT(1)"));
    EXPECT_EQ(edited("0101"), 0x0341);  // bits 5,6 = 2; the others kept

    // Disconnector: the inner frame sits low and the disconnector rows show.
    QGroupBox* f2 = p.Frame2();
    ASSERT_NE(f2, nullptr);
    EXPECT_EQ(f2->geometry().topLeft(), QPoint(371, 134));
    EXPECT_TRUE(p.row_visible("PhaseCT(3)"));  // with fuses
    emit p.bits("Page1C(2)")->Combo1->activated(0);
    EXPECT_FALSE(p.row_visible("PhaseCT(3)"));
    emit p.bits("Page1C(1)")->Combo1->activated(0);  // circuit breaker: covered
    EXPECT_EQ(f2->geometry().topLeft(), QPoint(371, 44));
    EXPECT_TRUE(f2->geometry().contains(p.control("PhaseCT(2)")->geometry()));
    EXPECT_EQ(edited("0101") & 0x0300, 0);

    // Discrepancy relays: the delay shows while one box of its group is checked.
    QCheckBox* trip = p.check("chkDiscrep", 0);
    QCheckBox* aux2 = p.check("chkDiscrep", 2);
    trip->click();
    aux2->click();
    EXPECT_EQ(edited("0115"), 0xF005);
    trip->click();
    EXPECT_TRUE(p.row_visible("PhaseCT(9)"));
    aux2->click();
    EXPECT_FALSE(p.row_visible("PhaseCT(9)"));
    EXPECT_EQ(edited("0115"), 0xF000);
    // Mechanical operations relays loaded as Aux 1 and Aux 2: unchecking both hides the maximum.
    p.check("chkDiscrep", 5)->click();
    p.check("chkDiscrep", 6)->click();
    EXPECT_FALSE(p.row_visible("PhaseCT(10)"));
    EXPECT_EQ(edited("0117"), 0);

    // The hidden copy follows the stored values and is never seen.
    EXPECT_TRUE(p.check("ChkBrkDis", 5)->isChecked());
    for (const char* n : {"PhaseCT(4)", "PhaseCT(6)", "PhaseCT(7)", "PhaseCT(8)", "Page1C(3)", "ChkBrkDis(0)"})
        EXPECT_FALSE(p.row_visible(n)) << n;
}

TEST_F(SetpointPages, OtherPagesInterlocksAndBits) {
    auto p3 = open<SETPAGE3>();
    // Trip and Aux. 2 latched: no pulse time; Aux. 1 and Aux. 3 pulsed.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p3->row_visible(QString("Byte_UnR1(%1)").arg(i)), i % 2 == 1) << i;
    emit p3->bits("Page1C(0)")->Combo1->activated(1);
    EXPECT_TRUE(p3->row_visible("Byte_UnR1(0)"));
    emit p3->bits("Page1C(3)")->Combo1->activated(0);
    EXPECT_FALSE(p3->row_visible("Byte_UnR1(3)"));
    EXPECT_EQ(edited("0106"), 0x0005);

    auto p6 = open<SETPAGE6>();
    // Phase: definite time, its delay shown; ground: an inverse curve, no delay.
    EXPECT_TRUE(p6->row_visible("Word_TresR1(0)"));
    EXPECT_FALSE(p6->row_visible("Word_TresR1(2)"));
    EXPECT_TRUE(p6->row_visible("Word_TresR1(1)"));  // the alarm delay always shows
    emit p6->bits("Page6C(0)")->Combo1->activated(12);
    EXPECT_FALSE(p6->row_visible("Word_TresR1(0)"));
    emit p6->bits("Page6C(1)")->Combo1->activated(0);
    EXPECT_TRUE(p6->row_visible("Word_TresR1(2)"));
    EXPECT_EQ(edited("0182"), 12);
    EXPECT_EQ(edited("018D"), 0);
    // Relay check boxes write their bit of their group's register only.
    p6->check("ChkPhTim", 7)->click();  // group 1 ("0185"), Aux. 3
    EXPECT_EQ(edited("0185"), 0x000B);
    p6->check("ChkGnd", 10)->click();  // group 2 ("0193")
    EXPECT_EQ(edited("0193"), 0x0000);

    auto p4 = open<SETPAGE4>();
    emit p4->bits("Page1C(5)")->Combo1->activated(1);
    EXPECT_EQ(edited("010D"), 0x0006);
    auto p9 = open<SETPAGE9>();
    emit p9->bits("Page9(1)")->Combo1->activated(1);
    emit p9->bits("Page9(4)")->Combo1->activated(0);
    EXPECT_EQ(edited("0114"), 0x0007);
    EXPECT_EQ(images().Imagen_Setpoints, file_image());  // nothing reaches the stored image before STORE
}

TEST_F(SetpointPages, StoreAndExitOffline) {
    auto page = open<SETPAGE6>();
    page->editor("Byte_UnR1(0)")->UpButton->click();
    put_word(images().Imagen_Edicion, "0102", 999);  // an edit of block 1 from elsewhere

    app.msgs->expect_message("Setpoints were Saved to the Computer's Scratch memory", "NEVA", MsgButtons::Ok,
                             MsgIcon::Information);
    page->Command1->click();
    app.msgs->verify();
    EXPECT_EQ(images().Imagen_Setpoints, images().Imagen_Edicion);
    EXPECT_EQ(word(images().Imagen_Setpoints, "0181"), 101);
    EXPECT_EQ(queued(0, 28), 0);

    // EXIT throws away the page's block only.
    page->editor("Word_TresR1(1)")->DownButton->click();
    put_word(images().Imagen_Edicion, "0103", 55);
    page->Command2->click();
    EXPECT_TRUE(same_block(images().Imagen_Edicion, images().Imagen_Setpoints, 2));
    EXPECT_EQ(edited("0103"), 55);
    EXPECT_EQ(main_enabled, std::vector<bool>({true, true}));  // EXIT, then the close it runs
    EXPECT_FALSE(page->isVisible());
}

TEST_F(SetpointPages, OnlineLoadQueuesTheReadAndRefreshesWhenItArrives) {
    // A live connection (the file load left the link stopped).
    state().En_Linea = true;
    state().Error_Comunicacion = false;
    state().Reset_Permitido = true;
    auto page = open<SETPAGE6>();
    EXPECT_EQ(main_enabled, std::vector<bool>({false}));
    EXPECT_EQ(queued(0, 62), 1);
    EXPECT_EQ(queued(0, 61), 0);

    // The relay's block arrives: stored and edit image hold it, the link reports the end.
    put_word(images().Imagen_Setpoints, "0184", 3000);
    put_word(images().Imagen_Setpoints, "0182", 1);
    copy_block_to_edit(images(), 2);
    NEVA200& link = app.ctx->NEVA();
    link.Accion = 62;
    link.ComunicacionFinalizada(true);
    EXPECT_EQ(page->editor("Word_TresR1(0)")->text(), "30 Sec");
    EXPECT_FALSE(page->row_visible("Word_TresR1(0)"));

    // STORE online queues the write and copies nothing itself.
    page->editor("Byte_UnR1(0)")->UpButton->click();
    page->Command1->click();
    EXPECT_EQ(queued(0, 28), 1);
    EXPECT_NE(images().Imagen_Setpoints, images().Imagen_Edicion);

    // A write that failed keeps the user's value in the edit image and on the page.
    link.Accion = 28;
    link.ComunicacionFinalizada(false);
    EXPECT_EQ(page->editor("Byte_UnR1(0)")->text(), "101 %CT");
    EXPECT_EQ(edited("0181"), 101);

    // Once the page is gone the link's handler is the controller's alone again.
    page.reset();
    link.Accion = 62;
    link.ComunicacionFinalizada(true);
}

TEST_F(SetpointPages, EditorControlShowsWritesAndSignalsWhatTheModelStepped) {
    auto& img = images();
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc(), *app.msgs);
    QSignalSpy changes(&w, &Word_TresR::Change);
    put_word(img.Imagen_Setpoints, "0184", 1000);
    ASSERT_TRUE(w.Inicializacion());
    EXPECT_EQ(changes.count(), 0);  // loading writes nothing and raises nothing
    w.UpButton->click();  // what a step shows and writes: the keyboard test's
    EXPECT_EQ(changes.count(), 1);

    // A disabled editor takes no input.
    Byte_UnR delay(props_of("SETPAGE2", "PhaseCT", 5), img, calc(), *app.msgs);
    delay.Inicializacion();
    const int before = delay.Value();
    delay.setEnabled(false);
    delay.UpButton->click();
    delay.value_box_click();
    EXPECT_EQ(delay.Value(), before);
}

// A click on the value box runs the entry; its result is written and Click raised.
TEST_F(SetpointPages, CalculadoraShowsTheHandOverAndWorksItsKeypad) {
    auto& img = images();
    Word_TresR w(props_of("SETPAGE6", "Word_TresR1", 0), img, calc(), *app.msgs);
    QSignalSpy clicks(&w, &Word_TresR::Click);
    put_word(img.Imagen_Setpoints, "0184", 1000);
    w.Inicializacion();
    app.msgs->expect_message("Incorrect Range");
    w.show_dialog = [this] {
        Calculadora d(calc(), *app.msgs);
        EXPECT_EQ(d.Titulo->text(), "Phase Timed O/C Delay:");
        EXPECT_EQ(d.Rango->text(), "0.05 To 600 Sec");  // the entry model's texts, tested with it
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
    EXPECT_EQ(edited("0184"), 1200);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(calc().Calc_Hex, "&H04B0");

    // One range: the steps of the other ranges are not shown. Text typed into the box
    // counts like keys.
    Byte_UnR ct(props_of("SETPAGE2", "PhaseCT", 0), img, calc(), *app.msgs);
    ct.Inicializacion();
    ct.show_dialog = [this] {
        Calculadora d(calc(), *app.msgs);
        EXPECT_TRUE(d.Incremento_b->isHidden() && d.Incremento_c->isHidden());
        d.Pantalla->setText("1500");
        d.OK->click();
    };
    ct.value_box_click();
    EXPECT_EQ(edited("0102"), 1500);
}

TEST_F(SetpointPages, CalculadoraClosedByItsFrameOrCancelledKeepsTheOldValue) {
    auto& img = images();
    Word_DosR w(props_of("SETPAGE6", "Word_DosR1", 0), img, calc(), *app.msgs);
    QSignalSpy clicks(&w, &Word_DosR::Click);
    put_word(img.Imagen_Setpoints, "0186", 150);
    w.Inicializacion();
    w.show_dialog = [this] {
        Calculadora d(calc(), *app.msgs);
        d.Numeros[7]->click();
        d.show();
        d.close();
        EXPECT_FALSE(d.entry().accepted());
    };
    put_word(img.Imagen_Edicion, "0186", 0);
    w.value_box_click();
    EXPECT_EQ(edited("0186"), 150);  // the old value, written again
    EXPECT_EQ(clicks.count(), 1);

    w.show_dialog = [this] {
        Calculadora d(calc(), *app.msgs);
        d.Numeros[9]->click();
        d.Cancel->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
    };
    w.value_box_click();
    EXPECT_EQ(w.Value(), 150);
}
