// The setpoint pages against the relay simulator on a pseudo-terminal: pages open
// with the relay's values, refresh themselves when the read they queued comes back,
// and STORE leaves the edited block in the relay. Loopback only, every wait bounded.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

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

    // A block 1 page shows the relay's values.
    SetpointPage* page = open(w->Set_page2);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(run_until([&] { return channel0_idle(); }, 10000));
    expect_page_shows_image(*page, relay);
    exit(page);

    // Values the relay does not hold, as if the scratch memory had been edited offline:
    // the page opens with them and shows the relay's once its read is back.
    put_word(images().Imagen_Setpoints, "0181", 7);
    copy_block_to_edit(images(), 2);
    page = open(w->MnuPhProtec);
    ASSERT_NE(qobject_cast<SETPAGE6*>(page), nullptr);
    EXPECT_FALSE(w->habilitada());  // held while the page is open
    EXPECT_EQ(page->editor("Byte_UnR1(0)")->text(), "7 %CT");
    ASSERT_TRUE(run_until([&] { return page_shows_image(*page, relay); }, 10000));

    // Edits: a typed delay, a pickup step, a relay of the ground timed element.
    NumericEditorControl* delay = page->editor("Word_TresR1(0)");
    delay->show_dialog = [&] {
        NumericEntry entry(st.Calc, ctx->messages());
        entry.load();
        entry.set_pantalla("2.5");
        EXPECT_TRUE(entry.ok());
    };
    delay->value_box_click();
    page->editor("Byte_UnR1(0)")->UpButton->click();
    page->check("ChkGnd", 3)->click();
    const SetpointImage edited = images().Imagen_Edicion;
    EXPECT_EQ(word(edited, "0184"), 250);
    EXPECT_FALSE(same_block(edited, relay, 2));

    msgs->expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    page->Command1->click();
    ASSERT_TRUE(run_until([&] { return msgs->done(); }, 15000));
    msgs->verify();
    EXPECT_EQ(images().Imagen_Setpoints, edited);

    // The relay holds the new block: read it back over what we have, the open page follows.
    images().Imagen_Setpoints.fill(0);
    images().Imagen_Edicion.fill(0);
    ctx->link().Encolar_Proceso(0, 62);
    ASSERT_TRUE(run_until([&] { return same_block(images().Imagen_Setpoints, edited, 2); }, 10000));
    EXPECT_EQ(delay->text(), "2.5 Sec");
    EXPECT_TRUE(page->check("ChkGnd", 3)->isChecked());
    exit(page);
    EXPECT_TRUE(w->habilitada());
}
