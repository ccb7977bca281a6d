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
    bool command(int code) { return done(modbus_write_bit(ctx_, code, 1)) == 1; }
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

TEST(RelaySim, IdentificationAndSetpointBlocks) {
    PosixSimProcess sim(kSim, still());
    ASSERT_TRUE(sim.started());
    Master m(sim.path());
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.input(0x0000, 3), (std::vector<std::uint16_t>{12, 2, 103}));

    const auto block2 = m.holding(0x0180, 22);
    ASSERT_EQ(block2.size(), 22u);

    std::vector<std::uint16_t> new1(27), new2(22);
    for (int i = 0; i < 27; ++i) new1[i] = static_cast<std::uint16_t>(0x1100 + i);
    for (int i = 0; i < 22; ++i) new2[i] = static_cast<std::uint16_t>(0x2200 + 3 * i);
    ASSERT_TRUE(m.write(0x0100, new1));
    EXPECT_EQ(m.holding(0x0100, 27), new1);
    EXPECT_EQ(m.holding(0x0180, 22), block2) << "block 2 untouched by a block 1 write";
    ASSERT_TRUE(m.write(0x0180, new2));
    EXPECT_EQ(m.holding(0x0180, 22), new2);

    // Addresses outside the relay's map get an exception, not zeros.
    EXPECT_TRUE(m.holding(0x0200, 3).empty());
    EXPECT_EQ(m.last_errno(), EMBXILADD);
}

TEST(RelaySim, EventSelectorShowsEachEventInTheWindow) {
    PosixSimProcess sim(kSim, still({"--events", "25"}));
    ASSERT_TRUE(sim.started());
    Master m(sim.path());
    const auto head = m.input(0x0600, 4);
    ASSERT_EQ(head.size(), 4u);
    ASSERT_EQ(head[0], 25);

    // Newest first, as the setup program reads them: selected number and words.
    std::uint64_t later = UINT64_MAX;
    for (int n = 25; n >= 1; --n) {
        ASSERT_TRUE(m.write(0x0610, {static_cast<std::uint16_t>(n)}));
        const auto w = m.input(0x0610, 4);
        ASSERT_EQ(w.size(), 4u);
        EXPECT_EQ(w[0], n);
        if (n == 25) {
            EXPECT_EQ(std::vector<std::uint16_t>(w.begin() + 1, w.end()),
                      std::vector<std::uint16_t>(head.begin() + 1, head.end()));
        }
        if (n == 1) {
            EXPECT_EQ(w[1] >> 7, 1) << "the record starts with its clear";
        }
        // Older events are not later than newer ones (same century assumed).
        const std::uint64_t when = (std::uint64_t(w[1] & 0x7F) << 32) | (std::uint64_t(w[2]) << 16) | w[3];
        EXPECT_LE(when, later) << "event " << n;
        later = when;
    }
    // One past the newest: the number is shown, the event is empty.
    ASSERT_TRUE(m.write(0x0610, {26}));
    EXPECT_EQ(m.input(0x0610, 4), (std::vector<std::uint16_t>{26, 0, 0, 0}));
}

// What each command and the clock do is RelayModel's (RelayModelTest); over the line
// they arrive as coil writes and the model's refusals as Modbus exceptions.
TEST(RelaySim, ClockAndCommandsOverTheLine) {
    PosixSimProcess sim(kSim, still());
    ASSERT_TRUE(sim.started());
    Master m(sim.path());
    // The setup program's clock frame: bytes 0, 3, 0x0C, 0xAA, 0x51, 0x2C for
    // 5 March 2003 10:20:30.
    ASSERT_TRUE(m.write(0x0090, {0x0003, 0x0CAA, 0x512C}));
    ASSERT_TRUE(m.command(5));
    EXPECT_EQ(m.input(0x0200, 2), (std::vector<std::uint16_t>{3, 0x0CAA}));
    // An impossible date is refused and the clock keeps its time.
    ASSERT_TRUE(m.write(0x0090, {0x0003, 2 * 1024 + 30 * 32 + 10, 0}));
    EXPECT_FALSE(m.command(5));
    EXPECT_EQ(m.last_errno(), EMBXILVAL);
    EXPECT_EQ(m.input(0x0200, 2), (std::vector<std::uint16_t>{3, 0x0CAA}));

    ASSERT_TRUE(m.command(9));
    const auto head = m.input(0x0600, 2);
    ASSERT_EQ(head.size(), 2u);
    EXPECT_EQ(head[0], 1);
    EXPECT_EQ(head[1] >> 7, 1) << "the record starts again with its clear";
    EXPECT_FALSE(m.command(3));
    EXPECT_EQ(m.last_errno(), EMBXILADD);
}

TEST(RelaySim, SilenceBadCrcAndForeignAddressAsTheOptionsSay) {
    PosixSimProcess silent(kSim, still({"--silent"}));
    PosixSimProcess bad_crc(kSim, still({"--bad-crc-every", "2"}));
    PosixSimProcess seven(kSim, still({"--address", "7"}));
    ASSERT_TRUE(silent.started() && bad_crc.started() && seven.started());

    Master quiet(silent.path());
    EXPECT_TRUE(quiet.input(0x0000, 3).empty());
    EXPECT_EQ(quiet.last_errno(), ETIMEDOUT);

    Master m(bad_crc.path());
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(m.input(0x0000, 3).size(), i % 2 == 0 ? 0u : 3u) << "answer " << i;
        if (i % 2 == 0) {
            EXPECT_EQ(m.last_errno(), EMBBADCRC) << "answer " << i;
        }
    }

    {
        Master other(seven.path(), 1);
        EXPECT_TRUE(other.input(0x0000, 3).empty());
        EXPECT_EQ(other.last_errno(), ETIMEDOUT);
    }
    Master own(seven.path(), 7);
    EXPECT_EQ(own.input(0x0000, 3).size(), 3u);
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
