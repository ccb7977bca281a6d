#include "CliArguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace neva::cli {

namespace {

enum class Opt {
    Help, Json, Trace, Port, Baud, Address, Timeout, Output, Programmer, RelayName, Observations, Watch, Interval, Count,
    Csv, Speeds, Addresses, SetNow, Format
};

struct OptionDef {
    Opt id;
    const char* long_name;  // without the dashes
    char short_name;        // 0: none
    bool takes_value;
};

constexpr OptionDef kOptions[] = {
    {Opt::Help, "help", 'h', false},
    {Opt::Json, "json", 0, false},
    {Opt::Trace, "trace", 0, false},
    {Opt::Port, "port", 'p', true},
    {Opt::Baud, "baud", 'b', true},
    {Opt::Address, "address", 'a', true},
    {Opt::Timeout, "timeout", 't', true},
    {Opt::Output, "output", 'o', true},
    {Opt::Programmer, "programmer", 0, true},
    {Opt::RelayName, "relay-name", 0, true},
    {Opt::Observations, "observations", 0, true},
    {Opt::Format, "format", 'f', true},
    {Opt::Watch, "watch", 'w', false},
    {Opt::Interval, "interval", 'i', true},
    {Opt::Count, "count", 'n', true},
    {Opt::Csv, "csv", 0, false},
    {Opt::Speeds, "speeds", 0, true},
    {Opt::Addresses, "addresses", 0, true},
    {Opt::SetNow, "set-now", 0, false},
};

struct CommandDef {
    Command command;
    const char* name;
    std::size_t operands;  // exactly this many
    std::vector<Opt> options;
};

const std::vector<CommandDef>& commands() {
    static const std::vector<Opt> kLine{Opt::Port, Opt::Baud, Opt::Address, Opt::Timeout, Opt::Trace};
    static const std::vector<CommandDef> table = [] {
        auto with = [](std::vector<Opt> a, const std::vector<Opt>& b) {
            a.insert(a.end(), b.begin(), b.end());
            return a;
        };
        return std::vector<CommandDef>{
            {Command::Show, "show", 1, {Opt::Help, Opt::Json}},
            {Command::Diff, "diff", 2, {Opt::Help, Opt::Json}},
            {Command::Read, "read", 0,
             with({Opt::Help, Opt::Output, Opt::Programmer, Opt::RelayName, Opt::Observations}, kLine)},
            {Command::Write, "write", 1, with({Opt::Help}, kLine)},
            {Command::Events, "events", 0, with({Opt::Help, Opt::Json}, kLine)},
            {Command::Metering, "metering", 0,
             with({Opt::Help, Opt::Json, Opt::Watch, Opt::Interval, Opt::Count, Opt::Csv}, kLine)},
            {Command::Scan, "scan", 0, {Opt::Help, Opt::Json, Opt::Port, Opt::Speeds, Opt::Addresses}},
            {Command::Clock, "clock", 0, with({Opt::Help, Opt::Json, Opt::SetNow}, kLine)},
            {Command::Ports, "ports", 0, {Opt::Help, Opt::Json}},
            // FILE or --port; checked in check_records_operands().
            {Command::Report, "report", 0,
             with({Opt::Help, Opt::Format, Opt::Output, Opt::Programmer, Opt::RelayName, Opt::Observations}, kLine)},
            {Command::History, "history", 0, {Opt::Help, Opt::Json, Opt::Format, Opt::Output}},
        };
    }();
    return table;
}

const CommandDef* find_command(std::string_view name) {
    for (const auto& c : commands())
        if (name == c.name) return &c;
    return nullptr;
}

const CommandDef& definition_of(Command command) {
    for (const auto& c : commands())
        if (c.command == command) return c;
    return commands().front();
}

const OptionDef* find_long(std::string_view name) {
    for (const auto& o : kOptions)
        if (name == o.long_name) return &o;
    return nullptr;
}

const OptionDef* find_short(char c) {
    for (const auto& o : kOptions)
        if (o.short_name != 0 && o.short_name == c) return &o;
    return nullptr;
}

std::optional<int> parse_int(std::string_view text, int min, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) return std::nullopt;
    return value;
}

std::string display_name(const OptionDef& o) { return std::string("--") + o.long_name; }

