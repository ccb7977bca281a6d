#pragma once
// The device of a port number of the program's numbering ("COM 1".."COM 8" in the
// connection dialog): the device named by the environment variable NEVA_COM<n> when
// it is set (NEVA_COM1=/dev/ttyUSB0, or a simulator's pseudo-terminal), otherwise the
// system's n-th serial port, /dev/ttyS<n-1> on Linux and COM<n> on Windows.

#include <string>

#include "platform/Environment.h"

namespace neva {

// Empty for n < 1 unless NEVA_COM<n> names a device.
std::string port_device_name(int number, const Environment& env = system_environment);

}  // namespace neva
