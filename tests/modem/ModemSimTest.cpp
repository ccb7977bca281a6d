// Modem programming through the program's own Qt serial port and event pump,
// against the modem simulator on a pseudo-terminal.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "SimProcess.h"
#include "modem/Lectura_Escritura.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "testing/ScriptedMessages.h"

namespace neva::modemtest {
namespace {

using neva::testing::ScriptedMessages;
using testsupport::SimProcess;

const std::string kSecond = "ATE0 V0 S0=2 &W1 &Y1\r";
const std::string kPreamble = "ATV1E0\r+++ATH\rAT&F\rAT&K0N1\r";

// The link's own line, on COM5: a pseudo-terminal nobody answers on, so that the
// test sees the link get its port back open.
class LinkLine {
public:
    LinkLine() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) path_ = ::ptsname(master_);
    }
    ~LinkLine() {
        if (master_ >= 0) ::close(master_);
    }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    std::string path_;
};

class ModemSim : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_FALSE(link_line.path().empty());
        qputenv("NEVA_COM5", QByteArray::fromStdString(link_line.path()));
        port.set_port_number(5);
        port.set_settings("19200,N,8,1");
        ASSERT_TRUE(port.open()) << port.last_error().toStdString();
        state.Modo_Modem = true;
        state.Puerto_Com = 5;
        state.Velocidad_Com = 19200;
        state.En_Linea = false;
        modem = std::make_unique<Lectura_Escritura>(state, port, clock, messages,
                                                    [] { QCoreApplication::processEvents(); },
                                                    folder.path().toStdString());
    }

    void TearDown() override {
        messages.verify();
        qunsetenv("NEVA_COM1");
        qunsetenv("NEVA_COM5");
    }

    // The simulated modem on COM1.
    void start_modem(const QStringList& options) {
        ASSERT_TRUE(sim.start(options)) << sim.error().toStdString();
        qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
    }

    void expect_link_port_back() {
        EXPECT_EQ(port.port_number(), 5);
        EXPECT_EQ(port.settings(), "19200,N,8,1");
        EXPECT_TRUE(port.is_open());
        EXPECT_EQ(port.device().toStdString(), link_line.path());
    }

    // Every byte the modem has received from the computer so far, in order, from
    // the simulator's log lines "neva-modem-sim: received <bytes>" (CR and LF
    // written as <CR> and <LF>); waits (bounded) until they are `all`.
    void expect_received(const std::string& all) {
        QElapsedTimer elapsed;
        elapsed.start();
        std::string bytes;
        while (bytes != all && elapsed.elapsed() < 3000 && sim.running()) {
            bytes.clear();
            const QByteArray marker = "neva-modem-sim: received ";
            for (const QByteArray& line : sim.error_output(50).split('\n')) {
                if (!line.startsWith(marker)) continue;
                bytes += line.mid(marker.size()).replace("<CR>", "\r").replace("<LF>", "\n").toStdString();
            }
        }
        EXPECT_EQ(bytes, all);
    }

    // Programs the modem with the user agreeing to connect it; `outcome` is the
    // message expected at the end, if any.
    void program(int kind, int speed, const char* outcome, int location = 0, const char* place = "COM1") {
        messages.expect_message(std::string("Please Connect the Modem to ") + place, MsgAnswer::Ok);
        if (outcome) messages.expect_message(outcome);
        modem->Modem_Click(kind, speed, location, place);
    }

    std::string at_file() const {
        std::ifstream in(folder.filePath("AT").toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    QTemporaryDir folder;
    LinkLine link_line;
    SharedState state;
    QtSerialPort port;
    QtClock clock;
    ScriptedMessages messages;
    std::unique_ptr<Lectura_Escritura> modem;
    SimProcess sim{SimProcess::modem_program(), SimProcess::ErrorOutput::Keep};
};

class ModemSimDefault : public ModemSim {};
class ModemSimPersonal : public ModemSim {};

TEST_F(ModemSimDefault, AcceptedInNumericForm) {
    ASSERT_NO_FATAL_FAILURE(start_modem({}));
    program(Lectura_Escritura::kDefaultString, 3, "Modem Has Been Programed");
    expect_received("AT&F\r" + kSecond);
    expect_link_port_back();
    EXPECT_TRUE(state.Modo_Modem);
    EXPECT_EQ(state.Velocidad_Com, 19200);
}

TEST_F(ModemSimDefault, RefusedWithNumericFourShowsNothing) {
    // A modem without a second stored profile: "&W1" is an error, numeric 4.
    ASSERT_NO_FATAL_FAILURE(start_modem({"--refuse", "&W"}));
    program(Lectura_Escritura::kDefaultString, 3, nullptr);
    expect_received("AT&F\r" + kSecond);
    expect_link_port_back();
}

TEST_F(ModemSimDefault, SilentModemIsNotResponse) {
    ASSERT_NO_FATAL_FAILURE(start_modem({"--silent"}));
    state.En_Linea = true;
    program(Lectura_Escritura::kDefaultString, 1, "Modem Not Response");
    EXPECT_FALSE(state.En_Linea);
    EXPECT_EQ(state.Velocidad_Com, 2400);
    expect_link_port_back();

    // No device behind the chosen location at all.
    qputenv("NEVA_COM2", folder.filePath("no-such-device").toLocal8Bit());
    program(Lectura_Escritura::kDefaultString, 1, "Modem Not Response", 1, "COM2");
    expect_link_port_back();
    qunsetenv("NEVA_COM2");
}

TEST_F(ModemSimPersonal, AcceptedStringIsKeptForTheNextRun) {
    ASSERT_NO_FATAL_FAILURE(start_modem({}));
    messages.expect_input("Enter the New string initialization", std::string("AT S0=1"));
    program(Lectura_Escritura::kPersonalString, 3, "Modem Has Been Programed");
    EXPECT_TRUE(state.Modem_Programado);
    expect_received(kPreamble + "AT S0=1\r");
    expect_link_port_back();

    // The next run reads the file back and offers it.
    SharedState next_state;
    Lectura_Escritura next(next_state, port, clock, messages, [] { QCoreApplication::processEvents(); },
                           folder.path().toStdString());
    ASSERT_TRUE(next.Leer_Cadena_Modem(1));
    EXPECT_EQ(next_state.Cadena_Modem, "AT S0=1" + std::string(93, ' '));
}

TEST_F(ModemSimPersonal, ErrorAnswerAndEmptyString) {
    ASSERT_NO_FATAL_FAILURE(start_modem({}));
    // A command the modem does not know.
    messages.expect_input("Enter the New string initialization", std::string("AT&Q5"));
    program(Lectura_Escritura::kPersonalString, 3, "Modem doesn't response");
    EXPECT_FALSE(state.Modem_Programado);
    expect_received(kPreamble + "AT&Q5\r");
    const std::string before = at_file();
    EXPECT_EQ(before, "AT&Q5" + std::string(95, ' '));

    // An empty string keeps the file as it was and ends by time-out, without a
    // message; a lone CR was the last thing sent.
    messages.expect_input("Enter the New string initialization", std::string(""));
    program(Lectura_Escritura::kPersonalString, 3, nullptr);
    EXPECT_FALSE(state.Modem_Programado);
    expect_received(kPreamble + "AT&Q5\r" + kPreamble + "\r");
    EXPECT_EQ(at_file(), before);
    expect_link_port_back();
}

}  // namespace
}  // namespace neva::modemtest