// Applies one option with its value; returns an error text or "".
std::string apply(CliOptions& out, const OptionDef& o, const std::string& value) {
    switch (o.id) {
        case Opt::Help: out.help = true; break;
        case Opt::Json: out.json = true; break;
        case Opt::Trace: out.trace = true; break;
        case Opt::Port: {
            auto p = parse_port(value);
            if (!p)
                return "invalid port '" + value +
                       "': give a port number 1..255, a device path, tcp://HOST:PORT or mbtcp://HOST:PORT";
            out.port = *p;
            break;
        }
        case Opt::Baud: {
            auto b = parse_int(value, 50, 4000000);
            if (!b) return "invalid baud rate '" + value + "'";
            out.baud = *b;
            break;
        }
        case Opt::Address: {
            // The relay's slave addresses; 0 would be a broadcast nobody answers.
            auto a = parse_int(value, 1, 247);
            if (!a) return "invalid relay address '" + value + "': it must be 1..247";
            out.address = *a;
            break;
        }
        case Opt::Timeout: {
            auto t = parse_int(value, 1, 3600);
            if (!t) return "invalid time-out '" + value + "': give whole seconds, 1..3600";
            out.timeout_s = *t;
            break;
        }
        case Opt::Output:
            if (value.empty()) return "the output file name is empty";
            out.output = value;
            break;
        case Opt::Programmer: out.programmer = value; break;
        case Opt::RelayName: out.relay_name = value; break;
        case Opt::Observations: out.observations = value; break;
        case Opt::Format: {
            std::string f = value;
            std::transform(f.begin(), f.end(), f.begin(), [](unsigned char c) { return char(std::tolower(c)); });
            if (f != "pdf" && f != "html" && f != "csv") return "invalid format '" + value + "': give pdf, html or csv";
            out.format = f;
            break;
        }
        case Opt::Watch: out.watch = true; break;
        case Opt::Csv: out.csv = true; break;
        case Opt::Interval: {
            // Seconds, with decimals; a reading takes some 50 ms at 9600 baud.
            double seconds = 0;
            const char* end = value.data() + value.size();
            const auto [ptr, ec] = std::from_chars(value.data(), end, seconds);
            if (value.empty() || ec != std::errc() || ptr != end || !(seconds >= 0.2 && seconds <= 3600))
                return "invalid interval '" + value + "': give seconds, 0.2..3600";
            out.interval_ms = static_cast<int>(seconds * 1000 + 0.5);
            break;
        }
        case Opt::Count: {
            auto n = parse_int(value, 1, 100000000);
            if (!n) return "invalid count '" + value + "': give a number of rows, at least 1";
            out.count = *n;
            break;
        }
        case Opt::Speeds: {
            auto v = parse_speeds(value);
            if (!v) return "invalid speed list '" + value + "': give speeds separated by commas, such as 9600,19200";
            out.speeds = *v;
            break;
        }
        case Opt::Addresses: {
            auto r = parse_address_range(value);
            if (!r) return "invalid address range '" + value + "': give A-B within 1..247, such as 1-30";
            out.first_address = r->first;
            out.last_address = r->second;
            break;
        }
        case Opt::SetNow: out.set_now = true; break;
    }
    return {};
}

bool is_snapshot_id(const std::string& text) { return parse_int(text, 1, 2147483647).has_value(); }

bool has_report_extension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == "pdf" || ext == "html" || ext == "htm" || ext == "csv";
}

// report and history take their operands their own way; "" when they are right.
std::string check_records_operands(const CliOptions& o) {
    auto output_needed = [&](const std::string& cmd) -> std::string {
        if (o.output.empty()) return "'" + cmd + "' needs -o FILE";
        if (o.format.empty() && !has_report_extension(o.output))
            return "'" + cmd + "' needs --format pdf|html|csv (or -o FILE ending in .pdf, .html or .csv)";
        return {};
    };
    if (o.command == Command::Report) {
        if (o.operands.size() > 1) return "'report': unexpected argument '" + o.operands[1] + "'";
        if (o.operands.empty() == !o.port) return "'report' needs a setpoint file or --port N|DEVICE, not both";
        return output_needed("report");
    }
    const std::vector<std::string>& a = o.operands;
    if (a.empty()) return "'history' needs list, show, diff or export";
    const std::string& sub = a[0];
    const std::size_t ids = sub == "list" ? 0 : sub == "show" || sub == "export" ? 1 : sub == "diff" ? 2 : 99;
    if (ids == 99) return "unknown history command '" + sub + "': give list, show, diff or export";
    if (a.size() != ids + 1)
        return "'history " + sub + "' needs " +
               (ids == 0 ? std::string("no argument") : ids == 1 ? "a snapshot number" : "two snapshot numbers");
    for (std::size_t i = 1; i < a.size(); ++i)
        if (!is_snapshot_id(a[i])) return "invalid snapshot number '" + a[i] + "'";
    if (sub == "export") return output_needed("history export");
    if (!o.format.empty() || !o.output.empty()) return "--format and -o go with 'history export'";
    return {};
}

}  // namespace

