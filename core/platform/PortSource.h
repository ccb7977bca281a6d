#pragma once
// The serial ports this computer has (USB adapters, built-in ports), as the system
// lists them. Qt's serial port information in the program; a fixed list in tests.

#include <string>
#include <vector>

namespace neva {

struct SerialPortInfo {
    std::string system_location;  // "/dev/ttyUSB0", "COM5": what the port is opened by
    std::string name;             // "ttyUSB0"
    std::string description;      // "FT232R USB UART"
    std::string manufacturer;     // "FTDI"
    std::string serial_number;    // "A50285BI"
};

class PortSource {
public:
    virtual ~PortSource() = default;
    // In the system's order; empty when there are none.
    virtual std::vector<SerialPortInfo> ports() const = 0;
};

// "/dev/ttyUSB0 - FT232R USB UART (FTDI, serial A50285BI)": the location, then what
// the system knows of the port, as the connection list and `neva-cli ports` show it.
std::string port_label(const SerialPortInfo& port);

}  // namespace neva
