#pragma once
// The one place where the setpoint pages, the actual value pages and the date and
// time page are made known to the main window. Each page adds one line to
// registrar(); the menus then open it.

namespace neva {

class Principal;

class PaginasRegistradas {
public:
    static void registrar(Principal& principal);
};

}  // namespace neva