std::string PortChoice::describe() const {
    if (network) return network->text();
    return device.empty() ? "COM " + std::to_string(number) : device;
}

PortTarget PortChoice::target() const {
    if (network) return *network;
    return device.empty() ? PortTarget::numbered(number) : PortTarget::serial_device(device);
}

std::optional<PortChoice> parse_port(std::string_view text) {
    if (text.empty()) return std::nullopt;
    PortChoice p;
    if (text.find("://") != std::string_view::npos) {
        auto t = PortTarget::parse(text);
        if (!t || !t->is_network()) return std::nullopt;
        p.network = *t;
        return p;
    }
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        auto n = parse_int(text, 1, 255);
        if (!n) return std::nullopt;
        p.number = *n;
        return p;
    }
    p.device = std::string(text);
    return p;
}

std::optional<std::vector<int>> parse_speeds(std::string_view text) {
    std::vector<int> speeds;
    while (true) {
        const auto comma = text.find(',');
        auto b = parse_int(text.substr(0, comma), 50, 4000000);
        if (!b) return std::nullopt;
        if (std::find(speeds.begin(), speeds.end(), *b) == speeds.end()) speeds.push_back(*b);
        if (comma == std::string_view::npos) return speeds;
        text.remove_prefix(comma + 1);
    }
}

std::optional<std::pair<int, int>> parse_address_range(std::string_view text) {
    const auto dash = text.find('-');
    auto a = parse_int(text.substr(0, dash), 1, 247);
    auto b = dash == std::string_view::npos ? a : parse_int(text.substr(dash + 1), 1, 247);
    if (!a || !b || *b < *a) return std::nullopt;
    return std::make_pair(*a, *b);
}

std::string command_name(Command command) {
    if (command == Command::None) return {};
    return definition_of(command).name;
}

