#pragma once
// Where a set of setpoints comes from, with what is known about it: a setpoint file
// (its header), the working setpoints (the texts the program holds), the relay as it
// was read (port, speed, address, read time) or a snapshot of the settings history.
// Reports print a source; the compare window and `neva-cli diff` compare two.

#include <optional>
#include <string>

#include "files/Registro_Archivo.h"
#include "image/RegisterImages.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "startup/SharedState.h"

namespace neva {

struct SetpointSource {
    enum class Kind { File, Working, Relay, Snapshot };
    Kind kind = Kind::Working;
    std::string name;  // the file's path, "Working setpoints", "Relay", "Snapshot 12"

    // Header texts without their blank padding.
    std::string programmer, relay_name, observations, firmware;
    std::string saved;  // a file's saved date, ISO 8601 ("2026-12-06T12:00:00"); "" for none

    // A relay read (also the snapshot of one): where and when.
    std::string port;   // "COM 1 (/dev/ttyUSB0)", "/dev/pts/4", "mbtcp://192.168.1.20:502"
    int baud = 0;       // 0: not known, or a network port
    int address = 0;    // 0: not a relay
    std::string read_time;  // ISO 8601 local time of the read
    std::string user;       // a snapshot: the computer user who took it

    SetpointImage setpoints{};

    bool from_relay() const { return address != 0; }
};

// "2024-05-01T10:20:30".
std::string iso_date_time(const DateTime& t);
// The same for a file's saved date (an OLE date); "" for none (0) or nonsense.
std::string iso_date_time(double ole_date);
// A fixed-width header text without its blank padding on either side.
std::string trimmed(const std::string& text);

// Reads a setpoint file through the program's own load (the same checks, the same
// refusal messages through `messages`) without taking it over: the program's
// images and texts stay as they are. nullopt when it was refused.
std::optional<Registro_Archivo> load_setpoint_file(const std::string& path, MessageService& messages);

// The line's speed, 0 over the network, where the speed is the device server's or
// the gateway's own and the program's setting means nothing.
int line_speed(const SharedState& state, const std::string& port);

SetpointSource file_source(const std::string& path, const Registro_Archivo& record);
// The edit image with the header texts the program holds now.
SetpointSource working_source(const SharedState& state, const RegisterImages& images);
// The stored image, which holds the relay's blocks as last read, with the line's
// settings; `port` says where the relay is.
SetpointSource relay_source(const SharedState& state, const RegisterImages& images, const std::string& port,
                            const DateTime& read_time);

}  // namespace neva
