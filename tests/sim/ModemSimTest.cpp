// The modem simulator as a process on a pseudo-terminal, talked to through a raw
// serial client as the setup program's modem programming does.

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "PosixSimProcess.h"

namespace neva::simtest {
namespace {

using testsupport::PosixSimProcess;

const std::string kModem = NEVA_MODEM_SIM_PATH;

class RawPort {
public:
    explicit RawPort(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~RawPort() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const std::string& s) { ASSERT_EQ(write(fd_, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    // Collects what arrives until `expected` has come or the bound has passed.
    std::string read_until(const std::string& expected, int bound_ms = 1000) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(bound_ms);
        while (got.find(expected) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[256];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    std::string command(const std::string& line, const std::string& expected) {
        send(line);
        return read_until(expected);
    }

private:
    int fd_ = -1;
};

// The command interpreter's answers are HayesModem's (HayesModemTest), and the setup
// program's two strings run against this process in tests/modem; here the escape
// with real guard times and a reopened port.
TEST(ModemSim, RefusalEscapeWithRealGuardTimesAndAReopenedPort) {
    PosixSimProcess sim(kModem, {"--quiet"});
    ASSERT_TRUE(sim.started());
    RawPort port(sim.path());
    ASSERT_TRUE(port.ok());
    EXPECT_EQ(port.command("ATE0Q5\r", "ERROR\r\n"), "ATE0Q5\r\r\nERROR\r\n");

    // The escape, with a short guard time (S12 = 5: 100 ms) to keep the test quick.
    EXPECT_EQ(port.command("ATS12=5D123\r", "CONNECT\r\n"), "\r\nCONNECT\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    port.send("+++");
    EXPECT_EQ(port.read_until("OK\r\n", 2000), "\r\nOK\r\n");
    EXPECT_EQ(port.command("ATH\r", "OK\r\n"), "\r\nOK\r\n");

    // The modem keeps its state when the port is closed and opened again.
    RawPort again(sim.path());
    EXPECT_EQ(again.command("AT\r", "OK\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(sim.stop(), 0);
}

TEST(ModemSim, StartupOptionsAndSilence) {
    PosixSimProcess numeric(kModem, {"--quiet", "--no-echo", "--numeric"});
    ASSERT_TRUE(numeric.started());
    RawPort port(numeric.path());
    EXPECT_EQ(port.command("AT\r", "0\r"), "0\r");

    PosixSimProcess dead(kModem, {"--quiet", "--silent"});
    ASSERT_TRUE(dead.started());
    RawPort silent(dead.path());
    silent.send("AT&F\r");
    EXPECT_EQ(silent.read_until("never", 300), "");
}

}  // namespace
}  // namespace neva::simtest
