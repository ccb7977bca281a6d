#include "startup/ProgramHelp.h"

#include <iterator>

#include "startup/Arranque.h"
#include "startup/ProgramFolders.h"

namespace neva {

std::optional<std::string> ProgramHelp::information_request(const std::vector<std::string>& args) {
    if (args.size() != 1) return std::nullopt;
    if (args[0] == "--help" || args[0] == "-h") return help_text();
    if (args[0] == "--version") return version_text();
    return std::nullopt;
}

std::string ProgramHelp::version_text() { return "neva-setup " + Arranque::version_programa() + "\n"; }

std::string ProgramHelp::help_text() {
    std::string speeds;
    const std::size_t count = std::size(Arranque::kVelocidades);
    for (std::size_t i = 0; i < count; ++i)
        speeds += (i == 0 ? "" : i + 1 == count ? " or " : ", ") + std::to_string(Arranque::kVelocidades[i]);
#ifdef _WIN32
    const std::string port_default = "COM<n>";
    const std::string config = "%APPDATA%\\NEVA Setup\\AT";
#else
    const std::string port_default = "/dev/ttyS<n-1>";
    const std::string config = "$XDG_CONFIG_HOME/neva-setup/AT (~/.config/neva-setup/AT)";
#endif
    return "Usage: neva-setup [\"SPEED,PARITY,DATA,STOP PORT ADDRESS\"]\n"
           "\n"
           "Configures and watches one NEVA200 feeder protection relay over a serial line.\n"
           "\n"
           "Started without arguments, NEVA Setup shows its splash window and then the main\n"
           "window, offline, with the factory setpoints loaded. Connect with Setup >\n"
           "Communication (F5) and ON.\n"
           "\n"
           "Started by another program with the line settings, the port number and the relay\n"
           "address, it connects at once and hides its Setup and About menus. The speed is\n"
           "the part before the first comma: " + speeds + ".\n"
           "The port is 1 to " + std::to_string(Arranque::kPuertoMax) + " and the address 1 to " +
           std::to_string(Arranque::kDireccionMax) + ". A line that cannot be read is named\n"
           "in a message and the program starts without a connection. Example:\n"
           "\n"
           "  neva-setup \"9600,N,8,1 2 1\"    9600 baud, COM 2, relay address 1\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this text and exit\n"
           "  --version      print the version and exit\n"
           "\n"
           "Environment:\n"
           "  NEVA_COM<n>    the device of port n (for example NEVA_COM1=/dev/ttyUSB0);\n"
           "                 without it, port n is " + port_default + "\n"
           "\n"
           "Files:\n"
           "  Default.NEVA2  the factory setpoints, loaded at start and by File > New:\n"
           "                 beside the program, else in its installed data folder\n"
           "                 (" + ProgramFolders::installed_data_relative() + " from the program's folder)\n"
           "  AT             the personal modem initialisation string, kept in\n"
           "                 " + config + "\n";
}

}  // namespace neva
