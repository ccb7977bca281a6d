// neva-cli's argument parser with arbitrary arguments: the input split at zero
// bytes. Besides crashes it checks that a good command line names a command (or
// asks for help or the version), with the operands and options that command takes.

#include <string>
#include <vector>

#include "CliArguments.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace neva::cli;
    neva::fuzz::Input in(data, size);
    std::vector<std::string> args;
    while (!in.empty()) args.emplace_back(in.text());
    const ParseResult r = parse_arguments(args);
    for (const auto& a : args) parse_port(a);
    const CliOptions& o = r.options;
    help_text(o.command);
    if (!r.ok()) return 0;
    if (o.help || o.version) return 0;
    NEVA_FUZZ_CHECK(o.command != Command::None);
    const bool relay = o.command == Command::Read || o.command == Command::Write || o.command == Command::Events ||
                       o.command == Command::Metering;
    NEVA_FUZZ_CHECK(!relay || o.port.has_value());
    NEVA_FUZZ_CHECK(o.command != Command::Read || !o.output.empty());
    const std::size_t operands = o.command == Command::Diff ? 2 : o.command == Command::Show || o.command == Command::Write ? 1 : 0;
    NEVA_FUZZ_CHECK(o.operands.size() == operands);
    NEVA_FUZZ_CHECK(!o.port || !o.port->device.empty() || (o.port->number >= 1 && o.port->number <= 255));
    return 0;
}
