#pragma once
// The main window's half of the link engine: it owns the serial port's events, the
// link's timers (Timer1, Timer_Comunicacion, TmrRetardoCom, Timer2, TWatchDog), the
// request queues and the link instance, and turns port events and timer ticks into
// the steps of a transaction. `Principal` (Qt) owns one of these; the command-line
// tool and the tests own one too. No Qt here.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "image/RegisterImages.h"
#include "link/LinkFault.h"
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
    // 500 ms after a request was given up: the line is left alone so that a late
    // answer to it arrives before the next request goes out, and is thrown away.
    Timer& QuietTimer() { return *quiet_timer_; }

    // No valid answer for this long while requests go out ends the link as a relay
    // that stopped answering does, even when every exchange got some answer.
    static constexpr std::int64_t kNoValidAnswerMs = 10000;
    // Why the link last gave up (data for the messages of the window and the
    // command-line tool); None until it has.
    const LinkFault& failure() const { return failure_; }

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
    // and, when it opened, sends both setpoint blocks of the edit image as one group:
    // each written, confirmed and read back before the next. Returns whether the port
    // opened. The end ("Setpoints were Saved to the Relay memory", or "Error sending
    // File to Relay" with what the relay now holds) closes the port and clears
    // Enviando_Archivo.
    bool start_file_send(int direccion);
    // While communicating: sends the edit image's setpoint blocks as one group (as a
    // file send does) and dispatches. False when not communicating.
    bool send_setpoints(const std::vector<int>& blocks);

    // Print events: while communicating queues 30, then 31..40 each followed by 90, on
    // channel 0, sets Imprimiendo, and raises ReadyEvents (on_ready_events) once the
    // last of those has been answered. Returns false (Imprimiendo left clear) when
    // offline or when the queue could not take the reads. A print that can no longer
    // complete (OFF, a communication error, a new connection) clears Imprimiendo.
    bool Imprimir_Eventos();

    // Reads the event record afresh while communicating, so that a file saved now
    // holds the record as the relay has it: the head, then events 1..20, each selected
    // and read, on channel 0. on_progress(answered, total) follows every answer of
    // those; on_done(true) comes once the last is in, on_done(false) when the link
    // stops or starts anew first. False (nothing queued, no call) when not
    // communicating or while another such read is under way.
    bool Leer_Registro_Eventos(std::function<void(int answered, int total)> on_progress,
                               std::function<void(bool ok)> on_done);

    // Hooks for the window. on_offline runs once Desconectar() has run on a
    // communication error, before " Communication Error..." is shown: the window stops
    // showing the relay as live while the user reads the box. on_disconnect runs after
    // the box (also when the port is lost): the rest of the connection dialog's OFF
    // (reload the default file, status texts). on_ready_events runs when the link
    // raises ReadyEvents.
    std::function<void()> on_offline;
    std::function<void()> on_disconnect;
    std::function<void()> on_ready_events;

    // Observers of every exchange that ended with an answer: the action and whether
    // the answer was good, after the request has been marked done or pending again
    // and before the next one is dispatched. The trend takes its samples here, the
    // settings history its snapshots.
    int add_answer_listener(std::function<void(int accion, bool ok)> listener);
    void remove_answer_listener(int id);

private:
    SharedState& state_;
    SerialPort& port_;
    MessageService& messages_;
    Clock& clock_;
    std::unique_ptr<NEVA200> neva_;
    std::unique_ptr<Proceso_Comunicacion> colas_;
    std::unique_ptr<Timer> timer1_, timer_comunicacion_, tmr_retardo_, timer2_, watchdog_, quiet_timer_;
    // Since when every exchange has failed, and the most telling cause seen meanwhile.
    std::optional<std::int64_t> failing_since_;
    LinkFault cause_;
    LinkFault failure_;

    bool link_active() const;
    void give_up_request();
    void quiet_over();
    void repeat_failed_first(bool timed_out);
    // Counts a failed exchange towards the no-valid-answer limit; true when the limit
    // was reached and the link has been ended.
    bool note_failure(const LinkFault& fault);
    void group_ended(bool all_verified);
    // Ends the link: " Communication Error..." with the cause, OFF, and the report of
    // a write cut short; a file send ends in its own report instead.
    void link_failed(const LinkFault& cause);
    // The line as the user chose it: "COM 1 (/dev/ttyS0), 9600 baud, relay address 1".
    std::string line_text() const;
    // True while an answer is parsed or a time-out handled: a tick arriving meanwhile
    // (a message box runs its own event loop) must not give up the request in hand.
    bool handling_ = false;
    // Slot of channel 0 whose answer completes a print of the event record, or -1.
    int print_slot_ = -1;
    // A print of the event record that can no longer complete is given up: the pages
    // must read and poll again instead of behaving as if loaded for a print.
    void abandon_event_print();

    // A fresh read of the event record under way: the channel-0 slots still to be
    // answered.
    struct RecordRead {
        std::vector<int> pending;
        int total = 0;
        std::function<void(int, int)> on_progress;
        std::function<void(bool)> on_done;
    };
    std::optional<RecordRead> record_read_;
    void record_read_answered(int slot);
    // Every path that stops the link or drops its queues ends the read unfinished.
    void record_read_abandoned();
    std::vector<std::pair<int, std::function<void(int, bool)>>> answer_listeners_;
    int next_listener_ = 0;
};

}  // namespace neva
