// neva-relay-sim: a NEVA200 relay on a pseudo-terminal (or a serial device), for
// tests and demonstrations of the setup program without the hardware.

#include <array>
#include <atomic>
#include <memory>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "ModbusSlave.h"
#include "RelayModel.h"
#include "SerialLine.h"
#include "SerialProxy.h"
#include "SimProgram.h"

namespace {

constexpr const char* kHelp = R"(Usage: neva-relay-sim [options]

Simulates a NEVA200 feeder protection relay as a Modbus-RTU slave. By default it
opens a pseudo-terminal and prints the path of its slave end as the first line of
standard output; give that path to the program as its serial port, for example
NEVA_COM1=<path> neva-setup.

The relay answers function 04 reads of 0x0000 (identification), 0x0200..0x021B
(clock, status, measurements, last trip), 0x0280..0x0286 (maintenance data),
0x0600..0x0613 (event record head and event window); function 03 reads and
function 16 writes of the setpoint blocks 0x0100..0x011B and 0x0180..0x0195;
function 16 writes of the clock 0x0090..0x0092 and the event selector 0x0610;
function 05 commands 1 (reset), 5 (apply the written clock), 8 (clear maintenance
data), 9 (clear events) and 2, 20, 21, 22 (accepted). Other addresses, commands
and functions get a Modbus exception answer.

Line:
  --device PATH         serve an existing serial device instead of a pseudo-terminal
  --link PATH           also make a symbolic link PATH to the pseudo-terminal
                        (an existing symbolic link there is replaced; removed at exit)
  --baud B              pace every answer byte at the wire time of B baud (10 bits
                        a byte); with --device, the line speed (default 9600)
  --reply-delay MS      wait MS milliseconds before the first byte of each answer
  --tcp PORT            serve the relay as a serial device server does: the RTU
                        bytes unchanged over TCP, on 127.0.0.1 only; PORT 0 picks
                        a free port. The first line of output is then
                        tcp://127.0.0.1:<port>, ready for neva-cli --port
  --modbus-tcp PORT     serve the relay behind a Modbus TCP gateway (libmodbus TCP
                        server, MBAP framing), on 127.0.0.1 only; PORT 0 picks a
                        free port; the first line is mbtcp://127.0.0.1:<port>.
                        A request for another unit id gets exception 11, and
                        --bad-crc-every makes the gateway answer exception 11 in
                        place of the garbled answer (Modbus TCP carries no CRC)

Relay:
  --address A           slave address, 1..247 (default 1)
  --id W0,W1,W2         identification words (default 12,2,103)
  --seed N              seed of the simulated life (default 1)
  --events N            events in the record at start, 0..100 (default 25)
  --event-every S       a new event of the simulated life every S seconds
                        (default 5; 0 = the relay stays still: no new events,
                        fixed status bits, only the currents drift)
  --currents A,B,C,G    phase A, B, C and ground currents in amperes, held fixed

Faults:
  --silent              never answer (requests are still obeyed)
  --bad-crc-every K     every K-th answer carries a wrong CRC (K >= 1)

Other:
  --quiet               no log of requests on standard error
  --help                this text
  --version             the version of the simulator

On TCP one client is served at a time, as on one port of a device server; a
client that disconnects is like a program that closes the serial port.

The program ends cleanly on SIGTERM or SIGINT. It keeps serving when the program
under test closes and reopens the port.
)";

bool parse_unsigned(const char* text, unsigned long max, unsigned long& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (errno != 0 || *end != '\0' || text[0] == '-' || value > max) return false;
    out = value;
    return true;
}

bool parse_id(const char* text, std::array<std::uint16_t, 3>& id) {
    std::string s = text ? text : "";
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = s.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) return false;
        const std::string part = s.substr(start, i < 2 ? comma - start : std::string::npos);
        unsigned long v = 0;
        if (!parse_unsigned(part.c_str(), 0xFFFF, v)) return false;
        id[i] = static_cast<std::uint16_t>(v);
        start = comma + 1;
    }
    return true;
}

