// neva-cli: the program's work from scripts and build pipelines. It runs the same
// core, link engine, queues and images as the desktop program, on a Qt Core event
// loop with no windows.

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

#include "CliArguments.h"
#include "FileCommands.h"
#include "MeteringWatch.h"
#include "RelayCommands.h"
#include "ScanCommand.h"

using namespace neva::cli;

int main(int argc, char** argv) {
    // No windows, no GTK: Qt's own event dispatcher costs less per wake-up than glib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parse_arguments(args);
    const CliOptions& o = parsed.options;
    if (!parsed.ok()) {
        std::cerr << "neva-cli: " << parsed.error << '\n';
        const std::string cmd = command_name(o.command);
        std::cerr << "Try 'neva-cli " << (cmd.empty() ? "" : cmd + " ") << "--help'.\n";
        return kExitUsage;
    }
    if (o.help) {
        std::cout << help_text(o.command);
        return kExitOk;
    }
    if (o.version) {
        std::cout << "neva-cli " << NEVA_VERSION_MAJOR << '.' << NEVA_VERSION_MINOR << '.' << NEVA_VERSION_PATCH
                  << '\n';
        return kExitOk;
    }
    switch (o.command) {
        case Command::Show: return run_show(o, std::cout, std::cerr);
        case Command::Diff: return run_diff(o, std::cout, std::cerr);
        case Command::Read: return run_read(o, std::cout, std::cerr);
        case Command::Write: return run_write(o, std::cout, std::cerr);
        case Command::Events: return run_events(o, std::cout, std::cerr);
        case Command::Metering:
            return o.watch ? run_metering_watch(o, std::cout, std::cerr) : run_metering(o, std::cout, std::cerr);
        case Command::Scan: return run_scan(o, std::cout, std::cerr);
        case Command::Clock: return run_clock(o, std::cout, std::cerr);
        case Command::Ports: return run_ports(o, std::cout, std::cerr);
        case Command::None: break;
    }
    return kExitUsage;
}
