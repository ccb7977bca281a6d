#include "SimulatorFixture.h"

#include <QDir>

#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "ui/Inicio.h"

namespace neva::apptest {

void SimulatorFixture::start_relay(const QStringList& sim_args) {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(sim.start(sim_args + QStringList{"--quiet"})) << sim.error().toStdString();
    qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
    qputenv("NEVA_MARKER_FILE", dir.filePath("marker").toLocal8Bit());
    auto m = std::make_unique<testing::ScriptedMessages>();
    msgs = m.get();
    ctx = std::make_unique<AppContext>(std::make_unique<QtSerialPort>(), std::make_unique<QtTimerFactory>(),
                                       std::move(m), std::make_unique<QtClock>());
}

void SimulatorFixture::start_program(const std::string& command_line) {
    ASSERT_TRUE(ctx) << "the simulator did not start";
    w = Inicio::Main(*ctx, command_line, {false, ruta()});
}

void SimulatorFixture::TearDown() {
    w.reset();
    ctx.reset();
    sim.stop();
    qunsetenv("NEVA_COM1");
    qunsetenv("NEVA_MARKER_FILE");
}

std::string SimulatorFixture::ruta() const { return QDir::toNativeSeparators(dir.path()).toStdString(); }

}  // namespace neva::apptest
