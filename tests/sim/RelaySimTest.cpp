// The relay simulator's register model, driven with explicit time points. The
// simulator process itself (blocks, event window, foreign addresses, pacing, faults)
// is met over the line by the program's, the link's and the tool's suites, and the
// line monitor's verdicts are checked against each of its fault options.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <set>

#include "RelayModel.h"

namespace neva::sim {
namespace {

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
