#include "adapters/QtPorts.h"

#include <QSerialPortInfo>

#include "adapters/QtNetworkPort.h"
#include "adapters/QtSerialPort.h"

namespace neva {

PortSwitch::Factory QtPorts::factory() {
    return [](const PortTarget& t) -> std::unique_ptr<SerialPort> {
        switch (t.kind) {
            case PortTarget::Kind::Device: {
                auto port = std::make_unique<QtSerialPort>();
                port->set_device(QString::fromStdString(t.device));
                return port;
            }
            case PortTarget::Kind::Tcp:
            case PortTarget::Kind::ModbusTcp: return std::make_unique<QtNetworkPort>(t);
            case PortTarget::Kind::Numbered: break;
        }
        return nullptr;
    };
}

std::unique_ptr<PortSwitch> QtPorts::make_switch() {
    return std::make_unique<PortSwitch>(std::make_unique<QtSerialPort>(), factory());
}

std::vector<SerialPortInfo> QtPortSource::ports() const {
    std::vector<SerialPortInfo> out;
    for (const QSerialPortInfo& i : QSerialPortInfo::availablePorts()) {
        SerialPortInfo p;
        p.system_location = i.systemLocation().toStdString();
        p.name = i.portName().toStdString();
        p.description = i.description().toStdString();
        p.manufacturer = i.manufacturer().toStdString();
        p.serial_number = i.serialNumber().toStdString();
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace neva
