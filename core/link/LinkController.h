#pragma once
// The main window's half of the link engine: it owns the serial port's events, the
// link's timers (Timer1, Timer_Comunicacion, TmrRetardoCom, Timer2, TWatchDog), the
// request queues and the link instance, and turns port events and timer ticks into
// the steps of a transaction. `Principal` (Qt) owns one of these; the command-line
// tool and the tests own one too. No Qt here.

#include <functional>
#include <map>
#include <memory>

#include "image/RegisterImages.h"
#include "link/NEVA200.h"
#include "link/Proceso_Comunicacion.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "startup/SharedState.h"

namespace neva {

class LinkController {
public:
    LinkController(SharedState& state, RegisterImages& images, SerialPort& port, TimerFactory& timers,
                   MessageService& messages, Clock& clock);
    ~LinkController();
    LinkController(const LinkController&) = delete;
    LinkController& operator=(const LinkController&) = delete;

    NEVA200& NEVA() { return *neva_; }                 // the link instance (index 1)
    Proceso_Comunicacion& Colas() { return *colas_; }  // the request queues
    SerialPort& MSComm1() { return port_; }
    Timer& Timer1() { return *timer1_; }                          // 1000 ms, response time-out
    Timer& Timer_Comunicacion() { return *timer_comunicacion_; }  // 1000 ms, time-out check while online
    Timer& TmrRetardoCom() { return *tmr_retardo_; }              // 10 ms settling delay
    Timer& Timer2() { return *timer2_; }                          // 500 ms status display; on_tick set by the window
    Timer& TWatchDog() { return *watchdog_; }                     // 1000 ms, never enabled

    // Queue work for the main window's link.
    void Encolar_Proceso(int canal, int accion);
    void Despachar_Proceso();
    void Iniciar_Colas();
    void ResetTiempo();

    // The connect sequence of the connection dialog's ON on a direct line: sets the
    // link's port, speed and address, resets the queues with one cyclic request, opens
    // the port (action 1) and queues 60, 61, 62, the cyclic 2, then 4, 5, 6, 30, and
    // dispatches. Returns false (everything dropped) when the port cannot be opened.
    bool Conectar(int puerto, int velocidad, int direccion);
    // The link part of OFF: stop dispatching, go offline, and put one 0x00 byte on an
    // open line. (Reloading the default file is the dialog's.)
    void Desconectar();

    // Handlers, public so that the Qt layer and tests can see them run.
    void MSComm1_OnComm(SerialPort::Event event);
    void TmrRetardoCom_Timer();
    void Tiempo_Agotado();  // Timer1 and Timer_Comunicacion
    void NEVA_ComunicacionFinalizada(bool ok);
    void NEVA_Finalizado(bool& ok);
    void NEVA_ErrorCommActivado();
    void Puerto_Perdido();  // the device disappeared

    // The link part of the main window's Timer2 tick (status display): offline it
    // disables Timer2 and returns false; communicating it enables Timer_Comunicacion
    // and returns true. The window then refreshes its display.
    bool status_tick();

    // Steps 5 to 8 of Send (after the file was loaded and the address asked): stops the
    // status and time-out timers, resets the queues, sets the link to Puerto_Com,
    // Velocidad_Com and `direccion`, marks Enviando_Archivo, opens the port (action 1)
    // and, when it opened, writes setpoint block 1 (action 27) with Reintentos_Envio 0.
    // Returns whether the port opened. Completion and "Error sending File to Relay"
    // come through the completion and time-out handlers.
    bool start_file_send(int direccion);

    // Print events: while communicating queues 30, then 31..40 each followed by 90, on
    // channel 0, sets Imprimiendo, and raises ReadyEvents (on_ready_events) once the
    // last of those has been answered. Returns false (Imprimiendo left clear) when
    // offline or when the queue could not take the reads. A print that can no longer
    // complete (OFF, a communication error, a new connection) clears Imprimiendo.
    bool Imprimir_Eventos();

    // Hooks for the window. on_offline runs once Desconectar() has run on a
    // communication error, before " Communication Error..." is shown: the window stops
    // showing the relay as live while the user reads the box. on_disconnect runs after
    // the box (also when the port is lost): the rest of the connection dialog's OFF
    // (reload the default file, status texts). on_ready_events runs when the link
    // raises ReadyEvents.
    std::function<void()> on_offline;
    std::function<void()> on_disconnect;
    std::function<void()> on_ready_events;

    // Observers of every finished exchange, with its action and outcome, once the
    // answer has been stored and before the next request goes out: the settings
    // history and the windows that wait for a read of the relay listen here. An
    // observer may remove itself while it runs.
    using ExchangeObserver = std::function<void(int accion, bool ok)>;
    int watch_exchanges(ExchangeObserver observer);
    void unwatch_exchanges(int id);

private:
    SharedState& state_;
    RegisterImages& images_;
    SerialPort& port_;
    MessageService& messages_;
    Clock& clock_;
    std::unique_ptr<NEVA200> neva_;
    std::unique_ptr<Proceso_Comunicacion> colas_;
    std::unique_ptr<Timer> timer1_, timer_comunicacion_, tmr_retardo_, timer2_, watchdog_;

    bool link_active() const;
    // True while an answer is parsed or a time-out handled: a tick arriving meanwhile
    // (a message box runs its own event loop) must not give up the request in hand.
    bool handling_ = false;
    std::map<int, ExchangeObserver> observers_;
    int next_observer_ = 1;
    void notify_exchange(int accion, bool ok);
    // Slot of channel 0 whose answer completes a print of the event record, or -1.
    int print_slot_ = -1;
    // A print of the event record that can no longer complete is given up: the pages
    // must read and poll again instead of behaving as if loaded for a print.
    void abandon_event_print();
};

}  // namespace neva
