#pragma once
// `Main` of the start-up, on Qt: prepares the shared state, reads the command line,
// shows the splash in a normal start or starts the link at once in an external
// start, and hands back the main window, shown. The program's entry point and the
// start-up tests both run this.

#include <memory>
#include <string>

namespace neva {

class AppContext;
class Principal;

struct OpcionesInicio {
    bool mostrar_splash = true;  // tests of the start-up leave it out
    std::string ruta_programa;   // the program's directory; empty = the executable's own
};

class Inicio {
public:
    // `linea` is the command line (the program's arguments joined by blanks).
    static std::unique_ptr<Principal> Main(AppContext& ctx, const std::string& linea,
                                           const OpcionesInicio& opciones = {});
};

}  // namespace neva
