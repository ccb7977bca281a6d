#include "ScanCommand.h"

#include <QEventLoop>
#include <QtGlobal>

#include <cstdio>

#include "JsonWriter.h"
#include "RelaySession.h"
#include "adapters/QtPorts.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "link/RelayClock.h"
#include "link/RelayScanner.h"

namespace neva::cli {

namespace {

// The scan opens its port through the same switch as the relay commands, so a
// serial device server or a Modbus TCP gateway is searched like a serial line.
std::string prepare_port(const PortChoice& p, PortSwitch& port) {
    port.set_target(p.target());
    port.set_port_number(p.number);
    return port_name(p);
}

std::string duration_text(std::int64_t ms) {
    const std::int64_t s = (ms + 999) / 1000;
    if (s < 60) return std::to_string(s) + " s";
    return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

std::string words_text(const FoundRelay& f) {
    return std::to_string(f.words[0]) + "," + std::to_string(f.words[1]) + "," + std::to_string(f.words[2]);
}

std::string iso(const DateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace

int run_scan(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const auto port = QtPorts::make_switch();
    QtTimerFactory timers;
    const std::string where = prepare_port(*options.port, *port);
    // Over the network the speed is the device server's or the gateway's own: one
    // pass over the addresses is enough.
    std::vector<int> speeds = options.speeds;
    if (speeds.empty()) speeds = options.port->network ? std::vector<int>{options.baud} : RelayScanner::default_speeds();
    ScanPlan plan{speeds, options.first_address, options.last_address};
    RelayScanner scanner(*port, timers);

    err << "neva-cli: scanning " << where << ": " << plan.speeds.size()
        << (plan.speeds.size() == 1 ? " speed" : " speeds") << ", addresses " << plan.first_address << "-"
        << plan.last_address << "; this takes at most " << duration_text(RelayScanner::estimate_ms(plan)) << '\n';
    err.flush();

    int speed_shown = 0;
    scanner.on_try = [&](int speed, int) {
        if (speed == speed_shown) return;
        speed_shown = speed;
        err << "neva-cli: trying " << speed << " baud\n";
        err.flush();
    };
    // Each relay is printed the moment it answers, so a script or an engineer
    // watching can stop the scan once the relay sought has turned up.
    scanner.on_found = [&](const FoundRelay& f) {
        if (options.json) {
            out << "{\"address\": " << f.address << ", \"speed\": " << f.speed << ", \"identification\": ["
                << f.words[0] << ", " << f.words[1] << ", " << f.words[2] << "], \"firmware\": "
                << JsonWriter::quote(f.version) << ", \"supported\": " << (f.supported ? "true" : "false") << "}\n";
        } else {
            out << f.address << '\t' << f.speed << '\t' << words_text(f) << '\t' << f.version << '\t'
                << (f.supported ? "supported" : "not supported") << '\n';
        }
        out.flush();
    };
    QEventLoop loop;
    ScanEnd end = ScanEnd::Completed;
    scanner.on_finished = [&](ScanEnd e) {
        end = e;
        loop.quit();
    };
    scanner.start(plan);
    if (scanner.running()) loop.exec();

    if (end == ScanEnd::PortFailed || end == ScanEnd::PortLost) {
        auto* serial = dynamic_cast<QtSerialPort*>(&port->active());
        const std::string why = serial ? serial->last_error().toStdString() : port->diagnosis();
        err << "neva-cli: " << (end == ScanEnd::PortFailed ? "cannot open the port " : "lost the port ") << where
            << (why.empty() ? std::string() : ": " + why) << '\n';
        return kExitFailure;
    }
    const std::size_t n = scanner.found().size();
    if (n == 0) {
        err << "neva-cli: no relay answered on " << where << "; check the cable, the port and the line's wiring\n";
        return kExitFailure;
    }
    err << "neva-cli: " << n << (n == 1 ? " relay" : " relays") << " found\n";
    return kExitOk;
}

int run_clock(const CliOptions& options, std::ostream& out, std::ostream& err) {
    RelaySession session(options, err);
    if (!session.connect()) return kExitFailure;
    struct Reading {
        DateTime relay, computer;
        std::int64_t offset = 0;
    };
    // The computer's time is taken when the answer is in, so the difference is the
    // clocks' own and not the time the read took.
    auto read = [&](Reading& r) {
        if (!session.run_action(91)) return false;
        r.computer = session.clock().now();
        const auto relay = relay_clock(session.images().Imagen_AV);
        if (!relay) {
            err << "neva-cli: the relay's clock holds no valid date\n";
            return false;
        }
        r.relay = *relay;
        r.offset = seconds_between(r.relay, r.computer);
        return true;
    };
    Reading before, after;
    const bool have_before = read(before);
    if (!have_before && !options.set_now) return kExitFailure;
    if (options.set_now) {
        // The same write as the date and time page's STORE: the clock registers, then
        // the command that makes the relay take them.
        const DateTime now = session.clock().now();
        session.neva().Date_Time(now.day, now.month, now.year, now.hour, now.minute, now.second);
        if (!session.run_action(93) || !session.run_action(92) || !read(after)) {
            err << "neva-cli: setting the relay clock (" << session.describe_line() << ") failed\n";
            return kExitFailure;
        }
    }
    session.disconnect();

    if (options.json) {
        JsonWriter j(out);
        j.begin_object();
        auto reading = [&j](const char* name, const Reading& r) {
            j.key(name);
            j.begin_object();
            j.key("relay");
            j.value(iso(r.relay));
            j.key("computer");
            j.value(iso(r.computer));
            j.key("offset_seconds");
            j.value(r.offset);
            j.end_object();
        };
        if (have_before) {
            reading("before", before);
        } else {
            j.key("before");
            j.null();
        }
        if (options.set_now) reading("after", after);
        j.end_object();
        j.finish();
        return kExitOk;
    }
    auto print = [&out](const char* when, const Reading& r) {
        out << when << "relay " << iso(r.relay) << ", computer " << iso(r.computer) << ": "
            << describe_clock_offset(r.offset) << '\n';
    };
    if (have_before) print(options.set_now ? "before: " : "", before);
    if (options.set_now) print("after:  ", after);
    out.flush();
    return kExitOk;
}

}  // namespace neva::cli
