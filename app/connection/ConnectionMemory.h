#pragma once
// The last connection the user made (port or network address, speed, relay address),
// kept between runs in the user's configuration folder, so that the connection
// dialog offers it again. Nothing is applied until the user presses OK or ON.

#include <optional>
#include <string>

namespace neva {

struct ConnectionChoice {
    std::string port;  // PortTarget::text(): "COM 3", "/dev/ttyUSB0", "tcp://10.0.0.5:4001"
    int speed = 9600;
    int address = 1;
};

class ConnectionMemory {
public:
    // The file: <XDG configuration folder>/neva-setup/connection.ini.
    static std::string path();
    static std::optional<ConnectionChoice> load();
    static void save(const ConnectionChoice& choice);
};

}  // namespace neva
