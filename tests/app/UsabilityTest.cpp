// Working without the mouse, the hints on the editors, the safe default answers, the
// guide behind Help, the status bar at its narrowest and pages on a small screen.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "AppFixture.h"
#include "controls/Bits.h"
#include "connection/Comunicacion.h"
#include "controls/Word_TresR.h"
#include "regmap/RegisterMap.h"
#include "services/QtMessageService.h"
#include "ui/ScreenFit.h"

using namespace neva;
using namespace neva::apptest;

namespace {

const PropertyStore& delay_props() { return shipped_register_map().find("SETPAGE6", "Word_TresR1", 0)->properties; }

}  // namespace

// The keys step exactly as the spinner's arrows do, and Enter/F2 open the entry.
TEST(Usability, KeyboardStepsAsTheArrowsAndOpensTheEntry) {
    FakeApp app;
    RegisterImages& img = app.ctx->images();
    CalcHandover& calc = app.ctx->state().Calc;
    Word_TresR keys(delay_props(), img, calc, *app.msgs), mouse(delay_props(), img, calc, *app.msgs);
    auto load = [&](std::uint16_t v) {
        put_word(img.Imagen_Setpoints, "0184", v);
        keys.Inicializacion();
        mouse.Inicializacion();
    };
    load(1000);
    QTest::keyClick(keys.Text1, Qt::Key_Up);
    mouse.UpButton->click();
    EXPECT_EQ(keys.text(), "11 Sec");
    EXPECT_EQ(keys.text(), mouse.text());

    // PageDown across the 1 s boundary: ten presses of the down arrow.
    load(1030);
    QTest::keyClick(keys.Text1, Qt::Key_PageDown);
    for (int i = 0; i < 10; ++i) mouse.DownButton->click();
    EXPECT_EQ(keys.Value(), mouse.Value());
    EXPECT_EQ(keys.text(), mouse.text());
    EXPECT_EQ(word(img.Imagen_Edicion, "0184"), mouse.Value());

    // At the bottom the run stops instead of pressing against the limit.
    load(7);
    QTest::keyClick(keys.Text1, Qt::Key_PageDown);
    EXPECT_EQ(keys.Value(), 5);

    int entries = 0;
    keys.show_dialog = [&] { ++entries; };
    QTest::keyClick(keys.Text1, Qt::Key_Return);
    QTest::keyClick(keys.Text1, Qt::Key_F2);
    EXPECT_EQ(entries, 2);
    EXPECT_EQ(keys.Text1->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(keys.focusProxy(), keys.Text1);
}

// The tool tip says what the numeric entry would: range, steps, unit, and the register.
TEST(Usability, EditorToolTipsNameRangeStepsUnitAndRegister) {
    FakeApp app;
    Word_TresR delay(delay_props(), app.ctx->images(), app.ctx->state().Calc, *app.msgs);
    const QString tip = delay.toolTip();
    for (const char* part : {"Range:", "To", "For Values >= ", "Sec", "Register: 0184"})
        EXPECT_TRUE(tip.contains(part)) << tip.toStdString();
    Bits curve(shipped_register_map().find("SETPAGE6", "Page6C", 0)->properties, app.ctx->images());
    EXPECT_TRUE(curve.toolTip().startsWith("Register: ")) << curve.toolTip().toStdString();
}

// Questions default to the answer that changes nothing; a cause goes under the
// message as its informative text; the box is as wide as its title.
TEST(Usability, MessageBoxesDefaultToNoAndShowTheCauseApart) {
    const std::pair<MsgButtons, QMessageBox::StandardButton> safe[] = {
        {MsgButtons::YesNo, QMessageBox::No}, {MsgButtons::YesNoCancel, QMessageBox::Cancel},
        {MsgButtons::OkCancel, QMessageBox::Cancel}};
    for (auto [buttons, answer] : safe) {
        auto box = QtMessageService::build_box("Sure?", buttons, MsgIcon::Question, "NEVA", nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(answer));
    }

    auto error = QtMessageService::build_box(" Communication Error...\nCOM 1 (/dev/ttyS0), 9600 baud: no answer",
                                             MsgButtons::Ok, MsgIcon::Critical, "Communication Error", nullptr);
    EXPECT_EQ(error->text(), " Communication Error...");
    EXPECT_EQ(error->informativeText(), "COM 1 (/dev/ttyS0), 9600 baud: no answer");
    auto title = QtMessageService::build_box("x", MsgButtons::Ok, MsgIcon::None, "NEVA Setup 2.0", nullptr);
    title->show();
    EXPECT_GT(title->width(), title->fontMetrics().horizontalAdvance("NEVA Setup 2.0") + 60);
}

using UsabilityMain = OfflineProgram;

// Help and F1 open the guide; Print and Store look as inert as they are; the status
// panels keep their texts apart at the window's minimum width.
TEST_F(UsabilityMain, HelpOpensTheGuideAndInertButtonsLookInert) {
    QString opened;
    w->abrir_en_navegador = [&](const QString& path) {
        opened = path;
        return true;
    };
    w->show();
    EXPECT_EQ(w->botones[5]->shortcut(), QKeySequence(Qt::Key_F1));
    w->botones[5]->trigger();
    EXPECT_TRUE(opened.endsWith("guide/index.html")) << opened.toStdString();
    EXPECT_TRUE(QFileInfo::exists(opened));
    EXPECT_FALSE(w->botones[2]->isEnabled());
    EXPECT_FALSE(w->botones[4]->isEnabled());

    w->set_panel(4, "Baud Rate: 19200");
    w->set_panel(6, Principal::kNoComunicando);
    w->resize(1, w->height());  // as narrow as the window lets itself be made
    QApplication::processEvents();
    for (int i = 2; i < 6; ++i) {
        QLabel* l = w->StatusBar1[i];
        EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(l->text())) << i;
        if (i > 2) {
            EXPECT_GE(l->x(), w->StatusBar1[i - 1]->geometry().right()) << i;
        }
    }
}

