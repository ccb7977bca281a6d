#pragma once
// What the pages that watch the relay with a polling timer share (the actual value
// pages, the event record, the date and time): the window over the main window, the
// timer, and the way the page goes. OK and the close box never unload the page between
// queueing a poll and the refresh after it: while the timer runs, OK only sets
// Cerrar_Pagina and the next tick closes the page; with nothing in flight (offline, or
// a page loaded for a print that does not poll) it closes at once. Whichever way it
// goes, the timer stops and the main window is enabled again.

#include <QWidget>
#include <memory>

class QCloseEvent;

namespace neva {

class AppContext;
class Principal;
class Timer;

class WatchPage : public QWidget {
    Q_OBJECT
public:
    ~WatchPage() override;

    Timer& Timer1() { return *timer1_; }
    // Set when OK comes while a poll may be in flight; the next tick closes the page.
    bool Cerrar_Pagina = false;

protected:
    // The page unloads when closed; the main window makes a fresh one next time. The
    // timer is made stopped; each page sets its tick and starts it at load.
    WatchPage(Principal& principal, int intervalo_ms);

    // As wide as the screen and at least as tall as the page needs, with the main
    // window disabled while the page is open.
    void ocupar_pantalla();
    // OK: closes now when no tick is coming, otherwise asks the next tick to.
    void pedir_cierre();
    // End of a tick: closes the page if OK asked for it.
    void cerrar_si_pedido();
    // A Clear button: communicating, asks the question and on Yes queues the relay
    // action on the one-off channel, before the next poll; offline it only tells that
    // clearing needs the relay.
    void borrar_en_el_rele(const char* pregunta, const char* titulo, int accion);

    void closeEvent(QCloseEvent* e) override;

    Principal& principal_;
    AppContext& ctx_;
    std::unique_ptr<Timer> timer1_;

private:
    // Offline nothing is in flight for the page; a page whose timer is stopped has no
    // tick coming to close it.
    bool sin_tick_pendiente() const;
    // Stops the timer and gives the main window back; the page may then go.
    void soltar();
    void descargar();

    bool descargando_ = false;
};

}  // namespace neva
