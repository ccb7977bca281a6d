// Finding relays on an unknown line: the identification read at every speed and
// address, with fakes for the port and the try time-out.

#include <gtest/gtest.h>

#include <tuple>

#include "link/Frames.h"
#include "link/RelayClock.h"
#include "link/NEVA200.h"
#include "link/RelayScanner.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"

using namespace neva;
using neva::testing::FakePort;
using neva::testing::FakeTimerFactory;

namespace {

std::vector<std::uint8_t> identification(int address, unsigned w0, unsigned w1, unsigned w2) {
    std::vector<std::uint8_t> a{static_cast<std::uint8_t>(address), 0x04, 6};
    for (unsigned w : {w0, w1, w2}) {
        a.push_back(static_cast<std::uint8_t>(w >> 8));
        a.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    append_crc(a);
    return a;
}

struct Rig {
    FakePort port;
    FakeTimerFactory timers;
    RelayScanner scanner{port, timers};
    std::vector<ScanEnd> ends;
    Rig() { scanner.on_finished = [this](ScanEnd e) { ends.push_back(e); }; }
    int speed() const { return std::stoi(port.settings()); }
    int asked() const { return port.written.back()[0]; }
};

}  // namespace

TEST(RelayScanner, FindsEachRelayAtItsSpeedAndAddressWithReadsOnly) {
    Rig r;
    ScanPlan plan{{9600, 19200}, 1, 4};
    ASSERT_TRUE(r.scanner.start(plan));
    // Each try: the relay at 3 answers at 19200; at 9600 a slow device at 2 answers
    // only during the next try, and address 4 gets noise.
    while (r.scanner.running()) {
        if (r.speed() == 19200 && r.asked() == 3) {
            r.port.deliver(identification(3, 12, 2, 103));
            continue;
        }
        if (r.speed() == 9600 && r.asked() == 3) r.port.deliver(identification(2, 12, 2, 250));
        if (r.speed() == 9600 && r.asked() == 4) r.port.deliver(std::vector<std::uint8_t>(11, 0x55));
        ASSERT_TRUE(r.timers.timers[0]->fire());
    }
    EXPECT_EQ(r.ends, std::vector<ScanEnd>{ScanEnd::Completed});
    EXPECT_FALSE(r.port.is_open());
    EXPECT_EQ(r.scanner.tries_done(), 8);
    std::vector<std::tuple<int, int, std::string, bool>> found;
    for (const FoundRelay& f : r.scanner.found()) found.emplace_back(f.address, f.speed, f.version, f.supported);
    EXPECT_EQ(found, (decltype(found){{2, 9600, "2.50", false}, {3, 19200, "1.03", true}}));
    EXPECT_EQ(r.scanner.found().back().words, (std::array<unsigned, 3>{12, 2, 103}));
    // Never a write or a command: the same identification read to every address.
    ASSERT_EQ(r.port.written.size(), 8u);
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(r.port.written[k], frame_read_input(static_cast<std::uint8_t>(1 + k % 4), 0, 0, 0, 3)) << k;
    }
}

TEST(RelayScanner, CancelStopsAtOnceAndAPortThatWillNotOpenEndsTheScan) {
    Rig r;
    r.scanner.on_try = [&r](int, int address) {
        if (address == 3) r.scanner.cancel();
    };
    ASSERT_TRUE(r.scanner.start(RelayScanner::default_plan()));
    r.timers.timers[0]->fire();
    r.timers.timers[0]->fire();
    EXPECT_EQ(r.ends, std::vector<ScanEnd>{ScanEnd::Cancelled});
    EXPECT_FALSE(r.scanner.running());
    EXPECT_FALSE(r.port.is_open());
    EXPECT_EQ(r.port.written.size(), 2u);
    EXPECT_FALSE(r.timers.timers[0]->fire());
    r.port.deliver(identification(2, 12, 2, 103));
    EXPECT_TRUE(r.scanner.found().empty());

    Rig bad;
    bad.port.fail_open = true;
    ASSERT_TRUE(bad.scanner.start(ScanPlan{{9600}, 1, 2}));
    EXPECT_EQ(bad.ends, std::vector<ScanEnd>{ScanEnd::PortFailed});
    EXPECT_FALSE(bad.scanner.start(ScanPlan{{9600}, 5, 4}));  // nothing to try
}

TEST(RelayScanner, DefaultScanDurationAndClockOffsetTexts) {
    // Every speed of the program, each try bounded: a full scan takes minutes, not hours.
    const std::int64_t full = RelayScanner::estimate_ms(RelayScanner::default_plan());
    EXPECT_GT(full, 200000);
    EXPECT_LT(full, 300000);

    AvImage av{};
    EXPECT_FALSE(relay_clock(av));  // never read
    // 5 March 2003 10:20:30 in the registers at 0200, as the clock read stores them.
    const int pos = *NEVA200::Calcula_Posicion_AV("0200");
    const unsigned words[3] = {3, 3 * 1024 + 5 * 32 + 10, 20 * 1024 + 300};
    for (int k = 0; k < 3; ++k) {
        av[pos + 2 * k] = static_cast<std::uint8_t>(words[k] >> 8);
        av[pos + 2 * k + 1] = static_cast<std::uint8_t>(words[k] & 0xFF);
    }
    const auto relay = relay_clock(av);
    ASSERT_TRUE(relay);
    const DateTime computer{2003, 3, 5, 10, 22, 35};
    EXPECT_EQ(describe_clock_offset(seconds_between(*relay, computer)), "the relay is 2 min 5 s behind the computer");
    // Across a month's end and a day.
    EXPECT_EQ(seconds_between(DateTime{2004, 3, 1, 0, 0, 5}, DateTime{2004, 2, 28, 23, 59, 55}), 86410);
    EXPECT_EQ(describe_clock_offset(86410), "the relay is 1 day 10 s ahead of the computer");
    EXPECT_EQ(describe_clock_offset(0), "the relay and the computer agree to the second");
}
