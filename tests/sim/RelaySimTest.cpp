// The relay simulator as the setup program meets it: a separate process on a
// pseudo-terminal, talked to by libmodbus as the master.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <modbus.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "PosixSimProcess.h"

namespace neva::simtest {
namespace {

using testsupport::PosixSimProcess;

const std::string kSim = NEVA_RELAY_SIM_PATH;

class Master {
public:
    Master(const std::string& path, int slave = 1) {
        ctx_ = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 1);
        if (!ctx_) return;
        modbus_set_slave(ctx_, slave);
        modbus_set_response_timeout(ctx_, 0, 500000);
        modbus_set_byte_timeout(ctx_, 0, 200000);
        connected_ = modbus_connect(ctx_) == 0;
    }
    ~Master() {
        if (ctx_) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
    }
    bool ok() const { return connected_; }
    modbus_t* ctx() { return ctx_; }

    std::vector<std::uint16_t> input(int address, int count) { return read(modbus_read_input_registers, address, count); }
    std::vector<std::uint16_t> holding(int address, int count) { return read(modbus_read_registers, address, count); }
    bool write(int address, const std::vector<std::uint16_t>& values) {
        const int n = static_cast<int>(values.size());
        return done(modbus_write_registers(ctx_, address, n, values.data())) == n;
    }
    int last_errno() const { return last_errno_; }

private:
    int done(int rc) {
        last_errno_ = errno;
        return rc;
    }
    std::vector<std::uint16_t> read(int (*f)(modbus_t*, int, int, std::uint16_t*), int address, int count) {
        std::vector<std::uint16_t> v(count);
        if (done(f(ctx_, address, count, v.data())) != count) v.clear();
        return v;
    }

    modbus_t* ctx_ = nullptr;
    bool connected_ = false;
    int last_errno_ = 0;
};

std::vector<std::string> still(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--quiet", "--event-every", "0", "--seed", "5"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// Identification, setpoint blocks, events, clock, commands, silence and bad CRCs are
// run over the line by the program's, the link's and the tool's tests; here what
// they do not reach.
TEST(RelaySim, BlocksEventWindowAndForeignAddressesAsTheRelayHasThem) {
    PosixSimProcess sim(kSim, still({"--events", "25"}));
    PosixSimProcess seven(kSim, still({"--address", "7"}));
    ASSERT_TRUE(sim.started() && seven.started());
    Master m(sim.path());
    ASSERT_TRUE(m.ok());
    // Block 2 is untouched by a block 1 write; outside the relay's map an exception, not zeros.
    const auto block2 = m.holding(0x0180, 22);
    ASSERT_EQ(block2.size(), 22u);
    ASSERT_TRUE(m.write(0x0100, std::vector<std::uint16_t>(27, 0x1100)));
    EXPECT_EQ(m.holding(0x0180, 22), block2);
    EXPECT_TRUE(m.holding(0x0200, 3).empty());
    EXPECT_EQ(m.last_errno(), EMBXILADD);

    // Newest first, as the setup program reads them, each stamp no later than the
    // newer one's (same century assumed); the oldest is the record's clear.
    ASSERT_EQ(m.input(0x0600, 1), std::vector<std::uint16_t>{25});
    std::uint64_t later = UINT64_MAX;
    for (int n = 25; n >= 1; --n) {
        ASSERT_TRUE(m.write(0x0610, {static_cast<std::uint16_t>(n)}));
        const auto w = m.input(0x0610, 4);
        ASSERT_EQ(w.size(), 4u);
        EXPECT_EQ(w[0], n);
        const std::uint64_t when = (std::uint64_t(w[1] & 0x7F) << 32) | (std::uint64_t(w[2]) << 16) | w[3];
        EXPECT_LE(when, later) << "event " << n;
        later = when;
    }
    EXPECT_EQ(m.input(0x0611, 1).at(0) >> 7, 1) << "the oldest is the record's clear";
    // One past the newest: the number is shown, the event is empty.
    ASSERT_TRUE(m.write(0x0610, {26}));
    EXPECT_EQ(m.input(0x0610, 4), (std::vector<std::uint16_t>{26, 0, 0, 0}));

    // A relay at another address is silent to address 1 and answers its own.
    {
        Master other(seven.path(), 1);
        EXPECT_TRUE(other.input(0x0000, 3).empty());
        EXPECT_EQ(other.last_errno(), ETIMEDOUT);
    }
    Master own(seven.path(), 7);
    EXPECT_EQ(own.input(0x0000, 3), (std::vector<std::uint16_t>{12, 2, 103}));
}

TEST(RelaySim, PortReopenedPacedAnswersAndLinkRemovedAtExit) {
    const std::string link = "/tmp/neva-relay-sim-test-" + std::to_string(getpid());
    PosixSimProcess sim(kSim, still({"--link", link, "--baud", "19200", "--reply-delay", "5"}));
    ASSERT_TRUE(sim.started());
    // The setup program opens and closes its port again and again, often the next
    // open following at once; a request still unanswered when the port closed must
    // not leave its answer for the next opener. (A reopen within the same
    // millisecond as such a close can still meet the old answer's first bytes.)
    for (int round = 0; round < 4; ++round) {
        if (round == 2) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Master m(link);
        ASSERT_TRUE(m.ok()) << round;
        EXPECT_EQ(m.holding(0x0100, 27).size(), 27u) << round;
        if (round == 1) {
            ASSERT_NE(modbus_send_raw_request(m.ctx(), std::vector<std::uint8_t>{1, 3, 1, 0, 0, 27}.data(), 6), -1);
            // Closed while the answer is on its way (59 bytes at 19200 baud take
            // 30 ms); the next round opens a moment after the close.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    EXPECT_EQ(sim.stop(), 0);
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "link removed";
}

}  // namespace
}  // namespace neva::simtest
