#pragma once
// Where the relay link's bytes go: one of the program's numbered ports ("COM 3",
// the device NEVA_COM<n> names), a serial device by its path, or a TCP connection,
// either to a serial device server that passes the RTU bytes through unchanged
// (tcp://HOST:PORT) or to a Modbus TCP gateway (mbtcp://HOST:PORT). The link engine
// never sees this: it is chosen in the connection dialog or on the command line and
// handed to the port before the link opens it.

#include <optional>
#include <string>
#include <string_view>

namespace neva {

struct PortTarget {
    enum class Kind { Numbered, Device, Tcp, ModbusTcp };

    Kind kind = Kind::Numbered;
    int number = 1;        // Numbered
    std::string device;    // Device: "/dev/ttyUSB0", "COM12"
    std::string host;      // Tcp, ModbusTcp: a name, an IPv4 address or an IPv6 address
    int tcp_port = 0;      // Tcp, ModbusTcp: 1..65535

    static PortTarget numbered(int n);
    static PortTarget serial_device(std::string path);
    static PortTarget network(Kind kind, std::string host, int tcp_port);

    bool is_network() const { return kind == Kind::Tcp || kind == Kind::ModbusTcp; }
    // "COM 3", "/dev/ttyUSB0", "tcp://10.0.0.5:4001", "mbtcp://[fe80::1]:502".
    std::string text() const;
    // "10.0.0.5:4001" (networks only).
    std::string endpoint() const;

    // Reads what text() writes; also "tcp://HOST" and "mbtcp://HOST" with the usual
    // ports (4001 for a serial device server, 502 for Modbus TCP). nullopt for an
    // empty text, a bad number, a host with blanks or a port outside 1..65535.
    // A text that is neither a number, "COM n", nor a network address is a device path.
    static std::optional<PortTarget> parse(std::string_view text);
    // The host part of a network address is acceptable (not empty, no blanks or
    // slashes, brackets only around an IPv6 address).
    static bool valid_host(std::string_view host);

    static constexpr int kDefaultServerPort = 4001;
    static constexpr int kDefaultModbusTcpPort = 502;

    bool operator==(const PortTarget& other) const;
    bool operator!=(const PortTarget& other) const { return !(*this == other); }
};

}  // namespace neva
