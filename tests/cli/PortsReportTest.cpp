// `neva-cli ports` from a fixed list of ports, and a network address --port refuses.

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
    // A network address the tool cannot use is a usage error naming it.
    EXPECT_NE(parse_arguments({"events", "--port", "tcp://host:99999"}).error.find("invalid port"), std::string::npos);
}

}  // namespace
}  // namespace neva::cli
