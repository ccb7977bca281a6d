#include "compare/SetpointSource.h"

#include <cmath>
#include <cstdio>

#include "files/Manejo_de_Archivos.h"
#include "net/PortTarget.h"

namespace neva {

namespace {

// A clock for a load: a load reads the date but never the clock.
class NoClock : public Clock {
public:
    DateTime now() const override { return {}; }
    std::int64_t monotonic_ms() const override { return 0; }
    std::string short_date(int, int, int) const override { return {}; }
};

}  // namespace

std::string iso_date_time(const DateTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::string iso_date_time(double ole_date) {
    if (ole_date == 0.0 || !std::isfinite(ole_date) || std::fabs(ole_date) > 3.0e6) return {};
    return iso_date_time(from_ole_date(ole_date));
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<Registro_Archivo> load_setpoint_file(const std::string& path, MessageService& messages) {
    SharedState state;
    RegisterImages images;
    NoClock clock;
    Manejo_de_Archivos files(state, images, messages, clock);
    if (!files.Leer_Archivo(path).loaded) return std::nullopt;
    return files.record();
}

int line_speed(const SharedState& state, const std::string& port) {
    const auto target = PortTarget::parse(port);
    return target && target->is_network() ? 0 : state.Velocidad_Com;
}

SetpointSource file_source(const std::string& path, const Registro_Archivo& record) {
    SetpointSource s;
    s.kind = SetpointSource::Kind::File;
    s.name = path;
    s.programmer = trimmed(record.programmer.str());
    s.relay_name = trimmed(record.relay_name.str());
    s.observations = trimmed(record.observations.str());
    s.firmware = trimmed(record.version.str());
    s.saved = iso_date_time(record.date);
    s.setpoints = record.setpoints;
    return s;
}

SetpointSource working_source(const SharedState& state, const RegisterImages& images) {
    SetpointSource s;
    s.kind = SetpointSource::Kind::Working;
    s.name = "Working setpoints";
    s.programmer = trimmed(state.Programador.str());
    s.relay_name = trimmed(state.Nombre_Rele.str());
    s.observations = trimmed(state.Observaciones.str());
    s.firmware = trimmed(state.Version_Rele);
    s.setpoints = images.Imagen_Edicion;
    return s;
}

SetpointSource relay_source(const SharedState& state, const RegisterImages& images, const std::string& port,
                            const DateTime& read_time) {
    SetpointSource s = working_source(state, images);
    s.kind = SetpointSource::Kind::Relay;
    s.name = "Relay";
    s.port = port;
    s.baud = line_speed(state, port);
    s.address = state.Direccion_Rele;
    s.read_time = iso_date_time(read_time);
    s.setpoints = images.Imagen_Setpoints;
    return s;
}

}  // namespace neva
