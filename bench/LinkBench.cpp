// neva-link-bench: how close the link engine comes to what the serial line allows.
//
// For each speed the relay simulator is started paced at that speed, the real
// engine (Qt serial port, Qt timers) connects to it, and two figures are taken:
//   (a) cyclic status reads per second once the connect sequence is over;
//   (b) the time from connect until the 20 events of the record have been read.
// Each is compared with the limit the line itself imposes: per transaction, the
// wire time of request and answer at 10 bits a byte plus the 10 ms settling delay.
// The ratio is measured rate / limit rate, or limit time / measured time: 1.0 is
// the line's own speed.
//
// Each speed runs four ways: on the pseudo-terminal and over TCP (the simulator as
// a serial device server, tcp://), each without and with the line monitor between
// the link and the port, so the monitor's cost shows as the ratio of the rates.
//
// Usage: neva-link-bench [--window S] [--baud B]... [--sim PATH] [--serial-only]

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "CliMessages.h"
#include "RecordingPort.h"
#include "RunUntil.h"
#include "SimProcess.h"
#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "adapters/QtClock.h"
#include "adapters/QtNetworkPort.h"
#include "adapters/QtSerialPort.h"
#include "monitor/LineMonitor.h"
#include "net/PortTarget.h"
#include "adapters/QtTimerFactory.h"
#include "startup/SharedState.h"

