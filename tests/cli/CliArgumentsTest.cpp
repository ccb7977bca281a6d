// The command line as scripts write it: options before or after the operands, both
// value spellings, and every mistake a usage error naming what was wrong.

#include <gtest/gtest.h>

#include "CliArguments.h"

namespace neva::cli {
namespace {

ParseResult parse(std::vector<std::string> args) { return parse_arguments(args); }

TEST(CliArgumentsTest, CommandsTakeTheirOperandsAndOptionsInAnyOrder) {
    auto r = parse({"write", "relay.NEVA2", "--port", "3", "--address=12", "-b", "19200"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, Command::Write);
    EXPECT_EQ(r.options.operands, std::vector<std::string>{"relay.NEVA2"});
    ASSERT_TRUE(r.options.port);
    EXPECT_EQ(r.options.port->number, 3);
    EXPECT_EQ(r.options.address, 12);
    EXPECT_EQ(r.options.baud, 19200);

    // Defaults: 9600 baud, address 1; a device path; -oFILE and "--" before a name
    // that looks like an option.
    r = parse({"read", "--port=/dev/ttyUSB0", "-o/tmp/x.NEVA2", "--relay-name", "Feeder 7"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.port->device, "/dev/ttyUSB0");
    EXPECT_EQ(r.options.baud, 9600);
    EXPECT_EQ(r.options.address, 1);
    EXPECT_EQ(r.options.output, "/tmp/x.NEVA2");
    EXPECT_EQ(r.options.relay_name, "Feeder 7");

    r = parse({"diff", "--", "-odd.NEVA2", "b.NEVA2"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.operands, (std::vector<std::string>{"-odd.NEVA2", "b.NEVA2"}));
}

TEST(CliArgumentsTest, HelpNeedsNothingElse) {
    // A command's --help is enough even without its operands and --port.
    auto r = parse({"write", "--help"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.options.help);
    EXPECT_EQ(r.options.command, Command::Write);

    r = parse({"help", "metering"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, Command::Metering);
    EXPECT_NE(help_text(Command::Metering).find("Usage: neva-cli metering"), std::string::npos);
    for (Command c : {Command::None, Command::Show, Command::Diff, Command::Read, Command::Write, Command::Events})
        EXPECT_NE(help_text(c).find("Exit status"), std::string::npos) << command_name(c);
}

TEST(CliArgumentsTest, MistakesAreUsageErrorsThatSayWhat) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"show"}, "needs a setpoint file"},
        {{"show", "a", "b"}, "unexpected argument 'b'"},
        {{"diff", "a"}, "needs two setpoint files"},
        {{"show", "--port", "1", "a"}, "'show' has no option '--port'"},
        {{"read", "--json", "--port", "1", "-o", "x"}, "'read' has no option '--json'"},
        {{"read", "--port", "1"}, "needs -o FILE"},
        {{"events"}, "needs --port"},
        {{"events", "--port"}, "--port needs a value"},
        {{"events", "--port", "0"}, "invalid port '0'"},
        {{"events", "--port", "256"}, "invalid port '256'"},
        {{"events", "--port", "1", "--address", "0"}, "1..247"},
        {{"events", "--port", "1", "--address", "248"}, "1..247"},
        {{"events", "--port", "1", "--address", "1x"}, "invalid relay address '1x'"},
        {{"events", "--port", "1", "--baud", "fast"}, "invalid baud rate 'fast'"},
        {{"events", "--port", "1", "--timeout", "0"}, "invalid time-out"},
        {{"events", "--port", "1", "--json=yes"}, "takes no value"},
        {{"--port", "1", "events"}, "before the command"},
        {{"metering", "--port", "1", "--count", "3"}, "go with --watch"},
        {{"metering", "--port", "1", "--watch", "--json"}, "use --csv instead"},
        {{"metering", "--port", "1", "--watch", "--interval", "0.1"}, "0.2..3600"},
        {{"metering", "--port", "1", "--watch", "--count", "0"}, "invalid count '0'"},
        {{"report", "f.NEVA2", "--port", "1", "-o", "r.pdf"}, "not both"},
        {{"report", "f.NEVA2", "-o", "r.txt"}, "needs --format pdf|html|csv"},
        {{"history", "diff", "1"}, "needs two snapshot numbers"},
        {{"scan", "--port", "1", "--addresses", "30-1"}, "invalid address range '30-1'"},
        {{"scan", "--port", "1", "--speeds", "9600,"}, "invalid speed list"},
    };
    for (const Case& c : cases) {
        const auto r = parse(c.args);
        EXPECT_FALSE(r.ok()) << c.says;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << "got: " << r.error;
    }
}

TEST(CliArgumentsTest, PortIsANumberOfTheProgramsNumberingOrADevicePath) {
    EXPECT_EQ(parse_port("255")->describe(), "COM 255");
    EXPECT_EQ(parse_port("/dev/pts/3")->describe(), "/dev/pts/3");
    EXPECT_EQ(parse_port("COM3")->device, "COM3");
}

}  // namespace
}  // namespace neva::cli
