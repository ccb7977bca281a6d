#pragma once
// The ports the program can open, made on Qt: the serial port of the program's
// numbering wrapped in the switch that also reaches serial devices by path, serial
// device servers and Modbus TCP gateways; and the list of this computer's serial
// ports.

#include <memory>

#include "net/PortSwitch.h"
#include "platform/PortSource.h"

namespace neva {

class QtPorts {
public:
    // A port switch whose numbered port is a QtSerialPort, and which makes a
    // QtSerialPort for a device path and a QtNetworkPort for tcp:// and mbtcp://.
    static std::unique_ptr<PortSwitch> make_switch();
    static PortSwitch::Factory factory();
};

// The serial ports of this computer, from QSerialPortInfo.
class QtPortSource : public PortSource {
public:
    std::vector<SerialPortInfo> ports() const override;
};

}  // namespace neva
