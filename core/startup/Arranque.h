#pragma once
// The start-up decisions that need no window: reading the command line another
// program starts us with, the path of the default setpoint file, and the splash
// wait. `Main` itself lives in the Qt program (app/main.cpp).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace neva {

// The settings of an external start: "9600,N,8,1 2 1" = 9600 baud, COM2, address 1.
struct LineaDeComandos {
    std::int32_t velocidad = 0;
    std::int16_t puerto = 0;
    std::uint8_t direccion = 0;
};

// Outcome of reading the command line: either settings, or the text of the message
// that names what is wrong with the line (the program then starts normally).
struct ResultadoLinea {
    std::optional<LineaDeComandos> linea;
    std::string error;
};

class Arranque {
public:
    static constexpr int kPuertoMin = 1, kPuertoMax = 8;
    static constexpr int kDireccionMin = 1, kDireccionMax = 247;
    static constexpr int kEsperaSplashMs = 3000;
    // The speeds the connection dialog offers.
    static constexpr int kVelocidades[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600};

    // The command line as one text: the program's arguments joined by single blanks.
    static std::string unir_argumentos(const std::vector<std::string>& args);

    // Reads "<speed>[,parity,data,stop] <port> <address>". An empty (or all blank)
    // line is not an external start: nullopt. Anything else either gives settings
    // or an error text.
    // Fields are separated by runs of blanks, on purpose: a launcher that pads its
    // fields or passes an empty argument ("9600,N,8,1  2 1") still means port 2 and
    // address 1, and reading the second blank as an empty port field would connect
    // to a different relay. Three fields are still exactly three.
    static std::optional<ResultadoLinea> interpretar(std::string_view linea);

    // The program's own version, "major.minor.revision" from the build (2.0.2).
    static std::string version_programa();

    // Ruta_Programa + separator + "Default.NEVA2", without a doubled separator when
    // the program lives at a drive or file-system root.
    static std::string ruta_archivo_defecto(std::string_view ruta_programa);
    // A directory path without its trailing separator, but a root keeps its own.
    static std::string sin_separador_final(std::string_view ruta);
};

// The splash stays up about three seconds. Measured on the monotonic clock, so a
// start at 23:59:58 ends two seconds after midnight instead of waiting for a time of
// day that has already wrapped to zero.
class EsperaSplash {
public:
    explicit EsperaSplash(const Clock& clock, int duracion_ms = Arranque::kEsperaSplashMs);
    bool terminada() const;
    std::int64_t restante_ms() const;

private:
    const Clock& clock_;
    std::int64_t fin_ms_;
};

}  // namespace neva
