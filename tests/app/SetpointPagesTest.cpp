// The five setpoint pages on fake platform objects: what they show for a loaded
// setpoint file, their interlocks, the bits their check boxes and list box write,
// STORE and EXIT offline and online, and the refresh when the relay's block arrives.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

#include "AppFixture.h"
#include "SetpointPageChecks.h"
#include "controls/Bits.h"
#include "controls/NumericEditorControl.h"
#include "image/Manejo_de_Datos.h"
#include "link/NEVA200.h"
#include "startup/Arranque.h"
#include "ui/Inicio.h"
#include "ui/Principal.h"
#include "ui/SETPAGE2.h"
#include "ui/SETPAGE3.h"
#include "ui/SETPAGE4.h"
#include "ui/SETPAGE6.h"
#include "ui/SETPAGE9.h"
#include "ui/SetpointPages.h"

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
    // One by eye, to be sure the map's texts are the page's.
    EXPECT_EQ(pages[3]->editor("Word_TresR1(0)")->text(), "2.5 Sec");
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

TEST_F(SetpointPages, MainWindowMenusOpenThePages) {
    const std::string ruta = QDir::toNativeSeparators(dir.path()).toStdString();
    write_setpoint_file(Arranque::ruta_archivo_defecto(ruta), file_image(), "Default");
    auto w = Inicio::Main(*app.ctx, "", {false, ruta});
    register_setpoint_pages(*w);
    const std::pair<QAction*, const char*> menus[] = {{w->Set_page2, "SETPAGE2"},
                                                      {w->MnuPhProtec, "SETPAGE6"},
                                                      {w->mnuOutputRel, "SETPAGE3"},
                                                      {w->mnuInputs, "SETPAGE4"},
                                                      {w->mnu_Event, "SETPAGE9"}};
    for (const auto& [menu, name] : menus) {
        menu->trigger();
        auto* page = qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
        ASSERT_NE(page, nullptr) << name;
        EXPECT_EQ(page->objectName(), name);
        QPointer<QWidget> gone(page);
        page->Command2->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(gone.isNull()) << name;  // unloaded; the next open makes a new one
    }
}
