// The relay simulator: its register model driven with explicit time points, and the
// program as the setup program meets it, a separate process on a pseudo-terminal
// talked to by libmodbus as the master.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <modbus.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "PosixSimProcess.h"
#include "RelayModel.h"

namespace neva::sim {
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

using std::chrono::milliseconds;
using std::chrono::seconds;

std::int64_t civil(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return timegm(&t);
}

TEST(RelayModel, TimeStampWordsFollowTheRelayLayout) {
    // 5 March 2003 10:20:30.0 with event code 5.
    const auto w = RelayModel::time_stamp_words(5, civil(2003, 3, 5, 10, 20, 30) * 10);
    EXPECT_EQ(w[0], 5 * 128 + 3);
    EXPECT_EQ(w[1], 3 * 1024 + 5 * 32 + 10);
    EXPECT_EQ(w[2], 20 * 1024 + 30 * 10);
    // Tenths travel in the seconds field; the year is kept modulo 100.
    EXPECT_EQ(RelayModel::time_stamp_words(54, civil(2024, 12, 31, 23, 59, 59) * 10 + 7),
              (decltype(w){54 * 128 + 24, 12 * 1024 + 31 * 32 + 23, 59 * 1024 + 597}));
}

TEST(RelayModel, EveryEventChangesTheRegistersItNames) {
    RelaySettings s;
    s.seed = 11;
    s.initial_events = 5;
    s.event_every_s = 1.0;
    const auto t0 = std::chrono::steady_clock::time_point{} + seconds(1000);
    RelayModel m(s, civil(2021, 6, 1, 8, 0, 0), t0);
    const auto& in = m.input_registers();
    ASSERT_EQ(in[0x0600], 5);
    ASSERT_EQ(m.events().front().code, 1);  // the record starts with its clear

    std::set<int> codes_seen;
    std::uint16_t trips_before = in[0x0280];
    for (int step = 1; step <= 400; ++step) {
        m.advance_to(t0 + seconds(step));
        ASSERT_EQ(in[0x0600], 5 + step) << "one event per period";
        const auto& e = m.events().back();
        codes_seen.insert(e.code);
        const auto stamp = RelayModel::time_stamp_words(e.code, e.tenths);
        EXPECT_EQ(in[0x0601], stamp[0]);
        EXPECT_EQ(in[0x0603], stamp[2]);
        // Breaker closed and open are exclusive, and the auxiliary contacts agree.
        const bool closed = in[0x0203] & 0x08, open = in[0x0203] & 0x10;
        EXPECT_NE(closed, open);
        EXPECT_EQ(closed, (in[0x0206] & 0x08) != 0);
        switch (e.code) {
        case 26: EXPECT_TRUE(open); EXPECT_EQ(in[0x0209], 0); break;
        case 27: EXPECT_TRUE(closed); break;
        case 40: case 41: case 43: case 44:
            EXPECT_EQ(in[0x0203] & 1, 1);
            EXPECT_EQ(in[0x0211], stamp[0]) << "last trip carries the cause and the time";
            EXPECT_EQ(in[0x0212], stamp[1]);
            EXPECT_EQ(in[0x0280], trips_before + 1);
            break;
        default: break;
        }
        trips_before = in[0x0280];
    }
    for (int code : {26, 27, 40}) EXPECT_TRUE(codes_seen.count(code)) << code;
    // The record keeps its capacity; the window shows nothing for a forgotten event.
    EXPECT_EQ(m.events().size(), RelayModel::kRecordCapacity);
    ASSERT_EQ(m.write_holding(0x0610, {3}), 0);
    EXPECT_EQ(in[0x0610], 3);
    EXPECT_EQ(in[0x0611], 0);
}

TEST(RelayModel, CommandsClockAndRefusals) {
    RelaySettings s;
    s.initial_events = 10;
    s.event_every_s = 0;
    const auto t0 = std::chrono::steady_clock::time_point{} + seconds(50);
    RelayModel m(s, civil(2022, 1, 2, 3, 4, 5), t0);
    const auto& in = m.input_registers();

    m.advance_to(t0 + milliseconds(2500));
    EXPECT_EQ(in[0x0200], 22);
    EXPECT_EQ(in[0x0201], 1 * 1024 + 2 * 32 + 3);
    EXPECT_EQ(in[0x0202], 4 * 1024 + 75);

    // Clock written as the setup program does, applied only by command 5; it keeps
    // running from there. 31 April does not exist: refused, the clock untouched.
    ASSERT_EQ(m.write_holding(0x0090, {3, 3 * 1024 + 5 * 32 + 10, 20 * 1024 + 300}), 0);
    EXPECT_EQ(in[0x0200], 22) << "written but not yet applied";
    ASSERT_EQ(m.command(5, true), 0);
    m.advance_to(t0 + milliseconds(4000));
    EXPECT_EQ(in[0x0202], 20 * 1024 + 315);
    ASSERT_EQ(m.write_holding(0x0090, {3, 4 * 1024 + 31 * 32 + 10, 0}), 0);
    EXPECT_EQ(m.command(5, true), RelayModel::kIllegalValue);
    EXPECT_EQ(in[0x0200], 3);

    // Clear events: only the clear itself remains, as event 1.
    ASSERT_EQ(m.command(9, true), 0);
    EXPECT_EQ(in[0x0600], 1);
    EXPECT_EQ(in[0x0601] >> 7, 1);
    // Clear maintenance data: counters zero and event 54.
    ASSERT_EQ(m.command(8, true), 0);
    for (int r = 0x0280; r <= 0x0286; ++r) EXPECT_EQ(in[r], 0) << std::hex << r;
    EXPECT_EQ(in[0x0600], 2);
    EXPECT_EQ(in[0x0601] >> 7, 54);
    // A command with the coil value "off" does nothing; unknown commands are refused.
    EXPECT_EQ(m.command(9, false), 0);
    EXPECT_EQ(in[0x0600], 2);
    EXPECT_EQ(m.command(3, true), RelayModel::kIllegalAddress);
    for (int code : {1, 2, 20, 21, 22}) EXPECT_EQ(m.command(code, true), 0) << code;

    // Reads and writes outside the relay's map.
    EXPECT_EQ(m.check_input_read(0x0610, 4), 0);
    EXPECT_EQ(m.check_input_read(0x0285, 3), RelayModel::kIllegalAddress);
    EXPECT_EQ(m.check_holding_read(0x0180, 23), RelayModel::kIllegalAddress);
    EXPECT_EQ(m.write_holding(0x0196, {1}), RelayModel::kIllegalAddress);
    EXPECT_EQ(m.write_holding(0x0611, {1}), RelayModel::kIllegalAddress);
}

}  // namespace
}  // namespace neva::sim
