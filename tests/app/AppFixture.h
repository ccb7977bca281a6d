#pragma once
// The program's state for the widget tests: on fake platform objects (the test keeps
// pointers to the fake port, timers, messages and clock while the application object
// owns them), or on the real serial port and timers against the relay simulator on a
// pseudo-terminal given as COM1.

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "RunUntil.h"
#include "SimProcess.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"
#include "testing/ScriptedMessages.h"
#include "testing/SetpointWords.h"
#include "testing/TempDir.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"

namespace neva {
class SetpointPage;
}

namespace neva::apptest {

using testing::put_word;
using testing::read_file;
using testing::word;
using testsupport::run_until;

struct FakeApp {
    explicit FakeApp(PortSwitch::Factory other_ports = {}, std::unique_ptr<PortSource> port_source = {});
    testing::FakePort* port = nullptr;
    testing::FakeTimerFactory* timers = nullptr;
    testing::ScriptedMessages* msgs = nullptr;
    testing::FakeClock* clock = nullptr;
    std::unique_ptr<AppContext> ctx;
};

// The main window started offline on fake platform objects, with a default file
// (pattern_image(1), "Default") beside the program and the launcher's marker file
// in the test's folder; the end of the program is counted, not run.
struct OfflineProgram : ::testing::Test {
    void SetUp() override;
    void TearDown() override;
    std::string ruta() const;
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    FakeApp app;
    std::unique_ptr<Principal> w;
    int ended = 0;
};

// The program against the relay simulator.
class SimulatorFixture : public ::testing::Test {
protected:
    // Starts the simulator (quiet) and makes the program's context for its line, with
    // the factory file beside the program.
    void start_relay(const QStringList& sim_args);
    // The main window as the program starts it; with a line on the command line it
    // connects at once and reads both setpoint blocks.
    void start_program(const std::string& command_line);
    void TearDown() override;

    QTemporaryDir dir;
    testsupport::SimProcess sim{testsupport::SimProcess::relay_program()};
    testing::ScriptedMessages* msgs = nullptr;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<Principal> w;
};

// A setpoint image with a recognisable pattern.
SetpointImage pattern_image(std::uint8_t seed);
// Writes a setpoint file with the program's own save routine.
void write_setpoint_file(const std::string& path, const SetpointImage& edicion, const std::string& nombre);
// The actions waiting on a link channel, in the order they go out; and how many of one.
std::vector<int> pending(AppContext& ctx, int canal);
int queued(AppContext& ctx, int canal, int accion);
// Status bar panels 3 to 6: port, speed, address, communication.
std::vector<QString> panels(const Principal& w);

bool same_block(const SetpointImage& a, const SetpointImage& b, int block);
// Every control of the page shows the text (or check state) the register map's view
// gives for `stored`; as a test failure per control, or as a condition to wait on.
void expect_page_shows_image(const SetpointPage& page, const SetpointImage& stored);
bool page_shows_image(const SetpointPage& page, const SetpointImage& stored);

}  // namespace neva::apptest
