// `neva-cli ports` from a fixed list of ports, and the network addresses --port takes.

#include <gtest/gtest.h>

#include <sstream>

#include "CliArguments.h"
#include "PortsReport.h"

namespace neva::cli {
namespace {

TEST(Ports, ListedAsTextAndJson) {
    const std::vector<SerialPortInfo> ports{{"/dev/ttyUSB0", "ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI"},
                                            {"/dev/ttyS0", "ttyS0", "", "", ""}};
    std::ostringstream text, json, none;
    write_ports(ports, false, text);
    EXPECT_EQ(text.str(), "/dev/ttyUSB0\tFT232R USB UART\tFTDI\tA50285BI\n/dev/ttyS0\t\t\t\n");
    write_ports(ports, true, json);
    EXPECT_NE(json.str().find("\"device\": \"/dev/ttyUSB0\",\n      \"name\": \"ttyUSB0\",\n      \"description\": "
                              "\"FT232R USB UART\",\n      \"manufacturer\": \"FTDI\",\n      \"serial_number\": "
                              "\"A50285BI\""),
              std::string::npos)
        << json.str();
    write_ports({}, true, none);
    EXPECT_EQ(none.str(), "{\n  \"ports\": []\n}\n");

    auto r = parse_arguments({"metering", "--port", "mbtcp://10.0.0.5:1502", "--trace"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.port->target().text(), "mbtcp://10.0.0.5:1502");
    EXPECT_TRUE(r.options.trace);
    EXPECT_EQ(parse_arguments({"events", "--port", "/dev/ttyUSB0"}).options.port->target().device, "/dev/ttyUSB0");
    EXPECT_NE(parse_arguments({"events", "--port", "tcp://host:99999"}).error.find("invalid port"), std::string::npos);
    EXPECT_TRUE(parse_arguments({"ports", "--json"}).ok());
}

}  // namespace
}  // namespace neva::cli
