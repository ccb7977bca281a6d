#pragma once
// A program state on fake platform objects: the test keeps pointers to the fake
// port, timers, messages and clock while the application object owns them.

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"
#include "testing/ScriptedMessages.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"

namespace neva::apptest {

struct FakeApp {
    FakeApp();
    testing::FakePort* port = nullptr;
    testing::FakeTimerFactory* timers = nullptr;
    testing::ScriptedMessages* msgs = nullptr;
    testing::FakeClock* clock = nullptr;
    std::unique_ptr<AppContext> ctx;
};

// The main window started offline on fake platform objects, with a default file
// (pattern_image(1)) beside the program.
struct OfflineProgram : ::testing::Test {
    void SetUp() override;
    std::string ruta() const;

    QTemporaryDir dir;
    FakeApp app;
    std::unique_ptr<Principal> w;
};

// A setpoint image with a recognisable pattern.
SetpointImage pattern_image(std::uint8_t seed);

// Writes a setpoint file with the program's own save routine.
void write_setpoint_file(const std::string& path, const SetpointImage& edicion, const std::string& nombre);

// How many requests of an action wait on a link channel.
int queued(AppContext& ctx, int canal, int accion);

// Reads a whole file.
std::string read_file(const std::string& path);

}  // namespace neva::apptest
