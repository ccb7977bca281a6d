#include "platform/PortSource.h"

namespace neva {

std::string port_label(const SerialPortInfo& p) {
    std::string label = p.system_location.empty() ? p.name : p.system_location;
    std::string extra;
    auto add = [&extra](const std::string& prefix, const std::string& text) {
        if (text.empty()) return;
        if (!extra.empty()) extra += ", ";
        extra += prefix + text;
    };
    add("", p.manufacturer);
    add("serial ", p.serial_number);
    if (!p.description.empty()) label += " - " + p.description;
    if (!extra.empty()) label += " (" + extra + ")";
    return label;
}

}  // namespace neva
