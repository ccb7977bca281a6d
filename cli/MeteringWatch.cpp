#include "MeteringWatch.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <csignal>

#include "InterruptWatch.h"
#include "RelaySession.h"
#include "image/ModAutoRango.h"
#include "trend/CsvLogger.h"
#include "trend/MeteringRecorder.h"
#include "trend/TrendClock.h"

namespace neva::cli {

namespace {

// Waits ms milliseconds on the event loop (the link keeps reading the status
// meanwhile); false when interrupted.
bool wait(int ms, InterruptWatch& interrupt) {
    if (interrupt.requested()) return false;
    if (ms > 0) {
        QEventLoop loop;
        QTimer timer;
        // A coarse timer may end a 2 s wait 100 ms early.
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        auto previous = interrupt.on_interrupt;
        interrupt.on_interrupt = [&loop, previous] {
            if (previous) previous();
            loop.quit();
        };
        timer.start(ms);
        loop.exec();
        interrupt.on_interrupt = previous;
    }
    return !interrupt.requested();
}

std::string text_row(const CurrentSample& s) {
    std::string r = iso_time(s.time_ms);
    for (Fixed4 a : s.amperes) {
        std::string number, unit;
        AutoRango(1, number, unit, a);
        r += "\t" + number + " " + unit;
    }
    return r;
}

}  // namespace

int run_metering_watch(const CliOptions& options, std::ostream& out, std::ostream& err) {
#ifndef _WIN32
    // A reader that goes away (| head) ends the watch through a failed write, not
    // by killing the program with the line half done.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    InterruptWatch interrupt;
    const int interval_ms = options.interval_ms > 0 ? options.interval_ms : kMeteringIntervalMs;

    RelaySession session(options, err);
    // Ctrl+C also ends a connection still being made or a reading in hand, at once.
    interrupt.on_interrupt = [&session] { session.interrupt(); };
    if (!session.connect()) return interrupt.requested() ? kExitOk : kExitFailure;
    TrendClock stamps(session.clock());
    if (options.csv) out << CsvLogger::kHeader << '\n';

    const std::int64_t start_ms = session.clock().monotonic_ms();
    std::int64_t beat = 0;
    int rows = 0;
    int status = kExitOk;
    while (!interrupt.requested()) {
        // Each reading has the whole --timeout; the command as a whole has none.
        session.renew_deadline();
        if (!session.state().En_Linea || session.state().Error_Comunicacion) {
            // The link gave up between two readings, with nobody waiting to hear it.
            err << "neva-cli: the relay (" << session.describe_line() << ") stopped answering\n";
            status = kExitFailure;
            break;
        }
        // A reading that fails has been explained by the session.
        if (!session.run_action(MeteringRecorder::kMeteringAction)) {
            if (!interrupt.requested()) status = kExitFailure;
            break;
        }
        CurrentSample s;
        s.time_ms = stamps.now_ms();
        s.amperes = MeteringRecorder::decode_currents(session.neva());
        out << (options.csv ? CsvLogger::row(s) : text_row(s)) << '\n';
        out.flush();
        if (!out) {
            err << "neva-cli: the output cannot be written any more; stopped\n";
            status = kExitFailure;
            break;
        }
        if (options.count > 0 && ++rows >= options.count) break;
        // Readings keep to the interval's beat, whatever each one took; one that
        // came late is not made up for by a burst.
        const std::int64_t now = session.clock().monotonic_ms();
        if (start_ms + ++beat * interval_ms <= now) beat = (now - start_ms) / interval_ms + 1;
        if (!wait(static_cast<int>(start_ms + beat * interval_ms - now), interrupt)) break;
    }
    session.disconnect();
    out.flush();
    return status;
}

}  // namespace neva::cli