// Tab goes through the connection dialog as it reads, and a scrolling page is no stop
// of its own.
TEST_F(UsabilityMain, TabGoesAsTheWindowsRead) {
    Comunicacion& c = w->comunicacion();
    const std::vector<QWidget*> reading{c.Command1,   c.Command2,   c.Combo1,    c.refresh_button, c.host_text,
                                        c.tcp_port_box, c.Combo2,   c.ComboCom2, c.Byte_UnR1,      c.FindRelay,
                                        c.Option1[0], c.Option1[1], c.Text1,     c.Combo3,         c.Modem,
                                        c.Okey,       c.Cancelar};
    std::vector<QWidget*> chain;
    QWidget* f = c.Command1;
    for (int n = 0; n < 200 && chain.size() < reading.size(); ++n, f = f->nextInFocusChain())
        if (std::find(reading.begin(), reading.end(), f) != reading.end()) chain.push_back(f);
    EXPECT_EQ(chain, reading);

    QWidget* page = w->pagina(Pagina::SETPAGE6);
    ASSERT_TRUE(fit_to_screen(page, QRect(0, 0, 640, 450)));
    EXPECT_EQ(page->findChild<QScrollArea*>("PageScroll")->focusPolicy(), Qt::NoFocus);
}

// On a screen smaller than a page (1280x900 at twice the scale), every page, the
// connection dialog and the main window fit: what they hold scrolls, nothing is lost,
// and a small page is as wide as its title.
TEST_F(UsabilityMain, EveryWindowFitsASmallScreenByScrolling) {
    const QRect small(0, 0, 640, 450);
    std::vector<QWidget*> windows{w.get(), &w->comunicacion()};
    for (Pagina p : {Pagina::SETPAGE2, Pagina::SETPAGE6, Pagina::SETPAGE3, Pagina::SETPAGE4, Pagina::SETPAGE9,
                     Pagina::DateTimeConfig, Pagina::AVPAGE1, Pagina::AVPAGE2, Pagina::AVPAGE5, Pagina::AVPAGE4})
        windows.push_back(w->pagina(p));
    for (QWidget* page : windows) {
        ASSERT_NE(page, nullptr);
        const std::string name = page->objectName().toStdString();
        const auto controls = page->findChildren<QAbstractButton*>().size();
        page->resize(1280, 900);  // as a page sizes itself from the screen and the main window
        const bool scrolls = fit_to_screen(page, small);
        // The phase and ground page holds more than that screen: it scrolls to its close box.
        if (name == "SETPAGE6") {
            EXPECT_TRUE(scrolls && page->findChild<QScrollArea*>("PageScroll"));
        }
        fit_title(page, small);
        page->show();
        QApplication::processEvents();
        EXPECT_LE(page->width(), small.width()) << name;
        EXPECT_LE(page->height(), small.height()) << name;
        EXPECT_LE(page->minimumWidth(), small.width()) << name;
        EXPECT_LE(page->minimumHeight(), small.height()) << name;
        EXPECT_GE(page->width(), width_for_title(page, page->windowTitle())) << name;
        EXPECT_EQ(page->findChildren<QAbstractButton*>().size(), controls) << name;
        if (page != w.get()) page->close();
    }
}
