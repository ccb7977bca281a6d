// The setpoint pages against the relay simulator on a pseudo-terminal: every page
// opens with the relay's values, a page refreshes itself when the read it queued
// comes back, and STORE leaves the edited block in the relay. Loopback only, every
// wait bounded.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QCheckBox>

#include "AppFixture.h"
#include "SetpointPageChecks.h"
#include "SimulatorFixture.h"
#include "controls/NumericEditorControl.h"
#include "editors/NumericEntry.h"
#include "image/Manejo_de_Datos.h"
#include "ui/Principal.h"
#include "ui/SETPAGE6.h"
#include "ui/SetpointPages.h"

using namespace neva;
using namespace neva::apptest;

namespace {

class PagesWithSimulator : public SimulatorFixture {
protected:
    void SetUp() override {
        start_relay({"--event-every", "0"});
        start_program("9600,N,8,1 1 1");
        register_setpoint_pages(*w);
    }
    RegisterImages& images() { return ctx->images(); }
    bool channel0_idle() {
        auto& c = ctx->link().Colas();
        for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i)
            if (c.Cola_Estado[0][i] == Proceso_Comunicacion::kPending) return false;
        return !(c.Canal_Actual == 0 && c.Estado_Actual() == Proceso_Comunicacion::kExecuting);
    }
    SetpointPage* open(QAction* menu) {
        menu->trigger();
        return qobject_cast<SetpointPage*>(QApplication::activeModalWidget());
    }
    void exit(SetpointPage* page) {
        page->Command2->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace

TEST_F(PagesWithSimulator, PagesShowTheRelayAndStoreReachesIt) {
    auto& st = ctx->state();
    ASSERT_TRUE(run_until([&] { return st.En_Linea && channel0_idle(); }, 20000));
    const SetpointImage relay = images().Imagen_Setpoints;
    ASSERT_TRUE(same_block(relay, images().Imagen_Edicion, 1));
    ASSERT_TRUE(same_block(relay, images().Imagen_Edicion, 2));

    // The block 1 pages: each holds the main window while open and shows the relay's values.
    for (QAction* menu : {w->Set_page2, w->mnuOutputRel, w->mnuInputs, w->mnu_Event}) {
        SetpointPage* page = open(menu);
        ASSERT_NE(page, nullptr) << menu->text().toStdString();
        EXPECT_FALSE(w->habilitada());
        EXPECT_TRUE(run_until([&] { return channel0_idle(); }, 10000));
        expect_page_shows_image(*page, images().Imagen_Setpoints);
        EXPECT_TRUE(same_block(images().Imagen_Setpoints, relay, 1));
        exit(page);
        EXPECT_TRUE(w->habilitada());
    }

    // Values the relay does not hold, as if the scratch memory had been edited offline:
    // the page opens with them and shows the relay's once its read is back.
    put_word(images().Imagen_Setpoints, "0184", 4321);
    put_word(images().Imagen_Setpoints, "0181", 7);
    copy_block_to_edit(images(), 2);
    SetpointPage* page = open(w->MnuPhProtec);
    ASSERT_NE(qobject_cast<SETPAGE6*>(page), nullptr);
    EXPECT_EQ(page->editor("Byte_UnR1(0)")->text(), "7 %CT");
    ASSERT_TRUE(run_until([&] { return page_shows_image(*page, relay); }, 10000));
    expect_page_shows_image(*page, relay);

    // Edits: a typed delay, a pickup step, a relay of the ground timed element.
    NumericEditorControl* delay = page->editor("Word_TresR1(0)");
    delay->show_dialog = [&] {
        NumericEntry entry(st.Calc, ctx->messages());
        entry.load();
        entry.set_pantalla("2.5");
        EXPECT_TRUE(entry.ok());
    };
    delay->value_box_click();
    EXPECT_EQ(delay->text(), "2.5 Sec");
    page->editor("Byte_UnR1(0)")->UpButton->click();
    page->check("ChkGnd", 3)->click();
    const SetpointImage edited = images().Imagen_Edicion;
    EXPECT_EQ(word(edited, "0184"), 250);
    EXPECT_FALSE(same_block(edited, relay, 2));

    msgs->expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    page->Command1->click();
    ASSERT_TRUE(run_until([&] { return msgs->done(); }, 15000));
    msgs->verify();
    EXPECT_EQ(images().Imagen_Setpoints, images().Imagen_Edicion);
    EXPECT_EQ(images().Imagen_Edicion, edited);

    // The relay holds the new block: read it back over what we have.
    images().Imagen_Setpoints.fill(0);
    images().Imagen_Edicion.fill(0);
    ctx->link().Encolar_Proceso(0, 62);
    ASSERT_TRUE(run_until([&] { return same_block(images().Imagen_Setpoints, edited, 2); }, 10000));
    EXPECT_TRUE(same_block(images().Imagen_Edicion, edited, 2));
    // ... and the open page followed the read.
    EXPECT_EQ(delay->text(), "2.5 Sec");
    EXPECT_TRUE(page->check("ChkGnd", 3)->isChecked());

    exit(page);
    EXPECT_TRUE(w->habilitada());
}
