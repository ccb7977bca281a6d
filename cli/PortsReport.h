#pragma once
// `neva-cli ports`: the serial ports of this computer, as text (one line per port,
// tab-separated: device, description, manufacturer, serial number) or JSON.

#include <ostream>
#include <vector>

#include "platform/PortSource.h"

namespace neva::cli {

// {"ports": [{"device", "name", "description", "manufacturer", "serial_number"}]}
void write_ports(const std::vector<SerialPortInfo>& ports, bool json, std::ostream& out);

}  // namespace neva::cli
