#include "ui/SetpointPages.h"

#include "ui/Principal.h"
#include "ui/SETPAGE2.h"
#include "ui/SETPAGE3.h"
#include "ui/SETPAGE4.h"
#include "ui/SETPAGE6.h"
#include "ui/SETPAGE9.h"

namespace neva {

namespace {

template <class Page>
RegistroPagina registro() {
    RegistroPagina r;
    r.crear = [](Principal& w) -> QWidget* {
        Principal* main = &w;
        auto* page = new Page(
            w.contexto(), [main](bool on) { main->habilitar(on); }, &w);
        page->Form_Load();
        return page;
    };
    r.refrescar = [](QWidget* page) { static_cast<SetpointPage*>(page)->Actualiza_Valores_de_Pantalla(); };
    return r;
}

}  // namespace

void register_setpoint_pages(Principal& principal) {
    principal.registrar_pagina(Pagina::SETPAGE2, registro<SETPAGE2>());
    principal.registrar_pagina(Pagina::SETPAGE6, registro<SETPAGE6>());
    principal.registrar_pagina(Pagina::SETPAGE3, registro<SETPAGE3>());
    principal.registrar_pagina(Pagina::SETPAGE4, registro<SETPAGE4>());
    principal.registrar_pagina(Pagina::SETPAGE9, registro<SETPAGE9>());
}

}  // namespace neva