ParseResult parse_arguments(const std::vector<std::string>& args) {
    ParseResult r;
    CliOptions& out = r.options;
    std::size_t i = 0;

    // Before the command only --help and --version make sense.
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out.help = true;
            continue;
        }
        if (a == "--version") {
            out.version = true;
            continue;
        }
        if (a == "help") {
            // "neva-cli help [COMMAND]"
            out.help = true;
            if (i + 1 < args.size()) {
                const CommandDef* c = find_command(args[i + 1]);
                if (!c) {
                    r.error = "unknown command '" + args[i + 1] + "'";
                    return r;
                }
                out.command = c->command;
                if (i + 2 < args.size()) r.error = "too many arguments after 'help " + args[i + 1] + "'";
            }
            return r;
        }
        if (!a.empty() && a[0] == '-') {
            r.error = "unknown option '" + a + "' before the command";
            return r;
        }
        const CommandDef* c = find_command(a);
        if (!c) {
            r.error = "unknown command '" + a + "'";
            return r;
        }
        out.command = c->command;
        ++i;
        break;
    }
    if (out.command == Command::None) {
        if (!out.help && !out.version) r.error = "no command given";
        return r;
    }

    const CommandDef& setup = definition_of(out.command);
    const std::string cmd = setup.name;
    auto allowed = [&](const OptionDef& o) {
        return std::find(setup.options.begin(), setup.options.end(), o.id) != setup.options.end();
    };
    bool options_ended = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_ended || a.size() < 2 || a[0] != '-') {
            out.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            options_ended = true;
            continue;
        }
        const OptionDef* o = nullptr;
        std::optional<std::string> inline_value;
        if (a[1] == '-') {
            const auto eq = a.find('=');
            const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            if (eq != std::string::npos) inline_value = a.substr(eq + 1);
            o = find_long(name);
        } else {
            o = find_short(a[1]);
            if (o && a.size() > 2) inline_value = a.substr(2);  // -ofile
        }
        if (!o || !allowed(*o)) {
            r.error = "'" + cmd + "' has no option '" + a + "'";
            return r;
        }
        std::string value;
        if (o->takes_value) {
            if (inline_value) {
                value = *inline_value;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                r.error = "option " + display_name(*o) + " needs a value";
                return r;
            }
        } else if (inline_value) {
            r.error = "option " + display_name(*o) + " takes no value";
            return r;
        }
        if (std::string e = apply(out, *o, value); !e.empty()) {
            r.error = e;
            return r;
        }
    }
    if (out.help) return r;

    if (out.command == Command::Report || out.command == Command::History) {
        r.error = check_records_operands(out);
        return r;
    }
    if (out.operands.size() != setup.operands) {
        if (out.operands.size() > setup.operands)
            r.error = "'" + cmd + "': unexpected argument '" + out.operands[setup.operands] + "'";
        else if (setup.operands == 2)
            r.error = "'" + cmd + "' needs two setpoint files";
        else
            r.error = "'" + cmd + "' needs a setpoint file";
        return r;
    }
    const bool needs_port = std::find(setup.options.begin(), setup.options.end(), Opt::Port) != setup.options.end();
    if (needs_port && !out.port) {
        r.error = "'" + cmd + "' needs --port N|DEVICE";
        return r;
    }
    if (out.command == Command::Read && out.output.empty()) {
        r.error = "'read' needs -o FILE";
        return r;
    }
    if (out.command == Command::Metering) {
        if (!out.watch && (out.csv || out.count > 0 || out.interval_ms > 0)) {
            r.error = "--interval, --count and --csv go with --watch";
            return r;
        }
        if (out.watch && out.json) {
            r.error = "--watch prints rows; use --csv instead of --json";
            return r;
        }
    }
    return r;
}

