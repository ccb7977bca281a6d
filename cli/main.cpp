// neva-cli: the program's work from scripts and build pipelines. It runs the same
// core, link engine, queues and images as the desktop program, on a Qt Core event
// loop with no windows.

#include <QCoreApplication>
#include <QGuiApplication>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CliArguments.h"
#include "FileCommands.h"
#include "RecordsCommands.h"
#include "ReportFile.h"
#include "MeteringWatch.h"
#include "RelayCommands.h"
#include "ScanCommand.h"

using namespace neva::cli;

namespace {

bool writes_pdf(const CliOptions& o) {
    if (o.command != Command::Report && o.command != Command::History) return false;
    if (!o.format.empty()) return o.format == "pdf";
    return neva::records::report_format_of_path(o.output) == neva::records::ReportFormat::Pdf;
}

}  // namespace

int main(int argc, char** argv) {
    // No windows, no GTK: Qt's own event dispatcher costs less per wake-up than glib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
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
    // A PDF report lays out text, which needs Qt's fonts and so a GUI application;
    // a tool run from scripts has no display, and needs none.
    std::unique_ptr<QCoreApplication> app;
    if (writes_pdf(parsed.options)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Started from cron or a service there is no runtime folder, which the GUI
        // application notes on every run; nothing of the tool's work depends on it.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg && !text.contains(QLatin1String("XDG_RUNTIME_DIR")))
                std::cerr << "neva-cli: " << text.toStdString() << '\n';
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
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
        case Command::Report: return run_report(o, std::cout, std::cerr);
        case Command::History: return run_history(o, std::cout, std::cerr);
        case Command::None: break;
    }
    return kExitUsage;
}