namespace {

using neva::bench::RecordingPort;
using Seconds = std::chrono::duration<double>;

constexpr double kSettleS = 0.010;  // TmrRetardoCom

// Bytes of the answer a request asks for (the receive threshold the link arms).
int answer_bytes(const std::vector<std::uint8_t>& frame) {
    if (frame.size() >= 6 && (frame[1] == 0x03 || frame[1] == 0x04)) return 5 + 2 * (frame[4] * 256 + frame[5]);
    return 8;
}

double line_time_s(const std::vector<std::uint8_t>& frame, int baud) {
    return (static_cast<double>(frame.size()) + answer_bytes(frame)) * 10.0 / baud + kSettleS;
}

// The same without the request's wire time: the simulator on a pseudo-terminal
// receives a request at once and paces only its answer, so this is the limit of
// the line the engine actually meets in this run.
double answer_only_time_s(const std::vector<std::uint8_t>& frame, int baud) {
    return answer_bytes(frame) * 10.0 / baud + kSettleS;
}

struct Variant {
    const char* name;
    bool tcp;
    bool monitor;
};

struct Result {
    int baud = 0;
    Variant variant{"", false, false};
    bool ok = false;
    std::string failure;
    double status_rate = 0, status_limit = 0, status_limit_answer_only = 0;
    int status_samples = 0;
    double events_s = 0, events_limit_s = 0, events_limit_answer_only_s = 0;
    int events_transactions = 0;
    // Where a status transaction's time goes (means, ms): request written to the
    // receive event (the simulator and the answer on the wire), receive event to
    // answer taken (the settling delay), answer taken to next request written
    // (parsing, dispatch).
    double answer_ms = 0, settle_ms = 0, turn_ms = 0;
    double settle_median_ms = 0, settle_max_ms = 0;
    double answer_wire_ms = 0, request_wire_ms = 0;
};

Result run_one(int baud, double window_s, const QString& sim_program, Variant variant) {
    Result r;
    r.baud = baud;
    r.variant = variant;
    neva::testsupport::SimProcess sim(sim_program.isEmpty() ? neva::testsupport::SimProcess::relay_program() : sim_program);
    QStringList sim_args{"--quiet", "--event-every", "0", "--events", "20", "--baud", QString::number(baud)};
    // Over TCP the simulator prints tcp://127.0.0.1:<port> where it would print its pseudo-terminal.
    if (variant.tcp) sim_args << "--tcp" << "0";
    if (!sim.start(sim_args)) {
        r.failure = sim.error().toStdString();
        return r;
    }
    qputenv("NEVA_COM1", sim.pty_path().toLocal8Bit());

    neva::SharedState state;
    neva::RegisterImages images;
    neva::QtTimerFactory timers;
    neva::QtClock clock;
    // Nobody clicks during a benchmark: boxes are answered as the command-line tool
    // answers them, and their texts go to standard error.
    neva::cli::CliMessages messages(std::cerr);
    std::unique_ptr<neva::SerialPort> base;
    neva::QtSerialPort* qt_serial = nullptr;
    if (variant.tcp) {
        const auto target = neva::PortTarget::parse(sim.pty_path().toStdString());
        if (!target || !target->is_network()) {
            r.failure = "the simulator printed no network address: " + sim.pty_path().toStdString();
            return r;
        }
        base = std::make_unique<neva::QtNetworkPort>(*target);
    } else {
        auto serial = std::make_unique<neva::QtSerialPort>();
        qt_serial = serial.get();
        base = std::move(serial);
    }
    std::unique_ptr<neva::LineMonitor> monitor;
    if (variant.monitor) monitor = std::make_unique<neva::LineMonitor>(*base, clock);
    RecordingPort line(monitor ? static_cast<neva::SerialPort&>(*monitor) : *base);
    neva::LinkController link(state, images, line, timers, messages, clock);
    // As the main window does: its status tick keeps the on-line time-out check alive.
    link.Timer2().on_tick = [&link] { link.status_tick(); };

    const auto first_status = [&line]() -> int {
        for (std::size_t i = 0; i < line.written.size(); ++i)
            if (RecordingPort::action_of(line.written[i].bytes) == 2) return static_cast<int>(i);
        return -1;
    };

    const auto t0 = RecordingPort::Clock::now();
    if (!link.Conectar(1, baud, 1)) {
        r.failure = "cannot open " + sim.pty_path().toStdString() + ": " +
                    (qt_serial ? qt_serial->last_error().toStdString() : base->diagnosis());
        return r;
    }
    // (b) The first cyclic status read is dispatched right after the last event
    // window answer has been processed: channel 0 is empty from then on.
    if (!neva::testsupport::run_until([&] { return first_status() >= 0 || state.Error_Comunicacion; }, 120000) ||
        state.Error_Comunicacion) {
        r.failure = "the connect sequence did not complete";
        return r;
    }
    const int fs = first_status();
    bool all_events = true;
    for (int k = 0; k < 20; ++k)
        all_events = all_events && link.NEVA().DatosDeVariables(64 + k).text().find(',') != std::string::npos;
    if (!all_events) {
        r.failure = "not all 20 events were read";
        return r;
    }
    r.events_s = Seconds(line.written[fs].at - t0).count();
    r.events_transactions = fs;
    for (int i = 0; i < fs; ++i) {
        r.events_limit_s += line_time_s(line.written[i].bytes, baud);
        r.events_limit_answer_only_s += answer_only_time_s(line.written[i].bytes, baud);
    }

    // (a) Status reads over the window.
    const auto t_start = line.written[fs].at;
    neva::testsupport::run_until(
        [&] { return Seconds(RecordingPort::Clock::now() - t_start).count() >= window_s || state.Error_Comunicacion; },
        static_cast<int>(window_s * 1000) + 5000);
    link.Desconectar();
    if (state.Error_Comunicacion && !messages.shown().empty()) {
        r.failure = "communication error during the status window: " + messages.shown().front().text;
        return r;
    }
    std::vector<RecordingPort::Record> status;
    for (std::size_t i = fs; i < line.written.size(); ++i)
        if (RecordingPort::action_of(line.written[i].bytes) == 2) status.push_back(line.written[i]);
    if (status.size() < 3) {
        r.failure = "too few status reads";
        return r;
    }
    // Rate from the first to the last request sent: (n - 1) whole transactions.
    const double span = Seconds(status.back().at - status.front().at).count();
    r.status_samples = static_cast<int>(status.size()) - 1;
    r.status_rate = r.status_samples / span;
    r.status_limit = 1.0 / line_time_s(status.front().bytes, baud);
    r.status_limit_answer_only = 1.0 / answer_only_time_s(status.front().bytes, baud);
    r.request_wire_ms = status.front().bytes.size() * 10.0 / baud * 1000;
    r.answer_wire_ms = answer_bytes(status.front().bytes) * 10.0 / baud * 1000;

    // Split each status transaction at its receive event and at the moment its
    // answer was taken.
    double answer = 0, settle = 0, turn = 0;
    std::vector<double> settles;
    int n = 0;
    std::size_t k = 0, e = 0;
    for (std::size_t i = fs; i + 1 < line.written.size(); ++i) {
        const auto sent = line.written[i].at, next = line.written[i + 1].at;
        while (k < line.taken.size() && line.taken[k].at < sent) ++k;
        while (e < line.receive_events.size() && line.receive_events[e] < sent) ++e;
        if (k >= line.taken.size() || line.taken[k].at > next) continue;
        if (e >= line.receive_events.size() || line.receive_events[e] > line.taken[k].at) continue;
        answer += Seconds(line.receive_events[e] - sent).count();
        settle += Seconds(line.taken[k].at - line.receive_events[e]).count();
        settles.push_back(Seconds(line.taken[k].at - line.receive_events[e]).count() * 1000);
        turn += Seconds(next - line.taken[k].at).count();
        ++n;
    }
    if (n > 0) {
        r.answer_ms = answer / n * 1000;
        r.settle_ms = settle / n * 1000;
        r.turn_ms = turn / n * 1000;
        std::sort(settles.begin(), settles.end());
        r.settle_median_ms = settles[settles.size() / 2];
        r.settle_max_ms = settles.back();
    }
    r.ok = true;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    double window_s = 5.0;
    std::vector<int> bauds;
    QString sim_program;
    bool serial_only = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--window" && has_value) {
            window_s = args[++i].toDouble();
        } else if (a == "--baud" && has_value) {
            bauds.push_back(args[++i].toInt());
        } else if (a == "--sim" && has_value) {
            sim_program = args[++i];
        } else if (a == "--serial-only") {
            serial_only = true;
        } else {
            std::fprintf(stderr,
                         "usage: neva-link-bench [--window SECONDS] [--baud B]... [--sim PATH] [--serial-only]\n"
                         "Runs the link engine against neva-relay-sim paced at each speed (default 9600 and\n"
                         "57600), on the pseudo-terminal and over tcp://, each without and with the line\n"
                         "monitor, and compares the transaction rate with the line's own limit.\n");
            return a == "--help" ? 0 : 2;
        }
    }
    if (bauds.empty()) bauds = {9600, 57600};
    if (window_s <= 0) window_s = 5.0;

    std::printf("neva-link-bench: engine against neva-relay-sim, status window %.1f s\n", window_s);
    std::printf("line limit per transaction = (request + answer bytes) * 10 / baud + 10 ms\n\n");
    std::printf("%6s %-15s %-34s %10s %10s %7s   %s\n", "baud", "line", "figure", "measured", "limit", "ratio",
                "(limit without request wire time, ratio)");
    bool all_ok = true;
    std::vector<Result> results;
    const std::vector<Variant> variants = serial_only
        ? std::vector<Variant>{{"pty", false, false}, {"pty+monitor", false, true}}
        : std::vector<Variant>{{"pty", false, false}, {"pty+monitor", false, true}, {"tcp", true, false},
                               {"tcp+monitor", true, true}};
    for (int baud : bauds) {
        for (const Variant& v : variants) {
            const Result r = run_one(baud, window_s, sim_program, v);
            results.push_back(r);
            if (!r.ok) {
                std::printf("%6d %-15s failed: %s\n", baud, v.name, r.failure.c_str());
                all_ok = false;
                continue;
            }
            std::printf("%6d %-15s %-34s %10.2f %10.2f %7.3f   (%.2f, %.3f)\n", baud, v.name,
                        "(a) status reads per second", r.status_rate, r.status_limit, r.status_rate / r.status_limit,
                        r.status_limit_answer_only, r.status_rate / r.status_limit_answer_only);
            std::printf("%6d %-15s %-34s %10.1f %10.1f %7.3f   (%.1f, %.3f)\n", baud, v.name,
                        "(b) connect to 20 events read, ms", r.events_s * 1000, r.events_limit_s * 1000,
                        r.events_limit_s / r.events_s, r.events_limit_answer_only_s * 1000,
                        r.events_limit_answer_only_s / r.events_s);
        }
    }
    // The monitor's cost: status rate with it over the rate without it, per line kind.
    std::printf("\nline monitor attached, status reads per second with / without:\n");
    for (std::size_t i = 0; i + 1 < results.size(); ++i) {
        const Result& a = results[i];
        const Result& b = results[i + 1];
        if (a.baud != b.baud || a.variant.tcp != b.variant.tcp || a.variant.monitor || !b.variant.monitor) continue;
        if (!a.ok || !b.ok) continue;
        std::printf("%6d %-15s %.3f\n", a.baud, a.variant.tcp ? "tcp" : "pty", b.status_rate / a.status_rate);
    }
    std::printf("\nstatus transaction, mean ms: request and answer wire time as the limit counts them;\n"
                "measured: request out -> receive event (simulator, answer pacing, port delivery),\n"
                "receive event -> answer taken (10 ms settling timer), answer taken -> next request out\n");
    for (const Result& r : results) {
        if (!r.ok) continue;
        std::printf("%6d %-12s wire: req %.2f ans %.2f | measured: out->receive %.2f  settle %.2f (median %.2f, max %.2f)"
                    "  taken->next %.3f  (%d reads; %d connect transactions)\n",
                    r.baud, r.variant.name, r.request_wire_ms, r.answer_wire_ms, r.answer_ms, r.settle_ms, r.settle_median_ms,
                    r.settle_max_ms, r.turn_ms, r.status_samples, r.events_transactions);
    }
    std::printf("\nThe simulator takes each request at once and paces only its answer, so the request's\n"
                "wire time is never spent here and ratios to the full line limit can exceed 1; the\n"
                "bracketed ratio compares with the line the engine actually met.\n");
    return all_ok ? 0 : 1;
}
