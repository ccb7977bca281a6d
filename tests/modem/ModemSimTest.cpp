// Modem programming through the program's own Qt serial port and event pump,
// against the modem simulator on a pseudo-terminal: one run of each string. The
// refusals, silences and time-outs are the programming's and run with fakes in
// tests/core/modem.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "PtyMaster.h"
#include "SimProcess.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "modem/Lectura_Escritura.h"
#include "testing/ScriptedMessages.h"
#include "testing/TempDir.h"

namespace neva::modemtest {
namespace {

using testsupport::SimProcess;

class ModemSim : public ::testing::Test {
protected:
    // The link's own line is COM5, a pseudo-terminal nobody answers on, so that the
    // test sees the link get its port back open. The simulated modem is COM1.
    void SetUp() override {
        ASSERT_TRUE(link_line.ok());
        qputenv("NEVA_COM5", link_line.slave());
        port.set_port_number(5);
        port.set_settings("19200,N,8,1");
        ASSERT_TRUE(port.open()) << port.last_error().toStdString();
        state.Modo_Modem = true;
        state.Puerto_Com = 5;
        state.Velocidad_Com = 19200;
        ASSERT_TRUE(sim.start({})) << sim.error().toStdString();
        qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
    }
    void TearDown() override {
        messages.verify();
        qunsetenv("NEVA_COM1");
        qunsetenv("NEVA_COM5");
    }
    Lectura_Escritura modem(SharedState& s) {
        return Lectura_Escritura(s, port, clock, messages, [] { QCoreApplication::processEvents(); }, folder.dir().string());
    }
    // Every byte the modem received, from the simulator's log lines
    // "neva-modem-sim: received <bytes>" (CR and LF written as <CR> and <LF>);
    // waits (bounded) until they are `all`.
    void expect_received(const std::string& all) {
        QElapsedTimer elapsed;
        elapsed.start();
        std::string bytes;
        while (bytes != all && elapsed.elapsed() < 3000 && sim.running()) {
            bytes.clear();
            const QByteArray marker = "neva-modem-sim: received ";
            for (const QByteArray& line : sim.error_output(50).split('\n'))
                if (line.startsWith(marker))
                    bytes += line.mid(marker.size()).replace("<CR>", "\r").replace("<LF>", "\n").toStdString();
        }
        EXPECT_EQ(bytes, all);
    }
    void expect_link_port_back() {
        EXPECT_EQ(port.port_number(), 5);
        EXPECT_EQ(port.settings(), "19200,N,8,1");
        EXPECT_TRUE(port.is_open());
        EXPECT_EQ(port.device().toUtf8(), link_line.slave());
    }

    testing::TempDir folder;
    testsupport::PtyMaster link_line;
    SharedState state;
    QtSerialPort port;
    QtClock clock;
    testing::ScriptedMessages messages;
    SimProcess sim{SimProcess::modem_program(), SimProcess::ErrorOutput::Keep};
};

TEST_F(ModemSim, DefaultStringInNumericFormThenAPersonalStringKeptForTheNextRun) {
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed");
    modem(state).Modem_Click(Lectura_Escritura::kDefaultString, 3, 0, "COM1");
    expect_received("AT&F\rATE0 V0 S0=2 &W1 &Y1\r");
    expect_link_port_back();
    EXPECT_TRUE(state.Modo_Modem);
    EXPECT_EQ(state.Velocidad_Com, 19200);

    // The modem now answers in numbers; the personal string switches it back to words.
    messages.expect_input("Enter the New string initialization", std::string("AT S0=1"));
    messages.expect_message("Please Connect the Modem to COM1", MsgAnswer::Ok);
    messages.expect_message("Modem Has Been Programed");
    modem(state).Modem_Click(Lectura_Escritura::kPersonalString, 3, 0, "COM1");
    EXPECT_TRUE(state.Modem_Programado);
    expect_received("AT&F\rATE0 V0 S0=2 &W1 &Y1\rATV1E0\r+++ATH\rAT&F\rAT&K0N1\rAT S0=1\r");
    expect_link_port_back();

    // The next run reads the file back and offers it.
    SharedState next_state;
    ASSERT_TRUE(modem(next_state).Leer_Cadena_Modem(1));
    EXPECT_EQ(next_state.Cadena_Modem, "AT S0=1" + std::string(93, ' '));
}

}  // namespace
}  // namespace neva::modemtest
