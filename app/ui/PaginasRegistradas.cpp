#include "ui/PaginasRegistradas.h"

#include "ui/AVPAGE1.h"
#include "ui/AVPAGE2.h"
#include "ui/AVPAGE4.h"
#include "ui/AVPAGE5.h"
#include "ui/DateTimeConfig.h"
#include "ui/Principal.h"
#include "ui/RecordsMenus.h"
#include "ui/SetpointPages.h"
#include "ui/TrendWindow.h"

namespace neva {

void PaginasRegistradas::registrar(Principal& principal) {
    // One line per page, for example:
    //   principal.registrar_pagina(Pagina::SETPAGE2, {[](Principal& p) { return new SETPAGE2(p); }, {}});
    // Until a page is registered its menu entry opens nothing.
    register_setpoint_pages(principal);
    principal.registrar_pagina(Pagina::AVPAGE1, {[](Principal& p) -> QWidget* { return new AVPAGE1(p); },
                                                 [](QWidget* w) { static_cast<AVPAGE1*>(w)->Actualiza_Valores(); }});
    principal.registrar_pagina(Pagina::AVPAGE2, {[](Principal& p) -> QWidget* { return new AVPAGE2(p); },
                                                 [](QWidget* w) { static_cast<AVPAGE2*>(w)->Actualiza_Valores(); }});
    principal.registrar_pagina(Pagina::AVPAGE5, {[](Principal& p) -> QWidget* { return new AVPAGE5(p); },
                                                 [](QWidget* w) { static_cast<AVPAGE5*>(w)->Actualiza_Valores(); }});
    principal.registrar_pagina(Pagina::AVPAGE4, {[](Principal& p) -> QWidget* { return new AVPAGE4(p); },
                                                 [](QWidget* w) { static_cast<AVPAGE4*>(w)->Actualiza_Valores(); }});
    principal.registrar_pagina(Pagina::DateTimeConfig,
                               {[](Principal& p) -> QWidget* { return new DateTimeConfig(p); }, {}});
    // File > Export Report..., Compare Settings..., Settings History...
    if (!RecordsMenus::of(principal)) new RecordsMenus(principal);
    // The current trend is a window of its own beside the pages, not one of them.
    TrendWindow::install(principal);
}

}  // namespace neva