std::string help_text(Command command) {
    static const char* kLineOptions =
        "  -p, --port N|DEVICE  serial port: a number of the program's numbering (the\n"
        "                       device named by NEVA_COM<N>, else /dev/ttyS<N-1>) or a\n"
        "                       device path such as /dev/ttyUSB0; or over the network:\n"
        "                       tcp://HOST:PORT, a serial device server passing the\n"
        "                       RTU bytes through, or mbtcp://HOST:PORT, a Modbus TCP\n"
        "                       gateway (unit id = the relay address)\n"
        "  -b, --baud B         line speed (default 9600; 8 data bits, no parity, 1 stop)\n"
        "  -a, --address A      relay address 1..247 (default 1)\n"
        "  -t, --timeout S      give up after S seconds in all (default 60); a relay that\n"
        "                       stops answering ends the command sooner, after five\n"
        "                       unanswered requests (about ten seconds)\n"
        "  --trace              every frame sent and received, with its time (ms), its\n"
        "                       request and its verdict, on standard error\n";
    static const char* kStatus =
        "\nExit status: 0 success, 1 failure, 2 usage error. Messages go to standard error.\n";
    switch (command) {
        case Command::None:
            return "Usage: neva-cli COMMAND [OPTIONS] [FILES]\n"
                   "\n"
                   "Checks, compares and loads NEVA200 relay setpoints from scripts.\n"
                   "\n"
                   "Commands:\n"
                   "  show FILE                       header and every setpoint of a setpoint file\n"
                   "  diff A B                        the setpoints that differ between two files\n"
                   "  read --port P -o FILE           read a relay into a setpoint file\n"
                   "  write FILE --port P             send a setpoint file to a relay and verify it\n"
                   "  events --port P                 the relay's event record\n"
                   "  metering --port P               the four currents the relay measures\n"
                   "  metering --watch --port P       a row of currents per reading, until Ctrl+C\n"
                   "  scan --port P                   find the relays on a line: address and speed\n"
                   "  clock --port P [--set-now]      the relay clock against the computer's; set it\n"
                   "  ports                           the serial ports of this computer\n"
                   "  report FILE|--port P -o OUT     a settings report as PDF, HTML or CSV\n"
                   "  history list|show|diff|export   the settings history (as-found, as-left)\n"
                   "\n"
                   "'neva-cli COMMAND --help' describes a command.\n"
                   "\n"
                   "Exit status: 0 success, 1 failure or difference, 2 usage error.\n";
        case Command::Show:
            return std::string("Usage: neva-cli show [--json] FILE\n"
                               "\n"
                               "Prints the header of a setpoint file (programmer, relay name, observations,\n"
                               "firmware version, saved date as ISO date-time) and then every setpoint of the\n"
                               "register map, one line each, tab-separated: page caption, label, the text the\n"
                               "page shows, raw value.\n"
                               "\n"
                               "  --json      the same as one JSON object\n") +
                   kStatus;
        case Command::Diff:
            return std::string("Usage: neva-cli diff [--json] A B\n"
                               "\n"
                               "Lists the setpoints whose values differ between two setpoint files, one line\n"
                               "each, tab-separated: page caption, label, text in A, text in B.\n"
                               "\n"
                               "  --json      the same as one JSON object\n"
                               "\n"
                               "Exit status: 0 no setpoint differs, 1 some differ or a file could not be\n"
                               "read, 2 usage error.\n");
        case Command::Read:
            return std::string("Usage: neva-cli read --port N|DEVICE [OPTIONS] -o FILE\n"
                               "\n"
                               "Connects, checks the relay's identification, reads both setpoint blocks, the\n"
                               "actual values and the event record, and saves them as a setpoint file.\n"
                               "\n"
                               "  -o, --output FILE    the setpoint file to write (an old one is replaced only\n"
                               "                       once the new one is complete)\n"
                               "  --programmer TEXT    header texts stored in the file (cut to 20, 20 and\n"
                               "  --relay-name TEXT    100 characters; empty when not given)\n"
                               "  --observations TEXT\n") +
                   kLineOptions + kStatus;
        case Command::Write:
            return std::string("Usage: neva-cli write FILE --port N|DEVICE [OPTIONS]\n"
                               "\n"
                               "Sends the setpoints of a file to the relay. A file with any setpoint outside\n"
                               "the register map's limits or off its step is refused before anything is\n"
                               "sent, naming each such setpoint. Otherwise setpoint blocks 1 and 2 are sent,\n"
                               "read back, and the command succeeds only when the relay holds exactly what\n"
                               "was sent.\n"
                               "\n") +
                   kLineOptions + kStatus;
        case Command::Events:
            return std::string("Usage: neva-cli events --port N|DEVICE [OPTIONS] [--json]\n"
                               "\n"
                               "Reads the relay's event record (at most the 20 newest events) and prints one\n"
                               "line per event, newest first, tab-separated: number, event, date and time.\n"
                               "\n"
                               "  --json               the same as one JSON object\n") +
                   kLineOptions + kStatus;
        case Command::Metering:
            return std::string("Usage: neva-cli metering --port N|DEVICE [OPTIONS] [--json]\n"
                               "       neva-cli metering --watch --port N|DEVICE [OPTIONS] [--interval S]\n"
                               "                         [--count N] [--csv]\n"
                               "\n"
                               "Reads the relay's current metering and prints the phase A, B, C and ground\n"
                               "currents, one line each, tab-separated: label, value, unit.\n"
                               "\n"
                               "  --json               the same as one JSON object\n"
                               "\n"
                               "With --watch it reads the currents again and again and prints one row per\n"
                               "reading, tab-separated: local time (ISO 8601, milliseconds), then phase A, B,\n"
                               "C and ground each as value and unit as the metering page shows them. Ctrl+C\n"
                               "ends it (exit status 0); --timeout then applies to each reading.\n"
                               "\n"
                               "  -w, --watch          one row per reading until interrupted\n"
                               "  -i, --interval S     seconds between readings, 0.2..3600 (default 2, as the\n"
                               "                       metering page)\n"
                               "  -n, --count N        stop after N rows\n"
                               "  --csv                rows as the current log of the trend window: a header\n"
                               "                       line, then time and the four currents in amperes,\n"
                               "                       comma-separated, '.' as the decimal point\n") +
                   kLineOptions + kStatus;
        case Command::Scan:
            return std::string(
                       "Usage: neva-cli scan --port N|DEVICE [--speeds LIST] [--addresses A-B] [--json]\n"
                       "\n"
                       "Finds the relays on a line whose speed or address is not known: sends the\n"
                       "identification read to each address at each speed, with a short time-out per\n"
                       "try, and prints every relay that answers as soon as it does, tab-separated:\n"
                       "address, speed, identification words, firmware, supported or not. It only\n"
                       "reads; nothing is ever written to a relay. The duration of the whole scan (the\n"
                       "longest it can take) is told on standard error before it starts; a full\n"
                       "scan of every speed and address takes about four minutes.\n"
                       "\n"
                       "  -p, --port N|DEVICE  the port, as for the other commands\n"
                       "  --speeds LIST        speeds to try, such as 9600,19200 (default: 9600, 1200,\n"
                       "                       2400, 4800, 19200, 38400, 57600)\n"
                       "  --addresses A-B      addresses to try, within 1..247 (default 1-247)\n"
                       "  --json               one JSON object per relay found, one per line\n"
                       "\n"
                       "Exit status: 0 some relay answered, 1 none did or the port failed, 2 usage\n"
                       "error.\n");
        case Command::Clock:
            return std::string("Usage: neva-cli clock --port N|DEVICE [OPTIONS] [--set-now] [--json]\n"
                               "\n"
                               "Reads the relay clock and prints it beside the computer's local time and\n"
                               "the difference between them. With --set-now it then sets the relay clock to\n"
                               "the computer's local time (the write the date and time page's STORE makes),\n"
                               "reads it back and prints the difference again.\n"
                               "\n"
                               "  --set-now            set the relay clock to the computer's time\n"
                               "  --json               the same as one JSON object\n") +
                   kLineOptions + kStatus;
        case Command::Ports:
            return std::string("Usage: neva-cli ports [--json]\n"
                               "\n"
                               "Lists the serial ports of this computer (USB adapters included), one line\n"
                               "each, tab-separated: device, description, manufacturer, serial number. Any\n"
                               "of the devices can be given to --port.\n"
                               "\n"
                               "  --json      the same as one JSON object\n") +
                   kStatus;
        case Command::Report:
            return std::string("Usage: neva-cli report FILE [--format pdf|html|csv] -o OUT\n"
                               "       neva-cli report --port N|DEVICE [OPTIONS] [--format pdf|html|csv] -o OUT\n"
                               "\n"
                               "Writes a settings report of a setpoint file, or of the relay as read now:\n"
                               "the header (programmer, relay name, observations, firmware version, saved\n"
                               "date; for a relay the port, speed, address and read time), then every\n"
                               "setpoint grouped by page: label, text as the page shows it, raw value and\n"
                               "register. Reading a relay also stores an as-found snapshot in the settings\n"
                               "history.\n"
                               "\n"
                               "  -f, --format F       pdf, html or csv (default: from OUT's extension)\n"
                               "  -o, --output OUT     the report file (an old one is replaced only once the\n"
                               "                       new one is complete)\n"
                               "  --programmer TEXT    header texts of a relay's report (empty when not\n"
                               "  --relay-name TEXT    given)\n"
                               "  --observations TEXT\n") +
                   kLineOptions + kStatus;
        case Command::History:
            return std::string("Usage: neva-cli history list [--json]\n"
                               "       neva-cli history show ID [--json]\n"
                               "       neva-cli history diff ID1 ID2 [--json]\n"
                               "       neva-cli history export ID [--format pdf|html|csv] -o OUT\n"
                               "\n"
                               "The settings history: every read of a relay's setpoint blocks stores an\n"
                               "as-found snapshot, every write read back identical an as-left snapshot, in\n"
                               "the user's data folder ($XDG_DATA_HOME/neva-setup/history.sqlite).\n"
                               "\n"
                               "  list     one line per snapshot, newest first, tab-separated: number, time,\n"
                               "           kind, relay name, port, address, firmware, user\n"
                               "  show     the snapshot's header and every setpoint, as 'show' prints a file\n"
                               "  diff     the setpoints that differ between two snapshots, as 'diff' prints\n"
                               "           them (exit status 1 when some differ)\n"
                               "  export   a settings report of the snapshot\n"
                               "\n"
                               "  --json               the same as one JSON object\n") +
                   kStatus;
    }
    return {};
}

}  // namespace neva::cli
