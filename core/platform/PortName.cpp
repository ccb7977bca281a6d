#include "platform/PortName.h"

namespace neva {

std::string port_device_name(int number, const Environment& env) {
    const std::string variable = "NEVA_COM" + std::to_string(number);
    if (auto device = env(variable.c_str()); device && !device->empty()) return *device;
    if (number < 1) return {};
#ifdef _WIN32
    return "COM" + std::to_string(number);
#else
    return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

}  // namespace neva
