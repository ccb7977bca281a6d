// neva-trend-bench: the current trend's data path over hours of polling.
//
// (1) Simulated polling on a fake clock: the program's link engine on a fake line
//     whose relay answers at once, the trend window (offscreen) with its CSV log,
//     driven for three hours of the metering interval. Each reading goes the whole
//     way: answer parsed by the link, decoded, put in the ring, logged and flushed,
//     added to the chart's series, axes set. Reported: time per reading for the
//     data path, the chart update and the repaint, and every ten simulated minutes
//     the readings in the ring, the points in the chart, the heap in use and the
//     resident set, which must stay flat once the ring holds its hour.
// (2) Live, against neva-relay-sim paced at 9600 baud: the status reads per second
//     the link makes without and with the trend's recorder polling.
//
// Usage: neva-trend-bench [--hours H] [--live SECONDS] [--sim PATH]

#include <QApplication>
#include <QLineSeries>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include <malloc.h>
#include <unistd.h>

#include "RecordingPort.h"
#include "RunUntil.h"
#include "SimProcess.h"
#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "link/BasicCRC.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"
#include "trend/TrendClock.h"
#include "ui/AppContext.h"
#include "ui/Principal.h"
#include "ui/TrendWindow.h"

namespace {

using Steady = std::chrono::steady_clock;
using neva::testing::FakeTimer;

// Boxes answered without a user; the log's file name is handed over.
class BenchMessages : public neva::MessageService {
public:
    std::string log_path;
    neva::MsgAnswer message_box(const std::string& text, neva::MsgButtons, neva::MsgIcon, const std::string&) override {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return neva::MsgAnswer::Yes;
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_name(const neva::FileDialogSetup&) override { return std::nullopt; }
    std::optional<std::string> save_file_name(const neva::FileDialogSetup&) override { return log_path; }
};

// Bytes the program holds on the heap: unlike the resident set, it does not count
// freed memory the allocator keeps for later.
long heap_kb() { return static_cast<long>(mallinfo2().uordblks / 1024); }

long resident_kb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A relay that answers a function-04 read at once: zeros, except the currents.
std::vector<std::uint8_t> answer(const std::vector<std::uint8_t>& req, const std::array<std::uint32_t, 4>& centiamps) {
    const int reg = req[2] * 256 + req[3], count = req[5];
    std::vector<std::uint8_t> out{req[0], req[1], static_cast<std::uint8_t>(2 * count)};
    for (int r = reg; r < reg + count; ++r) {
        std::uint16_t w = 0;
        if (r >= 0x0209 && r < 0x0211) {
            const std::uint32_t v = centiamps[(r - 0x0209) / 2];
            w = static_cast<std::uint16_t>((r - 0x0209) % 2 == 0 ? v >> 16 : v & 0xFFFF);
        }
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    const std::int32_t crc = neva::CRC16(out, out.size());
    out.push_back(static_cast<std::uint8_t>((crc >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return out;
}

struct Stats {
    double mean = 0, p50 = 0, p99 = 0, max = 0;
};
Stats stats(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    s.p50 = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    s.max = v.back();
    return s;
}

int simulated(double hours) {
    auto port_owner = std::make_unique<neva::testing::FakePort>();
    auto timers_owner = std::make_unique<neva::testing::FakeTimerFactory>();
    auto messages_owner = std::make_unique<BenchMessages>();
    auto clock_owner = std::make_unique<neva::testing::FakeClock>();
    auto& port = *port_owner;
    auto& messages = *messages_owner;
    auto& clock = *clock_owner;
    neva::AppContext ctx(std::move(port_owner), std::move(timers_owner), std::move(messages_owner),
                         std::move(clock_owner));
    neva::Principal main_window(ctx);
    auto& link = ctx.link();
    auto& st = ctx.state();

    // On line as after a connect: the cyclic status read in flight.
    port.open();
    link.NEVA().Direccion = 1;
    st.Ciclicos = 1;
    link.Iniciar_Colas();
    link.Encolar_Proceso(3, 2);
    st.En_Linea = true;
    link.Despachar_Proceso();

    QTemporaryDir dir;
    messages.log_path = dir.filePath("bench.csv").toStdString();
    neva::TrendWindow trend(main_window);
    trend.show();
    trend.toggle_logging();
    auto& retardo = static_cast<FakeTimer&>(link.TmrRetardoCom());
    auto& poll = static_cast<FakeTimer&>(trend.recorder().poll_timer());

    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::array<double, 4> amps{310, 298, 305, 2.5};
    const auto answer_in_flight = [&] {
        std::array<std::uint32_t, 4> centi{};
        for (int k = 0; k < 4; ++k) centi[k] = static_cast<std::uint32_t>(std::lround(std::max(0.0, amps[k]) * 100));
        port.deliver(answer(port.written.back(), centi));
        // The fake line keeps every frame; only the one in flight matters here, and
        // a growing record would be counted as the trend's memory.
        port.written.erase(port.written.begin(), port.written.end() - 1);
        retardo.fire();
    };

    const std::int64_t start = neva::civil_ms({2026, 12, 6, 8, 0, 0});
    const int polls = static_cast<int>(hours * 3600 * 1000 / neva::kMeteringIntervalMs);
    const int fill = static_cast<int>(trend.recorder().buffer().capacity());
    std::vector<double> update_ms, chart_ms, paint_ms, update_full_ms;
    std::printf("(1) simulated polling every %d ms for %.1f h (%d readings; the ring holds %d)\n",
                neva::kMeteringIntervalMs, hours, polls, fill);
    std::printf("%10s %10s %12s %12s %12s\n", "sim. time", "in ring", "chart points", "heap KB", "resident KB");
    for (int i = 0; i < polls; ++i) {
        clock.advance_ms(neva::kMeteringIntervalMs);
        clock.set_now(neva::civil_date_time(start + std::int64_t(i) * neva::kMeteringIntervalMs));
        // A wandering load with a fault now and then, so the unit changes too.
        for (int k = 0; k < 4; ++k) amps[k] += noise(rng) * (k == 3 ? 0.05 : 1.0);
        const bool fault = i % 900 > 880;
        if (fault) amps[i % 3] = 4200 + 100 * (i % 7);
        else if (amps[i % 3] > 1000) amps[i % 3] = 300;

        poll.fire();          // the recorder queues the metering read
        answer_in_flight();   // the status read ends; the metering read goes out
        const auto t0 = Steady::now();
        answer_in_flight();   // the reading: parsed, sampled, logged, charted
        const auto t1 = Steady::now();
        // The window's chart update, queued behind the link's handling of the answer.
        QCoreApplication::sendPostedEvents(&trend, QEvent::MetaCall);
        const auto t2 = Steady::now();
        QApplication::processEvents();  // the window repaints
        const auto t3 = Steady::now();
        const double u = std::chrono::duration<double, std::milli>(t1 - t0).count();
        update_ms.push_back(u);
        if (i >= fill) update_full_ms.push_back(u);
        chart_ms.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        paint_ms.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
        if ((i + 1) % (600000 / neva::kMeteringIntervalMs) == 0)
            std::printf("%7d min %10zu %12lld %12ld %12ld\n", (i + 1) * neva::kMeteringIntervalMs / 60000,
                        trend.recorder().buffer().size(), static_cast<long long>(trend.series(0)->count()), heap_kb(),
                        resident_kb());
    }
    const Stats u = stats(update_ms), uf = stats(update_full_ms), c = stats(chart_ms), p = stats(paint_ms);
    std::printf("data path per reading (answer parsed -> sample in the ring -> row logged and flushed), ms:\n"
                "  mean %.3f  median %.3f  p99 %.3f  max %.3f (all %zu)\n",
                u.mean, u.p50, u.p99, u.max, update_ms.size());
    std::printf("  once the ring is full: mean %.3f  median %.3f  p99 %.3f  max %.3f\n", uf.mean, uf.p50, uf.p99, uf.max);
    std::printf("chart update per reading (series and axes from the ring), ms:\n"
                "  mean %.3f  median %.3f  p99 %.3f  max %.3f\n",
                c.mean, c.p50, c.p99, c.max);
    std::printf("repaint of the window per reading (offscreen, antialiased), ms:\n"
                "  mean %.3f  median %.3f  p99 %.3f  max %.3f\n",
                p.mean, p.p50, p.p99, p.max);
    std::printf("CSV rows logged: %llu\n\n", static_cast<unsigned long long>(trend.logger().rows()));
    return trend.logger().rows() == std::uint64_t(polls) ? 0 : 1;
}

int live(double window_s, const QString& sim_program) {
    neva::testsupport::SimProcess sim(sim_program.isEmpty() ? neva::testsupport::SimProcess::relay_program()
                                                            : sim_program);
    if (!sim.start({"--quiet", "--event-every", "0", "--events", "0", "--baud", "9600"})) {
        std::printf("(2) live: cannot start the simulator: %s\n", sim.error().toStdString().c_str());
        return 1;
    }
    qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());
    neva::SharedState state;
    neva::RegisterImages images;
    neva::QtTimerFactory timers;
    neva::QtClock clock;
    BenchMessages messages;
    neva::QtSerialPort qt_port;
    neva::bench::RecordingPort line(qt_port);
    neva::LinkController link(state, images, line, timers, messages, clock);
    link.Timer2().on_tick = [&link] { link.status_tick(); };
    if (!link.Conectar(1, 9600, 1)) return 1;
    const auto status_count = [&] {
        return std::count_if(line.written.begin(), line.written.end(),
                             [](const auto& r) { return neva::bench::RecordingPort::action_of(r.bytes) == 2; });
    };
    neva::testsupport::run_until([&] { return status_count() > 3 || state.Error_Comunicacion; }, 30000);
    const auto measure = [&](const char* what) {
        const std::size_t from = line.written.size();
        const auto s0 = status_count();
        std::int64_t m0 = 0;
        for (std::size_t i = 0; i < from; ++i) m0 += neva::bench::RecordingPort::action_of(line.written[i].bytes) == 4;
        neva::testsupport::run_for(static_cast<int>(window_s * 1000));
        std::int64_t m1 = 0;
        for (const auto& r : line.written) m1 += neva::bench::RecordingPort::action_of(r.bytes) == 4;
        std::printf("    %-28s status reads %6.2f/s   metering reads %5.2f/s\n", what,
                    double(status_count() - s0) / window_s, double(m1 - m0) / window_s);
    };
    std::printf("(2) live at 9600 baud against neva-relay-sim, %.0f s each\n", window_s);
    measure("trend closed:");
    neva::MeteringRecorder recorder(link, state, timers, clock);
    recorder.start();
    measure("trend open:");
    link.Desconectar();
    return recorder.buffer().empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    double hours = 3, live_s = 10;
    QString sim_program;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--hours" && has_value) hours = args[++i].toDouble();
        else if (args[i] == "--live" && has_value) live_s = args[++i].toDouble();
        else if (args[i] == "--sim" && has_value) sim_program = args[++i];
        else {
            std::fprintf(stderr, "usage: neva-trend-bench [--hours H] [--live SECONDS (0: skip)] [--sim PATH]\n");
            return args[i] == "--help" ? 0 : 2;
        }
    }
    int status = simulated(hours > 0 ? hours : 3);
    if (live_s > 0) status |= live(live_s, sim_program);
    return status;
}
