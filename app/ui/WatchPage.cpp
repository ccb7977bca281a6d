#include "ui/WatchPage.h"

#include <QCloseEvent>
#include <QScreen>
#include <algorithm>

#include "ui/AppContext.h"
#include "ui/Principal.h"

namespace neva {

WatchPage::WatchPage(Principal& principal, int intervalo_ms)
    : QWidget(&principal, Qt::Dialog),
      principal_(principal),
      ctx_(principal.contexto()),
      timer1_(ctx_.timers().make_timer(intervalo_ms)) {
    setAttribute(Qt::WA_DeleteOnClose);
}

WatchPage::~WatchPage() {
    if (timer1_) {
        timer1_->set_enabled(false);
        timer1_->on_tick = nullptr;
    }
}

void WatchPage::ocupar_pantalla() {
    if (const QScreen* pantalla = principal_.screen())
        resize(pantalla->availableGeometry().width(), std::max(principal_.height() - 100, sizeHint().height()));
    principal_.habilitar(false);
}

bool WatchPage::sin_tick_pendiente() const { return !ctx_.state().En_Linea || !timer1_->enabled(); }

void WatchPage::pedir_cierre() {
    Cerrar_Pagina = true;
    if (sin_tick_pendiente()) {
        Cerrar_Pagina = false;
        descargar();
    }
}

void WatchPage::cerrar_si_pedido() {
    if (Cerrar_Pagina) {
        Cerrar_Pagina = false;
        descargar();
    }
}

void WatchPage::borrar_en_el_rele(const char* pregunta, const char* titulo, int accion) {
    auto& mensajes = ctx_.messages();
    if (ctx_.state().En_Linea) {
        const auto r = mensajes.message_box(pregunta, MsgButtons::YesNo, MsgIcon::Question, titulo);
        if (r == MsgAnswer::Yes) ctx_.link().Encolar_Proceso(0, accion);
    } else {
        mensajes.message_box("Enabled only on Communication Mode", MsgButtons::Ok, MsgIcon::Information, titulo);
    }
}

void WatchPage::soltar() {
    timer1_->set_enabled(false);
    principal_.habilitar(true);
    descargando_ = true;
}

void WatchPage::descargar() {
    soltar();
    close();
}

void WatchPage::closeEvent(QCloseEvent* e) {
    if (descargando_) {
        e->accept();
        return;
    }
    // The close box is OK: while polling, the page goes at the next tick.
    Cerrar_Pagina = true;
    if (sin_tick_pendiente()) {
        Cerrar_Pagina = false;
        soltar();
        e->accept();
        return;
    }
    e->ignore();
}

}  // namespace neva
