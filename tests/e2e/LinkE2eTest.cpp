// The link engine with the real Qt serial port and timers against the relay
// simulator on a pseudo-terminal: what the relay sees on its line, what ends up in
// the images, and which messages the user gets. Every wait is bounded; nothing
// here asserts how long something took.

#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "RecordingPort.h"
#include "SimProcess.h"
#include "RunUntil.h"
#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "startup/SharedState.h"
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

constexpr int kWaitMs = 20000;  // the silent relay needs five two-second time-outs

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
        QStringList args{QStringLiteral("--quiet"), QStringLiteral("--event-every"), QStringLiteral("0")};
        args += extra;
        ASSERT_TRUE(sim.start(args)) << sim.error().toStdString();
        qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
        qt_port = std::make_unique<QtSerialPort>();
        line = std::make_unique<RecordingPort>(*qt_port);
        link = std::make_unique<LinkController>(state, images, *line, timers, messages, clock);
        link->on_disconnect = [this] { ++disconnects; };
    }

    std::vector<int> actions() const { return line->actions(); }
    // True once something was written after the n-th (1-based) frame of an action.
    bool sent_past(int action, int nth) const {
        const std::vector<int> a = actions();
        int seen = 0;
        for (std::size_t i = 0; i + 1 < a.size(); ++i)
            if (a[i] == action && ++seen == nth) return true;
        return false;
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

    // After the error path nothing is dispatched any more and it ran only once.
    void expect_quiet_after_error() {
        const std::size_t frames = line->written.size();
        run_for(2500);
        EXPECT_EQ(line->written.size(), frames);
        EXPECT_EQ(disconnects, 1);
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

TEST_F(LinkE2eTest, ConnectReadsIdentitySetpointsAndEventsThenPollsStatus) {
    start();
    connect_and_settle();

    // Identification, both setpoint blocks, one read of every actual-value block,
    // the event record head; then the 20 newest events, each a selection followed by
    // a read of the event window; then only the cyclic status read.
    const std::vector<int> a = actions();
    ASSERT_GE(a.size(), 7u + 40u + 2u);
    EXPECT_EQ(std::vector<int>(a.begin(), a.begin() + 7), (std::vector<int>{60, 61, 62, 4, 5, 6, 30}));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(a[7 + 2 * i], 31) << "event " << i + 1;
        EXPECT_EQ(a[8 + 2 * i], 90) << "event " << i + 1;
    }
    EXPECT_TRUE(std::all_of(a.begin() + 47, a.end(), [](int x) { return x == 2; }));

    EXPECT_FALSE(state.Error_Comunicacion);
    EXPECT_EQ(state.Version_Rele, "1.03");

    // The relay holds 25 events: the newest 25 first, down to 6.
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(link->NEVA().DatosDeVariables(64 + k).number(), 25 - k) << link->NEVA().DatosDeVariables(64 + k).text();

    // Both setpoint blocks arrived and the edit image starts equal to them.
    EXPECT_TRUE(std::equal(images.Imagen_Setpoints.begin(), images.Imagen_Setpoints.begin() + 100,
                           images.Imagen_Edicion.begin()));
    EXPECT_TRUE(std::any_of(images.Imagen_Setpoints.begin() + 56, images.Imagen_Setpoints.begin() + 100,
                            [](std::uint8_t b) { return b != 0; }));
}

TEST_F(LinkE2eTest, SetpointBlockWriteIsReadBackFromTheRelay) {
    start();
    connect_and_settle();

    // The phase timed delay (register 0x0184, image bytes 64..65) to a new value.
    const std::uint16_t old_raw = images.Imagen_Setpoints[64] * 256 + images.Imagen_Setpoints[65];
    const std::uint16_t new_raw = old_raw == 250 ? 300 : 250;
    images.Imagen_Edicion[64] = static_cast<std::uint8_t>(new_raw >> 8);
    images.Imagen_Edicion[65] = static_cast<std::uint8_t>(new_raw & 0xFF);
    const std::vector<std::uint8_t> block2(images.Imagen_Edicion.begin() + 56, images.Imagen_Edicion.begin() + 100);

    messages.expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    link->Encolar_Proceso(0, 28);
    ASSERT_TRUE(run_until([this] { return messages.done() && sent_past(28, 1); }, kWaitMs));
    EXPECT_TRUE(std::equal(block2.begin(), block2.end(), images.Imagen_Setpoints.begin() + 56));

    // Forget the block here, then read it back from the relay.
    std::fill(images.Imagen_Setpoints.begin() + 56, images.Imagen_Setpoints.begin() + 100, 0);
    std::fill(images.Imagen_Edicion.begin() + 56, images.Imagen_Edicion.begin() + 100, 0);
    link->Encolar_Proceso(0, 62);
    // Block 2 was read at connect and as the write's read-back; this is the third.
    ASSERT_TRUE(run_until([this] { return sent_past(62, 3); }, kWaitMs));
    EXPECT_TRUE(std::equal(block2.begin(), block2.end(), images.Imagen_Setpoints.begin() + 56));
    EXPECT_TRUE(std::equal(block2.begin(), block2.end(), images.Imagen_Edicion.begin() + 56));
}

TEST_F(LinkE2eTest, ClockWriteIsTakenByTheRelay) {
    start();
    connect_and_settle();

    link->NEVA().Date_Time(5, 3, 2003, 10, 20, 30);
    link->Encolar_Proceso(0, 93);
    link->Encolar_Proceso(0, 92);
    link->Encolar_Proceso(0, 91);
    ASSERT_TRUE(run_until([this] { return sent_past(91, 1); }, kWaitMs));
    const std::vector<int> a = actions();
    const auto at93 = std::find(a.begin(), a.end(), 93);
    ASSERT_LT(at93 + 2, a.end());
    EXPECT_EQ(std::vector<int>(at93, at93 + 3), (std::vector<int>{93, 92, 91}));

    // The clock as the relay now reports it, shown as the metering page does.
    std::int32_t bloque = 4;
    link->NEVA().Devuelve_Datos(bloque);
    const std::string shown = link->NEVA().DatosDeVariables(40).text();
    EXPECT_EQ(shown.rfind(clock.short_date(5, 3, 2003) + " 10:20:3", 0), 0u) << shown;
}

TEST_F(LinkE2eTest, AnswersWithBadCrcAreRepeatedWithoutAnError) {
    start({QStringLiteral("--bad-crc-every"), QStringLiteral("5")});
    ASSERT_TRUE(link->Conectar(1, 9600, 1));
    // Every fifth answer is refused and its request stays pending, so channel 0 takes
    // longer to empty; then the cyclic status read runs. A bad CRC is not a missing
    // answer: no failure is counted and the user hears nothing of it.
    ASSERT_TRUE(run_until(
        [this] {
            const std::vector<int> a = actions();
            return a.size() > 47 && a[a.size() - 1] == 2 && a[a.size() - 2] == 2 && a[a.size() - 3] == 2;
        },
        kWaitMs))
        << join(actions());
    const std::vector<int> a = actions();
    EXPECT_GT(std::find(a.begin(), a.end(), 2) - a.begin(), 47) << join(a);
    EXPECT_TRUE(state.En_Linea);
    EXPECT_FALSE(state.Error_Comunicacion);
    EXPECT_EQ(disconnects, 0);
    // A refused setpoint answer leaves the stored block as it was and the read is
    // repeated until one is good: both images end equal and filled.
    EXPECT_TRUE(std::equal(images.Imagen_Setpoints.begin(), images.Imagen_Setpoints.begin() + 100,
                           images.Imagen_Edicion.begin()));
    EXPECT_TRUE(std::any_of(images.Imagen_Setpoints.begin() + 56, images.Imagen_Setpoints.begin() + 100,
                            [](std::uint8_t b) { return b != 0; }));
}

TEST_F(LinkE2eTest, SilentRelayEndsInTheCommunicationError) {
    start({QStringLiteral("--silent")});
    messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    ASSERT_TRUE(link->Conectar(1, 9600, 1));
    ASSERT_TRUE(run_until([this] { return disconnects > 0; }, kWaitMs));

    EXPECT_TRUE(state.Error_Comunicacion);
    // Five requests of the connect sequence went out unanswered (each given up after
    // its time-out; the next search of channel 0 finds the next one first), none twice
    // as a cyclic read: nothing ever came back.
    // Then the disconnect puts its single 0x00 byte on the line.
    const std::vector<int> a = actions();
    ASSERT_EQ(a.size(), 6u) << join(a);
    EXPECT_TRUE(std::all_of(a.begin(), a.end() - 1, [](int x) {
        return x == 60 || x == 61 || x == 62 || x == 4 || x == 5 || x == 6 || x == 30;
    })) << join(a);
    EXPECT_EQ(line->written.back().bytes, std::vector<std::uint8_t>{0x00});
    expect_quiet_after_error();
}

TEST_F(LinkE2eTest, DeviceGoneMidTransactionRunsTheErrorPathOnce) {
    start();
    connect_and_settle();

    // Pull the plug right after a status request went out, before its answer.
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

    expect_quiet_after_error();
    EXPECT_EQ(line->lost_count, 1);
}

}  // namespace
}  // namespace neva
