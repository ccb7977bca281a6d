// The link engine with the real Qt serial port and timers against the relay
// simulator on a pseudo-terminal: what the relay sees on its line, what ends up in
// the images, and which messages the user gets. Every wait is bounded; nothing
// here asserts how long something took. (A setpoint write read back, a line that
// garbles answers and a relay that never answers are run over the line by the
// program's and the tool's tests.)

#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "RecordingPort.h"
#include "RunUntil.h"
#include "SimProcess.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "link/LinkController.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

using e2e::RecordingPort;
using testsupport::SimProcess;
using testsupport::run_for;
using testsupport::run_until;

std::string join(const std::vector<int>& v) {
    std::string out;
    for (int x : v) out += (out.empty() ? "" : " ") + std::to_string(x);
    return out;
}

constexpr int kWaitMs = 20000;  // a lost device needs up to five two-second time-outs

class LinkE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(SimProcess::relay_program()).isExecutable())
            GTEST_SKIP() << "relay simulator not built: " << SimProcess::relay_program().toStdString();
    }

    void TearDown() override {
        if (link) link->Desconectar();
        qunsetenv("NEVA_COM1");
    }

    // Starts a still relay (no new events, so the record does not move under the
    // test) with the given extra options, and builds the program's side.
    void start(const QStringList& extra = {}) {
        ASSERT_TRUE(sim.start(QStringList{"--quiet", "--event-every", "0"} + extra)) << sim.error().toStdString();
        qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
        qt_port = std::make_unique<QtSerialPort>();
        line = std::make_unique<RecordingPort>(*qt_port);
        link = std::make_unique<LinkController>(state, images, *line, timers, messages, clock);
        link->on_disconnect = [this] { ++disconnects; };
    }

    std::vector<int> actions() const { return line->actions(); }
    // True once something was written after a frame of an action.
    bool sent_past(int action) const {
        const std::vector<int> a = actions();
        return a.size() > 1 && std::find(a.begin(), a.end() - 1, action) != a.end() - 1;
    }
    bool all_events_shown() const {
        for (int k = 0; k < 20; ++k)
            if (link->NEVA().DatosDeVariables(64 + k).text().find(',') == std::string::npos) return false;
        return true;
    }
    // Online, the connect sequence done and the cyclic status read running.
    bool settled() const {
        if (!state.En_Linea || !all_events_shown()) return false;
        const std::vector<int> a = actions();
        return a.size() >= 3 && a[a.size() - 1] == 2 && a[a.size() - 2] == 2;
    }
    void connect_and_settle() {
        ASSERT_TRUE(link->Conectar(1, 9600, 1)) << qt_port->last_error().toStdString();
        ASSERT_TRUE(run_until([this] { return settled(); }, kWaitMs))
            << "connect sequence did not complete; requests: " << join(actions())
            << " online " << state.En_Linea << " error " << state.Error_Comunicacion;
    }

    SimProcess sim{SimProcess::relay_program()};  // destroyed last: the program lets go of the line first
    SharedState state;
    RegisterImages images;
    QtTimerFactory timers;
    QtClock clock;
    testing::ScriptedMessages messages;
    std::unique_ptr<QtSerialPort> qt_port;
    std::unique_ptr<RecordingPort> line;
    std::unique_ptr<LinkController> link;
    int disconnects = 0;
};

TEST_F(LinkE2eTest, ConnectSetTheClockAndLoseTheDeviceMidTransaction) {
    start();
    connect_and_settle();
    // Identification, both setpoint blocks, one read of every actual-value block,
    // the event record head, then the 20 newest events (25 down to 6), each a
    // selection and a read of the event window; then only the cyclic status read.
    const std::vector<int> a = actions();
    EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 9), (std::vector<int>{60, 61, 62, 4, 5, 6, 30, 31, 90}));
    EXPECT_EQ(link->NEVA().DatosDeVariables(83).number(), 6);
    EXPECT_EQ(state.Version_Rele, "1.03");

    // The clock the relay reports after the write and its apply command, shown as
    // the metering page does.
    link->NEVA().Date_Time(5, 3, 2003, 10, 20, 30);
    for (int action : {93, 92, 91}) link->Encolar_Proceso(0, action);
    ASSERT_TRUE(run_until([this] { return sent_past(91); }, kWaitMs));
    std::int32_t bloque = 4;
    link->NEVA().Devuelve_Datos(bloque);
    const std::string shown = link->NEVA().DatosDeVariables(40).text();
    EXPECT_EQ(shown.rfind(clock.short_date(5, 3, 2003) + " 10:20:3", 0), 0u) << shown;

    // Pull the plug right after a status request went out, before its answer: the
    // error path runs once and nothing is dispatched any more.
    bool pulled = false;
    line->after_write = [&](const std::vector<std::uint8_t>& frame) {
        if (!pulled && RecordingPort::action_of(frame) == 2) {
            pulled = true;
            sim.kill();
        }
    };
    messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    ASSERT_TRUE(run_until([&] { return disconnects > 0; }, kWaitMs));
    EXPECT_TRUE(state.Error_Comunicacion);
    EXPECT_FALSE(qt_port->is_open());
    const std::size_t frames = line->written.size();
    run_for(2500);
    EXPECT_EQ(line->written.size(), frames);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(line->lost_count, 1);
}

}  // namespace
}  // namespace neva
