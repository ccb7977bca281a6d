#pragma once
// The command line of neva-cli, taken apart without Qt so that it can be tested on
// its own. POSIX habits: options may stand before or after the operands, "--opt
// value" and "--opt=value" are the same, "--" ends the options, and a mistake is a
// usage error (exit status 2) with a message naming what was wrong.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/PortTarget.h"

namespace neva::cli {

enum class Command { None, Show, Diff, Read, Write, Events, Metering, Scan, Clock, Ports, Report, History };

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // failure, or a difference found
inline constexpr int kExitUsage = 2;

// --port N (the program's port numbering: NEVA_COM<n>, else the system's n-th
// port), --port DEVICE (a device path), or a network address: tcp://HOST:PORT (a
// serial device server) or mbtcp://HOST:PORT (a Modbus TCP gateway).
struct PortChoice {
    int number = 0;      // used when device is empty and there is no network address
    std::string device;  // "/dev/ttyUSB0"
    std::optional<PortTarget> network;

    // "COM 3", the device path or the network address, for messages.
    std::string describe() const;
    PortTarget target() const;
};

struct CliOptions {
    Command command = Command::None;
    bool help = false;     // --help: print the help of the command (or the general one)
    bool version = false;  // --version (no command)
    bool json = false;
    bool trace = false;  // --trace: every frame on the line to standard error
    std::vector<std::string> operands;  // files
    std::optional<PortChoice> port;
    int baud = 9600;
    int address = 1;
    int timeout_s = 60;  // the whole relay command, a guard behind the link's own time-outs
    std::string output;  // read -o FILE
    // Header texts written into the file by read.
    std::optional<std::string> programmer, relay_name, observations;
    // report and history export: "pdf", "html" or "csv" (empty: from -o's extension).
    std::string format;
    // metering --watch: a row per poll every interval_ms (0: the metering page's
    // 2 s), `count` rows (0: until interrupted), as CSV with --csv.
    bool watch = false;
    int interval_ms = 0;
    int count = 0;
    bool csv = false;
    // scan: the speeds to try (empty: the program's) and the address range.
    std::vector<int> speeds;
    int first_address = 1, last_address = 247;
    bool set_now = false;  // clock --set-now
};

struct ParseResult {
    CliOptions options;
    std::string error;  // empty when the command line was good
    bool ok() const { return error.empty(); }
};

// `args` without the program name.
ParseResult parse_arguments(const std::vector<std::string>& args);

// nullopt when the text is neither a port number 1..255, a device path nor a valid
// tcp:// or mbtcp:// address.
std::optional<PortChoice> parse_port(std::string_view text);
// "9600,19200" -> speeds; "1-247" or "5" -> an address range. nullopt when malformed.
std::optional<std::vector<int>> parse_speeds(std::string_view text);
std::optional<std::pair<int, int>> parse_address_range(std::string_view text);

std::string command_name(Command command);
// The help of one command, or the general help for Command::None.
std::string help_text(Command command);

}  // namespace neva::cli