bool parse_currents(const char* text, std::array<double, 4>& amps) {
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (!p || !*p) return false;
        char* end = nullptr;
        amps[i] = std::strtod(p, &end);
        // The relay's registers hold hundredths of an ampere in 32 bits.
        if (end == p || !(amps[i] >= 0.0 && amps[i] <= 42949672.95)) return false;
        if (*end != (i < 3 ? ',' : '\0')) return false;
        p = end + 1;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace neva::sim;

    SimProgram program("neva-relay-sim");
    auto usage_error = [&](const std::string& message) { return program.usage_error(message); };

    RelaySettings settings;
    LineFaults faults;
    std::string device, link;
    unsigned long address = 1, baud = 0;
    long tcp_port = -1, modbus_tcp_port = -1;
    bool quiet = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto need = [&](bool ok) {
            if (ok) ++i;
            return ok;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--version") {
            return program.print_version();
        } else if (arg == "--device") {
            if (!need(value != nullptr)) return usage_error("--device needs a path");
            device = value;
        } else if (arg == "--link") {
            if (!need(value != nullptr)) return usage_error("--link needs a path");
            link = value;
        } else if (arg == "--address") {
            if (!need(parse_unsigned(value, 247, address) && address >= 1))
                return usage_error("--address needs a number from 1 to 247");
        } else if (arg == "--id") {
            if (!need(parse_id(value, settings.identification)))
                return usage_error("--id needs three numbers 0..65535 separated by commas");
        } else if (arg == "--seed") {
            if (!need(parse_unsigned(value, 0xFFFFFFFFul, n))) return usage_error("--seed needs a number");
            settings.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--events") {
            if (!need(parse_unsigned(value, RelayModel::kRecordCapacity, n)))
                return usage_error("--events needs a number from 0 to 100");
            settings.initial_events = static_cast<int>(n);
        } else if (arg == "--event-every") {
            char* end = nullptr;
            const double s = value ? std::strtod(value, &end) : -1.0;
            if (!need(value && *value && *end == '\0' && s >= 0.0 && s <= 86400.0))
                return usage_error("--event-every needs a number of seconds (0 = never)");
            settings.event_every_s = s;
        } else if (arg == "--currents") {
            std::array<double, 4> amps{};
            if (!need(value && parse_currents(value, amps)))
                return usage_error("--currents needs four amperes separated by commas");
            settings.fixed_amps = amps;
        } else if (arg == "--silent") {
            faults.silent = true;
        } else if (arg == "--bad-crc-every") {
            if (!need(parse_unsigned(value, 1000000, n) && n >= 1))
                return usage_error("--bad-crc-every needs a number of at least 1");
            faults.bad_crc_every = static_cast<unsigned>(n);
        } else if (arg == "--baud") {
            if (!need(parse_unsigned(value, 4000000, baud) && baud >= 50))
                return usage_error("--baud needs a speed of at least 50");
        } else if (arg == "--reply-delay") {
            if (!need(parse_unsigned(value, 60000, n))) return usage_error("--reply-delay needs milliseconds");
            faults.reply_delay_ms = static_cast<unsigned>(n);
        } else if (arg == "--tcp" || arg == "--modbus-tcp") {
            if (!need(parse_unsigned(value, 65535, n))) return usage_error(arg + " needs a TCP port 0..65535");
            (arg == "--tcp" ? tcp_port : modbus_tcp_port) = static_cast<long>(n);
        } else if (arg == "--quiet") {
            quiet = true;
        } else {
            return usage_error("unknown option " + arg);
        }
    }
    if (!device.empty() && !link.empty()) return usage_error("--link applies to the pseudo-terminal only");
    const bool network = tcp_port >= 0 || modbus_tcp_port >= 0;
    if (tcp_port >= 0 && modbus_tcp_port >= 0) return usage_error("--tcp and --modbus-tcp exclude each other");
    if (network && (!device.empty() || !link.empty()))
        return usage_error("--tcp and --modbus-tcp exclude --device and --link");

    int answer_pipe[2];
    if (!program.catch_stop_signals()) return 1;
    if (pipe(answer_pipe) != 0) {
        std::perror("neva-relay-sim: pipe");
        return 1;
    }

    // A real line paces itself; the pseudo-terminal and TCP are paced by the proxy.
    if (device.empty()) faults.pace_baud = static_cast<unsigned>(baud);
    faults.modbus_tcp = modbus_tcp_port >= 0;
    std::string error;
    std::unique_ptr<SerialLine> outer;
    if (network) {
        outer = SerialLine::open_tcp_listener(static_cast<unsigned>(network && tcp_port >= 0 ? tcp_port : modbus_tcp_port),
                                              error);
        if (!outer) return program.fail(error);
    } else {
        outer = program.open_line(device, baud ? static_cast<unsigned>(baud) : 9600, link);
        if (!outer) return 1;
    }

    // The slave's own line: a pseudo-terminal for RTU, a socket pair for Modbus TCP.
    std::string inner_path;
    int inner_master = -1;
    int inner_slave_keeper = -1;
    int inner_socket = -1;
    if (faults.modbus_tcp) {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return program.fail("socketpair failed");
        inner_master = pair[0];
        inner_socket = pair[1];
        fcntl(inner_master, F_SETFL, fcntl(inner_master, F_GETFL) | O_NONBLOCK);
    } else {
        inner_master = SerialLine::create_raw_pty(inner_path, error);
        if (inner_master < 0) return program.fail(error);
        // Held open for the whole run, so the inner line never hangs up under libmodbus.
        inner_slave_keeper = open(inner_path.c_str(), O_RDWR | O_NOCTTY);
    }

    // The relay's clock starts at the computer's local time of day.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    RelayModel model(settings, timegm(&local), std::chrono::steady_clock::now());

    ModbusSlave slave(model, static_cast<int>(address), !quiet);
    if (!(faults.modbus_tcp ? slave.open_tcp(inner_socket, error) : slave.open(inner_path, error)))
        return program.fail(error);

    std::atomic<bool> stop{false};
    LineBarrier barrier;
    std::thread slave_thread([&] { slave.run(stop, answer_pipe[1], barrier); });

    const std::string where = !network ? outer->path()
                              : (faults.modbus_tcp ? "mbtcp://" : "tcp://") + outer->path();
    std::printf("%s\n", where.c_str());
    std::fflush(stdout);
    if (!quiet)
        std::fprintf(stderr, "neva-relay-sim: relay at address %lu on %s\n", address, where.c_str());

    SerialProxy proxy(*outer, inner_master, inner_slave_keeper, answer_pipe[0], program.stop_fd(), barrier, faults,
                      !quiet);
    const bool clean = proxy.run();

    stop = true;
    slave_thread.join();
    if (inner_slave_keeper >= 0) close(inner_slave_keeper);
    close(inner_master);
    outer.reset();  // removes the link
    if (!clean) return program.fail("the line failed");
    return 0;
}
