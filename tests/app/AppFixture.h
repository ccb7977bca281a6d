#pragma once
// A program state on fake platform objects: the test keeps pointers to the fake
// port, timers, messages and clock while the application object owns them.

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"
#include "testing/ScriptedMessages.h"
#include "ui/AppContext.h"

namespace neva::apptest {

struct FakeApp {
    FakeApp();
    testing::FakePort* port = nullptr;
    testing::FakeTimerFactory* timers = nullptr;
    testing::ScriptedMessages* msgs = nullptr;
    testing::FakeClock* clock = nullptr;
    std::unique_ptr<AppContext> ctx;
};

// A setpoint image with a recognisable pattern.
SetpointImage pattern_image(std::uint8_t seed);

// Writes a setpoint file with the program's own save routine.
void write_setpoint_file(const std::string& path, const SetpointImage& edicion, const std::string& nombre);

// Reads a whole file.
std::string read_file(const std::string& path);

}  // namespace neva::apptest
