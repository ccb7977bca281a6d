#include "PortsReport.h"

#include "JsonWriter.h"

namespace neva::cli {

void write_ports(const std::vector<SerialPortInfo>& ports, bool json, std::ostream& out) {
    if (!json) {
        for (const auto& p : ports)
            out << p.system_location << '\t' << p.description << '\t' << p.manufacturer << '\t' << p.serial_number
                << '\n';
        return;
    }
    JsonWriter w(out);
    w.begin_object();
    w.key("ports");
    w.begin_array();
    for (const auto& p : ports) {
        w.begin_object();
        w.key("device");
        w.value(p.system_location);
        w.key("name");
        w.value(p.name);
        w.key("description");
        w.value(p.description);
        w.key("manufacturer");
        w.value(p.manufacturer);
        w.key("serial_number");
        w.value(p.serial_number);
        w.end_object();
    }
    w.end_array();
    w.end_object();
    w.finish();
}

}  // namespace neva::cli
