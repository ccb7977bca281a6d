#include "startup/Arranque.h"

#include <charconv>

namespace neva {

namespace {

constexpr const char* kSeguimiento = " NEVA Setup starts without a connection.";

bool es_blanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string_view> campos(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && es_blanco(s[i])) ++i;
        std::size_t j = i;
        while (j < s.size() && !es_blanco(s[j])) ++j;
        if (j > i) out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

// A field is a number only when it is all decimal digits. The old rule took the
// leading digits of anything ("2x" as 2, "x" as 0), which turns a typing slip in the
// launcher into a connection to a different relay; we refuse instead.
enum class Numero { Ok, NoNumero, Grande };
Numero leer_numero(std::string_view s, std::int64_t& valor) {
    if (s.empty()) return Numero::NoNumero;
    for (char c : s)
        if (c < '0' || c > '9') return Numero::NoNumero;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), valor);
    if (ec == std::errc::result_out_of_range) return Numero::Grande;
    if (ec != std::errc() || p != s.data() + s.size()) return Numero::NoNumero;
    return Numero::Ok;
}

ResultadoLinea fallo(std::string texto) {
    ResultadoLinea r;
    r.error = std::move(texto) + kSeguimiento;
    return r;
}

std::string entre_comillas(std::string_view s) { return "\"" + std::string(s) + "\""; }

bool es_separador(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string Arranque::unir_argumentos(const std::vector<std::string>& args) {
    std::string out;
    for (const auto& a : args) {
        if (!out.empty()) out += ' ';
        out += a;
    }
    return out;
}

std::optional<ResultadoLinea> Arranque::interpretar(std::string_view linea) {
    auto partes = campos(linea);
    if (partes.empty()) return std::nullopt;

    if (partes.size() < 3)
        return fallo("The command line " + entre_comillas(linea) +
                     " has fewer than three fields. It must hold the serial settings, the port number and the "
                     "relay address, for example: 9600,N,8,1 2 1.");
    if (partes.size() > 3)
        return fallo("The command line " + entre_comillas(linea) +
                     " has more than three fields. It must hold only the serial settings, the port number and "
                     "the relay address, for example: 9600,N,8,1 2 1.");

    const std::string_view ajustes = partes[0];
    const auto coma = ajustes.find(',');
    if (coma == std::string_view::npos)
        return fallo("The serial settings " + entre_comillas(ajustes) +
                     " on the command line have no comma; write them as speed,parity,data bits,stop bits, "
                     "for example 9600,N,8,1.");

    LineaDeComandos l;
    std::int64_t v = 0;
    const std::string_view velocidad = ajustes.substr(0, coma);
    switch (leer_numero(velocidad, v)) {
        case Numero::NoNumero:
            return fallo("The speed " + entre_comillas(velocidad) + " on the command line is not a number.");
        case Numero::Grande:
            return fallo("The speed " + std::string(velocidad) + " on the command line is not a serial speed.");
        case Numero::Ok: break;
    }
    if (v < 1 || v > 4000000)
        return fallo("The speed " + std::string(velocidad) + " on the command line is not a serial speed.");
    // Only the speeds the connection dialog offers: the connect step takes its speed
    // from that list and would have nothing to connect with.
    bool ofrecida = false;
    for (int s : kVelocidades) ofrecida = ofrecida || v == s;
    if (!ofrecida)
        return fallo("The speed " + std::string(velocidad) +
                     " on the command line is not one of 1200, 2400, 4800, 9600, 19200, 38400, 57600.");
    l.velocidad = static_cast<std::int32_t>(v);

    switch (leer_numero(partes[1], v)) {
        case Numero::NoNumero:
            return fallo("The port number " + entre_comillas(partes[1]) + " on the command line is not a number.");
        case Numero::Grande: v = kPuertoMax + 1; break;
        case Numero::Ok: break;
    }
    if (v < kPuertoMin || v > kPuertoMax)
        return fallo("The port number " + std::string(partes[1]) + " on the command line is outside 1 to 8.");
    l.puerto = static_cast<std::int16_t>(v);

    switch (leer_numero(partes[2], v)) {
        case Numero::NoNumero:
            return fallo("The relay address " + entre_comillas(partes[2]) + " on the command line is not a number.");
        case Numero::Grande: v = kDireccionMax + 1; break;
        case Numero::Ok: break;
    }
    if (v < kDireccionMin || v > kDireccionMax)
        return fallo("The relay address " + std::string(partes[2]) + " on the command line is outside 1 to 247.");
    l.direccion = static_cast<std::uint8_t>(v);

    ResultadoLinea r;
    r.linea = l;
    return r;
}

std::string Arranque::version_programa() {
    return std::to_string(NEVA_VERSION_MAJOR) + "." + std::to_string(NEVA_VERSION_MINOR) + "." +
           std::to_string(NEVA_VERSION_PATCH);
}

std::string Arranque::sin_separador_final(std::string_view ruta) {
    std::string r(ruta);
    while (r.size() > 1 && es_separador(r.back())) {
        // "C:\" and "/" are roots: their separator is part of the name.
        if (r.size() == 3 && r[1] == ':') break;
        r.pop_back();
    }
    return r;
}

std::string Arranque::ruta_archivo_defecto(std::string_view ruta_programa) {
#ifdef _WIN32
    constexpr char kSeparador = '\\';
#else
    constexpr char kSeparador = '/';
#endif
    std::string r(ruta_programa);
    if (!r.empty() && !es_separador(r.back())) r += kSeparador;
    return r + "Default.NEVA2";
}

EsperaSplash::EsperaSplash(const Clock& clock, int duracion_ms)
    : clock_(clock), fin_ms_(clock.monotonic_ms() + duracion_ms) {}

bool EsperaSplash::terminada() const { return clock_.monotonic_ms() >= fin_ms_; }

std::int64_t EsperaSplash::restante_ms() const {
    auto r = fin_ms_ - clock_.monotonic_ms();
    return r > 0 ? r : 0;
}

}  // namespace neva
