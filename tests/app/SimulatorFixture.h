#pragma once
// The program on the real serial port and timers against the relay simulator on a
// pseudo-terminal given as COM1.

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "RunUntil.h"
#include "SimProcess.h"
#include "testing/ScriptedMessages.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"

namespace neva::apptest {

using testsupport::run_until;

class SimulatorFixture : public ::testing::Test {
protected:
    // Starts the simulator (quiet) and makes the program's context for its line.
    void start_relay(const QStringList& sim_args);
    // The main window as the program starts it; with a line on the command line it
    // connects at once and reads both setpoint blocks.
    void start_program(const std::string& command_line);
    void TearDown() override;
    std::string ruta() const;

    QTemporaryDir dir;
    testsupport::SimProcess sim{testsupport::SimProcess::relay_program()};
    testing::ScriptedMessages* msgs = nullptr;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<Principal> w;
};

}  // namespace neva::apptest
