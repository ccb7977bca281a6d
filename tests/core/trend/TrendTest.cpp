// The trend's data path without Qt: the ring of the last hour, the unit of the
// value axis at the prefix boundaries, the CSV log (files, rotation, a disk that
// fills up) and the recorder's use of the link's queue.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "core/link/LinkTestRig.h"
#include "trend/CsvLogger.h"
#include "trend/MeteringRecorder.h"
#include "trend/TrendBuffer.h"
#include "trend/TrendClock.h"
#include "trend/TrendScale.h"
#include "testing/TempDir.h"

namespace neva {
namespace {

constexpr std::int64_t kNoon = 1796558400000;  // 2026-12-06T12:00:00 local

CurrentSample at(std::int64_t t, Fixed4 a = 0) { return {t, {a, a, a, a}}; }
Fixed4 amps(double a) { return to_fixed(a); }

using testing::read_file;
using testing::TempDir;

TEST(TrendBufferTest, KeepsTheLastHourInFixedRoom) {
    ASSERT_EQ(civil_ms({2026, 12, 6, 12, 0, 0}), kNoon);
    const std::size_t room = TrendBuffer::capacity_for(kTrendWindowMs, kMeteringIntervalMs);
    EXPECT_EQ(room, 1801u);
    TrendBuffer b(room, kTrendWindowMs);
    // Three hours at the metering interval: the ring fills and then only turns.
    for (int i = 0; i < 5400; ++i) b.push(at(kNoon + i * 2000LL, i));
    EXPECT_EQ(b.size(), room);
    EXPECT_EQ(b.capacity(), room);
    EXPECT_EQ(b.newest().amperes[0], 5399);
    EXPECT_EQ(b.oldest().time_ms, b.newest().time_ms - kTrendWindowMs);

    // Faster readings than planned: the room bounds the memory, the hour is not exceeded.
    for (int i = 0; i < 4000; ++i) b.push(at(kNoon + 20000000 + i * 500LL));
    EXPECT_EQ(b.size(), room);
    // A gap: what is older than an hour before the newest goes.
    b.push(at(b.newest().time_ms + 2 * kTrendWindowMs));
    EXPECT_EQ(b.size(), 1u);

    // Largest shown current within a stretch of time.
    b.push(at(b.newest().time_ms + 2000, amps(5)));
    b.push({b.newest().time_ms + 2000, {amps(1), amps(2), amps(3), amps(40)}});
    const std::int64_t t = b.newest().time_ms;
    EXPECT_EQ(b.largest(t - 10000, t, {true, true, true, true}), amps(40));
    EXPECT_EQ(b.largest(t - 10000, t, {true, true, true, false}), amps(5));
    EXPECT_EQ(b.largest(t, t, {true, true, true, false}), amps(3));
    EXPECT_EQ(b.largest(t + 1, t + 9, {true, true, true, true}), 0);

    // The clock set back: the trend starts again instead of running backwards.
    b.push(at(t - 60000));
    EXPECT_EQ(b.size(), 1u);
}

TEST(TrendScaleTest, TakesTheMeteringPagesUnitAtThePrefixBoundaries) {
    struct Case {
        double amperes;
        const char* unit;
        double in_unit;
    } cases[] = {
        // The prefix is the metering page's (its boundaries are AutoRango's tests).
        {999.94, "A", 999.94}, {999.95, "KA", 0.99995}, {2500000, "MA", 2.5}, {1000000000, "GA", 1},
    };
    for (const Case& c : cases) {
        const TrendScale s = trend_scale(amps(c.amperes));
        EXPECT_EQ(s.unit, c.unit) << c.amperes;
        EXPECT_NEAR(s.in_unit(amps(c.amperes)), c.in_unit, 1e-9) << c.amperes;
    }
    const std::pair<double, double> tops[] = {{0, 1}, {0.3, 0.5}, {2, 2}, {2.1, 2.5}, {7, 10}, {328.07, 500}};
    for (auto [v, top] : tops) EXPECT_DOUBLE_EQ(axis_top(v), top) << v;
}

TEST(TrendClockTest, StampsToTheMillisecondAndFollowsASetClock) {
    testing::FakeClock clock;
    TrendClock stamps(clock);
    EXPECT_EQ(stamps.now_ms(), kNoon);
    EXPECT_EQ(iso_time(kNoon + 250), "2026-12-06T12:00:00.250");
    // Stamps two seconds apart on the monotonic count are two seconds apart, and
    // never outside the second the time of day names.
    clock.advance_ms(1500);
    clock.set_now({2026, 12, 6, 12, 0, 2});
    EXPECT_EQ(stamps.now_ms(), kNoon + 2000);
    clock.advance_ms(2000);
    clock.set_now({2026, 12, 6, 12, 0, 4});
    EXPECT_EQ(stamps.now_ms(), kNoon + 4000);
    // Set back an hour (summer time ends): followed at once.
    clock.advance_ms(2000);
    clock.set_now({2026, 12, 6, 11, 0, 6});
    EXPECT_EQ(iso_time(stamps.now_ms()), "2026-12-06T11:00:06.999");
}

TEST(CsvLoggerTest, WritesAppendsRotatesAndNeverOverwritesAForeignFile) {
    TempDir dir;
    const CurrentSample s{kNoon + 250, {amps(312.45), amps(298.1), 0, amps(42949672.95)}};
    EXPECT_EQ(CsvLogger::row(s), "2026-12-06T12:00:00.250,312.45,298.10,0.00,42949672.95");

    CsvLogger log;
    const std::string path = dir.path("feeder.csv");
    ASSERT_TRUE(log.start(path, LogRotation::None, kNoon)) << log.error();
    ASSERT_TRUE(log.write(s));
    // Flushed per row: the file holds it while the log is still open.
    EXPECT_EQ(read_file(path), std::string(CsvLogger::kHeader) + "\n" + CsvLogger::row(s) + "\n");
    // Starting again on the same log appends, with no second header.
    ASSERT_TRUE(log.start(path, LogRotation::None, kNoon));
    ASSERT_TRUE(log.write(s));
    EXPECT_EQ(read_file(path), std::string(CsvLogger::kHeader) + "\n" + CsvLogger::row(s) + "\n" + CsvLogger::row(s) + "\n");
    log.stop();

    const std::string other = dir.path("settings.csv");
    std::ofstream(other, std::ios::binary) << "not,a,log\n";
    EXPECT_FALSE(log.start(other, LogRotation::None, kNoon));
    EXPECT_NE(log.error().find("not a current log"), std::string::npos);
    EXPECT_EQ(read_file(other), "not,a,log\n");

    // A new file each hour, named after the chosen one.
    ASSERT_TRUE(log.start(path, LogRotation::Hourly, kNoon + 3599000));
    ASSERT_TRUE(log.write(at(kNoon + 3599000, amps(1))));
    ASSERT_TRUE(log.write(at(kNoon + 3601000, amps(2))));
    EXPECT_EQ(log.file_name(), dir.path("feeder-2026-12-06_13.csv"));
    EXPECT_EQ(read_file(dir.path("feeder-2026-12-06_12.csv")),
              std::string(CsvLogger::kHeader) + "\n" + CsvLogger::row(at(kNoon + 3599000, amps(1))) + "\n");
    EXPECT_EQ(log.rows(), 2u);
    EXPECT_EQ(CsvLogger::file_for("/logs/feeder", LogRotation::Daily, kNoon), "/logs/feeder-2026-12-06");
    EXPECT_EQ(CsvLogger::file_for("/logs.d/feeder", LogRotation::Daily, kNoon), "/logs.d/feeder-2026-12-06");

    EXPECT_FALSE(log.start(dir.path("missing/feeder.csv"), LogRotation::None, kNoon));
    EXPECT_FALSE(log.active());
}

#ifdef __linux__
TEST(CsvLoggerTest, AFullDiskStopsTheLogWithAReasonAndKeepsTheRows) {
    TempDir dir;
    const std::string path = dir.path("full.csv");
    CsvLogger log;
    ASSERT_TRUE(log.start(path, LogRotation::None, kNoon));
    // The file may not grow past 400 bytes: as a full disk would, writes fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 400;
    setrlimit(RLIMIT_FSIZE, &small);
    int written = 0;
    while (written < 100 && log.write(at(kNoon + written * 2000LL, amps(312.45)))) ++written;
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_LT(written, 100);
    EXPECT_FALSE(log.active());
    EXPECT_NE(log.error().find("Logging has stopped"), std::string::npos) << log.error();
    EXPECT_FALSE(log.write(at(kNoon)));
    // Every row reported written is in the file, whole.
    const std::string text = read_file(path);
    EXPECT_EQ(text.substr(0, text.find('\n')), CsvLogger::kHeader);
    EXPECT_NE(text.find(CsvLogger::row(at(kNoon + (written - 1) * 2000LL, amps(312.45))) + "\n"), std::string::npos);
}
#endif

int waiting_reads(LinkController& link) {
    auto& c = link.Colas();
    int n = 0;
    for (int canal : {0, 1})
        for (int i = 0; i < Proceso_Comunicacion::kSlots; ++i)
            if (c.Cola_Accion[canal][i] == 4 && (c.Cola_Estado[canal][i] == Proceso_Comunicacion::kPending ||
                                                 c.Cola_Estado[canal][i] == Proceso_Comunicacion::kExecuting))
                ++n;
    return n;
}

TEST(MeteringRecorderTest, OneQueuedReadAtATimeAndNoneWhileThePagePolls) {
    using linktest::fr;
    linktest::Rig rig;
    rig.connect_and_settle();
    rig.relay.set(0x0209, {0, 31245, 0, 29810, 0, 30577, 0, 250});
    MeteringRecorder rec(rig.link, rig.state, rig.timers, rig.clock);

    rec.start();
    rec.tick();
    EXPECT_EQ(waiting_reads(rig.link), 1) << "a second read queued while the first waits";
    rig.answer();  // the status read in flight; the measurement read goes next
    EXPECT_EQ(fr(rig.last()), std::make_pair(4, 0x0209));
    rec.tick();
    EXPECT_EQ(waiting_reads(rig.link), 1);
    rig.answer();
    ASSERT_EQ(rec.buffer().size(), 1u);
    EXPECT_EQ(rec.buffer().newest().amperes, (std::array<Fixed4, 4>{amps(312.45), amps(298.1), amps(305.77), amps(2.5)}));
    // The status read has its turn before the next reading.
    EXPECT_EQ(fr(rig.last()), std::make_pair(4, 0x0203));

    // The metering page polls: its answers are samples, and the recorder asks for nothing.
    rig.link.Encolar_Proceso(1, 4);
    rig.answer();
    rig.answer();
    EXPECT_EQ(rec.buffer().size(), 2u);
    rig.clock.advance_ms(kMeteringIntervalMs);
    rec.tick();
    EXPECT_EQ(waiting_reads(rig.link), 0);
    // The page has closed: the recorder polls again.
    rig.clock.advance_ms(kMeteringIntervalMs);
    rec.tick();
    EXPECT_EQ(waiting_reads(rig.link), 1);

    // Offline nothing is queued; stopped, answers are no samples.
    rig.answer();
    rig.answer();
    rig.state.En_Linea = false;
    rec.tick();
    EXPECT_EQ(waiting_reads(rig.link), 0);
    rec.stop();
    rig.state.En_Linea = true;
    rig.link.Encolar_Proceso(1, 4);
    rig.answer();
    rig.answer();
    EXPECT_EQ(rec.buffer().size(), 3u);
}

}  // namespace
}  // namespace neva
