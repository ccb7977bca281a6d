// The program against the relay simulator on a pseudo-terminal: the real serial
// port and timers, the message boxes scripted. Loopback only, every wait bounded.

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "AppFixture.h"
#include "SimulatorFixture.h"
#include "connection/Comunicacion.h"
#include "controls/UserControl1.h"
#include "ui/Principal.h"

using namespace neva;
using namespace neva::apptest;
using U = UserControl1;

namespace {

class WithSimulator : public SimulatorFixture {
protected:
    void start(const QStringList& sim_args) {
        start_relay(sim_args);
        ASSERT_TRUE(QFile::copy(NEVA_DEFAULT_FILE, dir.filePath("Default.NEVA2")));
    }
    bool lamps(std::initializer_list<U::Indicador> lit) const {
        for (int i = 0; i < U::kIndicadores; ++i) {
            const auto ind = static_cast<U::Indicador>(i);
            const bool want = std::find(lit.begin(), lit.end(), ind) != lit.end();
            if (w->UserControl11->lampara_activa(ind) != want) return false;
        }
        return true;
    }
};

}  // namespace

TEST_F(WithSimulator, OnAndOffFromTheConnectionDialog) {
    start({"--event-every", "0"});
    start_program("");
    const SetpointImage factory = ctx->images().Imagen_Edicion;
    auto& st = ctx->state();

    w->Comunica->trigger();
    auto& c = w->comunicacion();
    msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
    c.Command1_Click();
    ASSERT_TRUE(ctx->port().is_open());

    // The first good answer makes the program communicate; the status tick shows it
    // and the connection dialog's own timer confirms it.
    ASSERT_TRUE(run_until([&] { return st.En_Linea && w->panel(6) == "Comunicating..."; }, 15000));
    ASSERT_TRUE(run_until([&] { return c.Label6->text() == "Communication Stablished"; }, 10000));
    // A relay at rest: in service with its breaker closed, nothing else lit.
    EXPECT_TRUE(run_until([&] { return lamps({U::kService, U::kCerrado}); }, 5000));
    // The relay's own setpoints replaced the file's.
    EXPECT_TRUE(run_until([&] { return ctx->images().Imagen_Setpoints[4] == 0x01 &&
                                       ctx->images().Imagen_Setpoints[5] == 0x90; }, 5000));

    ctx->images().Imagen_Edicion.fill(0xAA);
    // The relay's setpoints are in no file: OFF offers to save them first.
    msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
    c.Command2->click();
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(w->panel(6), "Not Communicating....");
    EXPECT_EQ(c.Label6->text(), "Communication Not Stablished");
    EXPECT_EQ(ctx->images().Imagen_Edicion, factory);  // the default file again
    EXPECT_TRUE(run_until([&] { return !ctx->port().is_open() && lamps({}); }, 5000));
    msgs->verify();
}

TEST_F(WithSimulator, RelayThatStopsAnsweringEndsInCommunicationErrorAndOff) {
    start({"--event-every", "0"});
    start_program("9600,N,8,1 1 1");
    auto& st = ctx->state();
    ASSERT_TRUE(run_until([&] { return st.En_Linea && w->panel(6) == "Comunicating..."; }, 15000));

    sim.freeze();
    msgs->expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    msgs->expect_message("SetPoints Will be Lost, Do you want to save it?", MsgAnswer::No);
    // Five exchanges without an answer, two one-second ticks each.
    ASSERT_TRUE(run_until([&] { return msgs->done(); }, 40000));
    msgs->verify();
    // The error ran the connection dialog's OFF.
    EXPECT_FALSE(st.En_Linea);
    EXPECT_EQ(w->comunicacion().Label6->text(), "Communication Not Stablished");
    EXPECT_TRUE(run_until([&] { return lamps({}) && w->panel(6) == "Not Communicating...."; }, 3000));
    sim.thaw();
}

TEST_F(WithSimulator, StatusDisplayFollowsTheRelaysStatusBits) {
    // A lively relay: faults pick up, trip and open the breaker, which is closed again.
    start({"--event-every", "0.25", "--events", "0"});
    start_program("9600,N,8,1 1 1");
    auto& st = ctx->state();
    ASSERT_TRUE(run_until([&] { return st.En_Linea; }, 15000));

    bool saw_trip = false, saw_no_trip = false, saw_open = false, saw_closed = false;
    run_until(
        [&] {
            auto* u = w->UserControl11;
            if (st.En_Linea && w->panel(6) == "Comunicating...") {
                (u->lampara_activa(U::kTrip) ? saw_trip : saw_no_trip) = true;
                if (u->lampara_activa(U::kAbierto)) saw_open = true;
                if (u->lampara_activa(U::kCerrado)) saw_closed = true;
                // A breaker is never shown open and closed at once.
                EXPECT_FALSE(u->lampara_activa(U::kAbierto) && u->lampara_activa(U::kCerrado));
            }
            return saw_trip && saw_no_trip && saw_open && saw_closed;
        },
        60000);
    EXPECT_TRUE(saw_trip && saw_no_trip && saw_open && saw_closed)
        << saw_trip << saw_no_trip << saw_open << saw_closed;
    EXPECT_TRUE(st.En_Linea);
}

// The program as the run script starts it: its own process, the line given on the
// command line, no help from the test.
TEST(EndToEnd, ProgramStartedLikeTheRunScriptConnectsByItself) {
    QTemporaryDir dir;
    testsupport::SimProcess sim(testsupport::SimProcess::relay_program(), testsupport::SimProcess::ErrorOutput::Keep);
    ASSERT_TRUE(sim.start({"--event-every", "0"})) << sim.error().toStdString();
    QProcess program;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("NEVA_COM1", sim.pty_path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("NEVA_MARKER_FILE", dir.filePath("marker"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(NEVA_SETUP_BIN, {"9600,N,8,1 1 1"});
    ASSERT_TRUE(program.waitForStarted(10000));

    // Identification, both setpoint blocks, then the status read over and over.
    const QRegularExpression status_read("request slave 1 function 04 0203");
    auto log = [&] { return QString::fromLocal8Bit(sim.error_output()); };
    EXPECT_TRUE(run_until([&] { return log().count(status_read) >= 10; }, 30000)) << log().toStdString();
    for (const char* first : {"04 0000", "03 0100", "03 0180"})
        EXPECT_TRUE(log().contains(QString("request slave 1 function ") + first)) << first;
    EXPECT_EQ(read_file(dir.filePath("marker").toStdString()), std::string("\x01\x00", 2));
    EXPECT_EQ(program.state(), QProcess::Running);

    program.terminate();
    if (!program.waitForFinished(5000)) program.kill();
    program.waitForFinished(2000);
}
