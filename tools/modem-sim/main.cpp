// neva-modem-sim: a Hayes-compatible modem on a pseudo-terminal (or a serial
// device), for tests and demonstrations of the setup program's modem programming.

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "HayesModem.h"
#include "SerialLine.h"
#include "SimProgram.h"

namespace {

constexpr const char* kHelp = R"(Usage: neva-modem-sim [options]

Simulates a Hayes-compatible modem. By default it opens a pseudo-terminal and
prints the path of its slave end as the first line of standard output.

In the command state it takes lines "AT<commands>" ended by CR: letters with
optional digits (A B D E H I L M N O P Q T V X Z), &-forms (&C &D &F &K &S &V &W
&Y), Sn=v and Sn?; blanks are ignored; anything before "AT" on a line is
ignored, a line without "AT" gets no answer, an unknown or out-of-range command
gets ERROR. Results are verbose (CR LF "OK" CR LF) or numeric ("0" CR) after V0,
none after Q1. ATD connects at once to a far end that swallows all data; in the
data state "+++" between two guard times (S12 fiftieths of a second, default 1 s)
returns to the command state with OK. ATA answers NO CARRIER (no call).

Options:
  --device PATH   serve an existing serial device instead of a pseudo-terminal
  --baud B        speed of --device (default 9600)
  --link PATH     also make a symbolic link PATH to the pseudo-terminal
                  (an existing symbolic link there is replaced; removed at exit)
  --echo          echo command characters (E1, the default)
  --no-echo       start with E0
  --verbose       verbose result codes (V1, the default)
  --numeric       start with V0 (numeric result codes)
  --online        start connected, in the data state (to try the escape)
  --silent        never answer anything, not even the echo (a dead modem)
  --refuse NAME   treat the command NAME ("&W", "S", "D", "X"...) as unknown:
                  ERROR where it stands, the commands before it in the line
                  having taken effect (repeatable); e.g. --refuse "&W" makes
                  "ATE0 V0 S0=2 &W1 &Y1" answer the numeric error "4" CR
  --quiet         no log of command lines on standard error
  --help          this text
  --version       the version of the simulator

The program ends cleanly on SIGTERM or SIGINT and keeps serving when the program
under test closes and reopens the port.
)";

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') out += "<CR>";
        else if (c == '\n') out += "<LF>";
        else if (c < 32 || c > 126) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<%02X>", c);
            out += buf;
        } else out += static_cast<char>(c);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace neva::sim;
    using Clock = std::chrono::steady_clock;

    SimProgram program("neva-modem-sim");
    auto usage_error = [&](const std::string& message) { return program.usage_error(message); };

    HayesModem::Settings settings;
    std::string device, link;
    unsigned long baud = 9600;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--version") {
            return program.print_version();
        } else if (arg == "--device" || arg == "--link" || arg == "--baud") {
            if (!value) return usage_error(arg + " needs a value");
            ++i;
            if (arg == "--device") device = value;
            else if (arg == "--link") link = value;
            else {
                char* end = nullptr;
                baud = std::strtoul(value, &end, 10);
                if (*end != '\0' || baud == 0) return usage_error("--baud needs a speed");
            }
        } else if (arg == "--refuse") {
            if (!value || !*value) return usage_error("--refuse needs a command name");
            ++i;
            std::string name;
            for (const char* p = value; *p; ++p) name += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
            const bool valid = (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) ||
                               (name.size() == 2 && name[0] == '&' && std::isalpha(static_cast<unsigned char>(name[1])));
            if (!valid) return usage_error("--refuse needs a command name such as &W or S");
            settings.refused.insert(name);
        } else if (arg == "--echo") {
            settings.echo = true;
        } else if (arg == "--no-echo") {
            settings.echo = false;
        } else if (arg == "--verbose") {
            settings.verbose = true;
        } else if (arg == "--numeric") {
            settings.verbose = false;
        } else if (arg == "--online") {
            settings.online = true;
        } else if (arg == "--silent") {
            settings.silent = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else {
            return usage_error("unknown option " + arg);
        }
    }
    if (!device.empty() && !link.empty()) return usage_error("--link applies to the pseudo-terminal only");

    if (!program.catch_stop_signals()) return 1;
    std::unique_ptr<SerialLine> line = program.open_line(device, static_cast<unsigned>(baud), link);
    if (!line) return 1;

    HayesModem modem(settings, Clock::now());
    std::printf("%s\n", line->path().c_str());
    std::fflush(stdout);

    auto send = [&](const std::string& bytes) {
        std::size_t done = 0;
        for (int tries = 0; done < bytes.size() && tries < 1000; ++tries) {
            done += line->write_some(reinterpret_cast<const std::uint8_t*>(bytes.data()) + done, bytes.size() - done);
            if (done < bytes.size()) usleep(1000);
        }
        if (!quiet && !bytes.empty()) std::fprintf(stderr, "neva-modem-sim: sent %s\n", printable(bytes).c_str());
    };

    std::vector<std::uint8_t> input;
    for (;;) {
        if (!line->peer_present()) line->refresh_peer();
        int timeout_ms = line->watch_fd() >= 0 || line->peer_present() ? -1 : 20;
        if (const auto deadline = modem.next_deadline()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            timeout_ms = static_cast<int>(wait < 0 ? 0 : wait);
        }
        pollfd fds[3] = {{program.stop_fd(), POLLIN, 0}, {line->watch_fd(), POLLIN, 0}, {line->fd(), POLLIN, 0}};
        const nfds_t count = line->peer_present() ? 3 : 2;
        const int ready = poll(fds, count, timeout_ms);
        if (ready < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) break;
        if (fds[1].revents & POLLIN) line->read_watch_events();
        if (count == 3 && fds[2].revents) {
            input.clear();
            const bool ok = line->read_available(input);
            if (!input.empty()) {
                const std::string bytes(input.begin(), input.end());
                if (!quiet) std::fprintf(stderr, "neva-modem-sim: received %s\n", printable(bytes).c_str());
                send(modem.receive(bytes, Clock::now()));
            }
            if (!ok && !line->is_pseudo_terminal()) {
                std::fprintf(stderr, "neva-modem-sim: the line failed\n");
                return 1;
            }
            if ((fds[2].revents & POLLHUP) && !line->is_pseudo_terminal() && !(fds[2].revents & POLLIN))
                usleep(10000);
        }
        send(modem.tick(Clock::now()));
    }
    return 0;
}
