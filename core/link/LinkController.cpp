#include "link/LinkController.h"

#include <algorithm>
#include <utility>

namespace neva {

namespace {

// Sets a flag for the life of a scope.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

LinkController::LinkController(SharedState& state, RegisterImages& images, SerialPort& port, TimerFactory& timers,
                               MessageService& messages, Clock& clock)
    : state_(state),
      port_(port),
      messages_(messages),
      clock_(clock),
      neva_(std::make_unique<NEVA200>(state, images, messages, clock)),
      colas_(std::make_unique<Proceso_Comunicacion>(state)),
      timer1_(timers.make_timer(1000)),
      timer_comunicacion_(timers.make_timer(1000)),
      tmr_retardo_(timers.make_timer(10)),
      timer2_(timers.make_timer(500)),
      watchdog_(timers.make_timer(1000)),
      quiet_timer_(timers.make_timer(500)) {
    neva_->set_colas(colas_.get());
    neva_->Reconocer_Controles_De_Comunicacion(&port_);

    neva_->ErrorCommActivado = [this] { NEVA_ErrorCommActivado(); };
    neva_->ComunicacionFinalizada = [this](bool ok) { NEVA_ComunicacionFinalizada(ok); };
    neva_->Finalizado = [this](bool& ok) { NEVA_Finalizado(ok); };
    neva_->on_group_end = [this](bool all_verified) { group_ended(all_verified); };
    neva_->ReadyEvents = [this] {
        if (on_ready_events) on_ready_events();
    };

    port_.on_event = [this](SerialPort::Event e) { MSComm1_OnComm(e); };
    port_.on_lost = [this] { Puerto_Perdido(); };

    timer1_->on_tick = [this] { Tiempo_Agotado(); };
    timer_comunicacion_->on_tick = [this] { Tiempo_Agotado(); };
    tmr_retardo_->on_tick = [this] { TmrRetardoCom_Timer(); };
    watchdog_->on_tick = [this] { ResetTiempo(); };
    quiet_timer_->on_tick = [this] { quiet_over(); };
    // Timer2's tick belongs to the window (status display); see status_tick().
}

LinkController::~LinkController() {
    // The port may outlive this object.
    port_.on_event = nullptr;
    port_.on_lost = nullptr;
}

bool LinkController::link_active() const {
    // A connection attempt still waiting for its first answer counts as running, so
    // that a relay that never answers ends in the communication error; so does a
    // setpoint file on its way to the relay.
    return (state_.En_Linea || state_.Esperando_Respuesta || state_.Enviando_Archivo) && !state_.Error_Comunicacion;
}

void LinkController::Encolar_Proceso(int canal, int accion) { colas_->Encolar_Proceso(canal, neva_.get(), accion); }
void LinkController::Despachar_Proceso() { colas_->Despachar_Proceso(); }
void LinkController::Iniciar_Colas() { colas_->Iniciar_Colas(); }
void LinkController::ResetTiempo() { state_.Ticks_Sin_Respuesta = 0; }

bool LinkController::Conectar(int puerto, int velocidad, int direccion) {
    NEVA200& link = *neva_;
    link.Puerto_PC = static_cast<std::int16_t>(puerto);
    link.Cadena_Com = std::to_string(velocidad);
    link.Direccion = static_cast<std::int16_t>(direccion);

    state_.Error_Comunicacion = false;
    state_.Ciclicos = 1;
    state_.Ticks_Sin_Respuesta = 0;
    // Failures of an earlier connection do not count against this one.
    link.reset_failures();
    abandon_event_print();
    record_read_abandoned();
    failing_since_.reset();
    cause_ = {};
    failure_ = {};
    quiet_timer_->set_enabled(false);
    colas_->Iniciar_Colas();

    link.Reconocer_Controles_De_Comunicacion(&port_);
    link.Accion = 1;
    Encolar_Proceso(0, 60);
    link.Ejecuta();  // opens the port; the outcome lands in Puerto_Abierto

    // Identification first, then both setpoint blocks, the cyclic status read and one
    // read of everything the actual value pages show.
    Encolar_Proceso(0, 61);
    Encolar_Proceso(0, 62);
    Encolar_Proceso(3, 2);
    Encolar_Proceso(0, 4);
    Encolar_Proceso(0, 5);
    Encolar_Proceso(0, 6);
    Encolar_Proceso(0, 30);

    if (!state_.Puerto_Abierto) {
        colas_->Iniciar_Colas();
        return false;
    }
    state_.Esperando_Respuesta = true;
    colas_->Despachar_Proceso();
    // The attempt must time out even if the port never reports the frame as sent.
    timer1_->set_enabled(true);
    return true;
}

void LinkController::Desconectar() {
    state_.Error_Comunicacion = true;
    state_.En_Linea = false;
    state_.Esperando_Respuesta = false;
    abandon_event_print();
    record_read_abandoned();
    timer1_->set_enabled(false);
    timer_comunicacion_->set_enabled(false);
    quiet_timer_->set_enabled(false);
    // A write to a port that has gone is refused by the port, never a crash.
    if (port_.is_open()) port_.write({0x00});
}

void LinkController::MSComm1_OnComm(SerialPort::Event event) {
    switch (event) {
        case SerialPort::Event::Send:
            state_.Ticks_Sin_Respuesta = 0;
            timer1_->set_enabled(true);
            break;
        case SerialPort::Event::Receive:
            state_.Ticks_Sin_Respuesta = 0;
            timer1_->set_enabled(false);
            // Let the rest of the answer arrive before it is parsed.
            tmr_retardo_->set_enabled(true);
            ResetTiempo();
            break;
    }
}

void LinkController::TmrRetardoCom_Timer() {
    tmr_retardo_->set_enabled(false);
    if (handling_ || colas_->Enlace_Actual == nullptr) return;
    FlagGuard guard(handling_);
    const bool stray = !colas_->Enlace_Actual->answer_awaited();
    colas_->Enlace_Actual->Refrescar();
    // Bytes nobody asked for are thrown away; the receive event that brought them
    // must not leave a running link without its time-out.
    if (stray && link_active()) timer1_->set_enabled(true);
}

void LinkController::Tiempo_Agotado() {
    if (handling_) return;
    FlagGuard guard(handling_);

    // While the line is left quiet after a give-up, no request is in flight.
    if (!quiet_timer_->enabled()) {
        ++state_.Ticks_Sin_Respuesta;
        // The second tick without an answer gives the request up for now: it stays
        // pending and is sent again when its channel is next searched.
        if (state_.Ticks_Sin_Respuesta > 1 && colas_->Estado_Actual() == Proceso_Comunicacion::kExecuting)
            colas_->Estado_Actual() = Proceso_Comunicacion::kPending;
        if (state_.Ticks_Sin_Respuesta >= 2) {
            state_.Ticks_Sin_Respuesta = 0;
            if (link_active()) give_up_request();
        }
    }
    const bool active = link_active();
    timer1_->set_enabled(active);
    if (!active) timer_comunicacion_->set_enabled(false);
}

void LinkController::give_up_request() {
    // Whatever came for the request (an exception answer, a cut or damaged answer) is
    // taken off the line now and tells why it failed.
    const LinkFault fault = neva_->abandon_exchange();
    // A write or read-back that used up its attempts is not repeated.
    if (neva_->request_abandoned() && colas_->Estado_Actual() == Proceso_Comunicacion::kPending)
        colas_->Estado_Actual() = Proceso_Comunicacion::kDone;
    repeat_failed_first(true);
    if (!link_active()) return;  // the write's end stopped a file send
    // Only silence counts towards the five failures; a relay that answers, however
    // badly, is held to the no-valid-answer limit instead.
    if (fault.kind == LinkFaultKind::NoAnswer)
        neva_->AumentarErrorComm();
    else
        neva_->reset_failures();
    if (state_.Error_Comunicacion) return;
    if (note_failure(fault)) return;
    // A slow relay's answer may still be on its way: let it arrive and be thrown away
    // before the next request goes out, so that it is never taken for that one's.
    quiet_timer_->set_enabled(true);
}

void LinkController::repeat_failed_first(bool timed_out) {
    // A request the relay answered badly goes out again before anything else, so that
    // requests keep their order: an event's selection is answered before the window
    // that reads it. Taken in turn with the others instead, a line that spoils every
    // second answer fell into step with a select-then-read pair and spoilt every
    // selection. A request that timed out waits its turn: the relay may still answer
    // it, and a late answer must not pass for the answer of its repeat.
    // A setpoint write, or its read-back, is repeated at once in either case: the
    // attempts it is allowed are spent on it, not on the requests in between.
    if (colas_->Estado_Actual() != Proceso_Comunicacion::kPending) return;
    if (timed_out && !neva_->verified_write_in_progress()) return;
    colas_->Canal_Indice[colas_->Canal_Actual] = colas_->Ranura_Actual;
}

void LinkController::quiet_over() {
    if (handling_) return;  // again at the next tick
    quiet_timer_->set_enabled(false);
    if (!link_active()) return;
    FlagGuard guard(handling_);
    colas_->Despachar_Proceso();
    // The next request times out even if the port never reports it sent.
    timer1_->set_enabled(true);
}

bool LinkController::note_failure(const LinkFault& fault) {
    const std::int64_t now = clock_.monotonic_ms();
    if (!failing_since_) failing_since_ = now;
    // Damaged or foreign answers say more about the line than silence does.
    if (fault.kind != LinkFaultKind::NoAnswer || cause_.kind == LinkFaultKind::None) cause_ = fault;
    if (now - *failing_since_ < kNoValidAnswerMs) return false;
    link_failed(cause_);
    return true;
}

void LinkController::NEVA_ComunicacionFinalizada(bool ok) {
    const NEVA200& link = *neva_;
    if (ok && !state_.En_Linea && !state_.Error_Comunicacion && !state_.Enviando_Archivo) {
        state_.En_Linea = true;
        state_.images_from_relay = true;
        timer2_->set_enabled(true);
        state_.Version_Rele = trim(neva_->Version.str());
    }
    // The version comes from the identification answer, also when that answer
    // had to be repeated and came after the first good answer of the connection.
    if (ok && link.Accion == 60) state_.Version_Rele = trim(neva_->Version.str());
    // A bad answer leaves the request pending, so it is repeated; a write or
    // read-back that used up its attempts is not.
    colas_->Estado_Actual() =
        ok || link.request_abandoned() ? Proceso_Comunicacion::kDone : Proceso_Comunicacion::kPending;
    repeat_failed_first(false);

    if (!answer_listeners_.empty()) {
        // A copy: a listener may go away while the others are told.
        const auto listeners = answer_listeners_;
        const int accion = neva_->Accion;
        for (const auto& [id, listener] : listeners) listener(accion, ok);
    }

    const bool print_done = ok && print_slot_ >= 0 && colas_->Canal_Actual == 0 && colas_->Ranura_Actual == print_slot_;
    if (print_done) print_slot_ = -1;
    const int answered_slot = ok && colas_->Canal_Actual == 0 ? colas_->Ranura_Actual : -1;

    if (link.Respuesta_Valida()) {
        failing_since_.reset();
        cause_ = {};
    } else if (link_active()) {
        // Answers that never make sense end the link as silence does (the error
        // path then leaves nothing to dispatch).
        note_failure(link.last_fault());
    }

    if (state_.Error_Comunicacion) {
        port_.close();
        state_.En_Linea = false;
        state_.Esperando_Respuesta = false;
        abandon_event_print();
        record_read_abandoned();
    } else {
        colas_->Despachar_Proceso();
    }

    if (answered_slot >= 0) record_read_answered(answered_slot);
    if (print_done && neva_->ReadyEvents) neva_->ReadyEvents();
}

int LinkController::add_answer_listener(std::function<void(int, bool)> listener) {
    answer_listeners_.emplace_back(next_listener_, std::move(listener));
    return next_listener_++;
}

void LinkController::remove_answer_listener(int id) {
    std::erase_if(answer_listeners_, [id](const auto& l) { return l.first == id; });
}

void LinkController::NEVA_Finalizado(bool& ok) {
    if (neva_->Accion == 1) state_.Puerto_Abierto = ok;
}

void LinkController::NEVA_ErrorCommActivado() {
    // Five time-outs in a row; if answers did come, only too late, that is the cause.
    link_failed({neva_->late_answer_seen() ? LinkFaultKind::LateAnswer : LinkFaultKind::NoAnswer});
}

void LinkController::link_failed(const LinkFault& cause) {
    state_.Error_Comunicacion = true;
    failure_ = cause;
    timer1_->set_enabled(false);
    quiet_timer_->set_enabled(false);
    if (state_.Enviando_Archivo) {
        // A file send ends in its own report of what the relay now holds.
        neva_->interrupt_writes();
        return;
    }
    // What the port knows (a refused or dropped connection, a slow network) says more
    // than the link's count of time-outs; taken before OFF touches the port.
    const std::string port_cause = port_.diagnosis();
    // Offline before the box: while the user reads it nothing may show the relay as live.
    Desconectar();
    if (on_offline) on_offline();
    // Under the message: what failed and what to check, then the line it happened on.
    std::string text = " Communication Error...\n" + (port_cause.empty() ? describe(failure_) : port_cause) + "\n" +
                       line_text();
    messages_.message_box(text, MsgButtons::Ok, MsgIcon::Critical, "Communication Error");
    // A setpoint write cut short says what the relay now holds.
    neva_->interrupt_writes();
    if (on_disconnect) on_disconnect();
}

std::string LinkController::line_text() const {
    const std::string device = neva_->Comunicacion ? neva_->Comunicacion->device_text() : std::string();
    // Over the network the speed is the device server's or the gateway's own.
    if (device.rfind("tcp://", 0) == 0 || device.rfind("mbtcp://", 0) == 0)
        return device + ", relay address " + std::to_string(neva_->Direccion);
    std::string s = "COM " + std::to_string(neva_->Puerto_PC);
    if (!device.empty()) s += " (" + device + ")";
    return s + ", " + neva_->Cadena_Com + " baud, relay address " + std::to_string(neva_->Direccion);
}

void LinkController::Puerto_Perdido() {
    // The adapter went away under us. Whatever was in flight is over: one trip through
    // the error path, as if the relay had stopped answering.
    tmr_retardo_->set_enabled(false);
    timer1_->set_enabled(false);
    quiet_timer_->set_enabled(false);
    // The request in flight never got its answer.
    if (colas_->Estado_Actual() == Proceso_Comunicacion::kExecuting)
        colas_->Estado_Actual() = Proceso_Comunicacion::kPending;
    if (!link_active()) {
        record_read_abandoned();
        return;
    }
    NEVA_ErrorCommActivado();
}

bool LinkController::status_tick() {
    if (!state_.En_Linea) {
        timer2_->set_enabled(false);
        return false;
    }
    timer_comunicacion_->set_enabled(true);
    return true;
}

bool LinkController::start_file_send(int direccion) {
    timer2_->set_enabled(false);
    timer_comunicacion_->set_enabled(false);
    record_read_abandoned();
    quiet_timer_->set_enabled(false);
    colas_->Iniciar_Colas();

    NEVA200& link = *neva_;
    link.Puerto_PC = state_.Puerto_Com;
    link.Cadena_Com = std::to_string(state_.Velocidad_Com);
    link.Direccion = static_cast<std::int16_t>(direccion);
    // The send runs on the link's own queue, time-outs and attempt limits; a stop of
    // an earlier connection does not hold it back.
    state_.Error_Comunicacion = false;
    state_.Ticks_Sin_Respuesta = 0;
    link.reset_failures();
    failing_since_.reset();
    cause_ = {};
    state_.Enviando_Archivo = true;

    link.Reconocer_Controles_De_Comunicacion(&port_);
    link.Accion = 1;
    link.Ejecuta();
    if (!port_.is_open()) {
        state_.Enviando_Archivo = false;
        return false;
    }
    state_.Reintentos_Envio = 0;
    link.send_setpoint_group({1, 2});
    colas_->Despachar_Proceso();
    timer1_->set_enabled(true);
    return true;
}

bool LinkController::send_setpoints(const std::vector<int>& blocks) {
    if (!state_.En_Linea || state_.Error_Comunicacion) return false;
    neva_->send_setpoint_group(blocks);
    colas_->Despachar_Proceso();
    return true;
}

void LinkController::group_ended(bool) {
    if (!state_.Enviando_Archivo) return;
    // The file send is over, whatever its end: the program stays offline until the
    // user connects again.
    state_.Enviando_Archivo = false;
    state_.Error_Comunicacion = true;
    state_.En_Linea = false;
    timer1_->set_enabled(false);
    quiet_timer_->set_enabled(false);
    port_.close();
}

bool LinkController::Imprimir_Eventos() {
    if (!state_.En_Linea) return false;
    Encolar_Proceso(0, 30);
    int last = -1;
    for (int i = 1; i <= 10; ++i) {
        Encolar_Proceso(0, 30 + i);
        last = colas_->Encolar_Proceso(0, neva_.get(), 90);
    }
    // Without the last read in the queue nothing would ever end the print.
    if (last < 0) return false;
    print_slot_ = last;
    state_.Imprimiendo = true;
    return true;
}

void LinkController::abandon_event_print() {
    if (print_slot_ >= 0) state_.Imprimiendo = false;
    print_slot_ = -1;
}

bool LinkController::Leer_Registro_Eventos(std::function<void(int, int)> on_progress,
                                           std::function<void(bool)> on_done) {
    if (!state_.En_Linea || state_.Error_Comunicacion || record_read_) return false;
    RecordRead read;
    read.on_progress = std::move(on_progress);
    read.on_done = std::move(on_done);
    // Each event is selected by its distance from the newest, so the head comes first.
    auto encolar = [this](int accion) { return colas_->Encolar_Proceso(0, neva_.get(), accion); };
    read.pending.push_back(encolar(30));
    for (int n = 1; n <= 20; ++n) {
        read.pending.push_back(encolar(30 + n));
        read.pending.push_back(encolar(90));
    }
    if (std::find(read.pending.begin(), read.pending.end(), -1) != read.pending.end()) {
        // A full queue dropped part of it: what was queued runs as an ordinary read.
        return false;
    }
    read.total = static_cast<int>(read.pending.size());
    record_read_ = std::move(read);
    colas_->Despachar_Proceso();
    return true;
}

void LinkController::record_read_answered(int slot) {
    if (!record_read_) return;
    auto& pending = record_read_->pending;
    const auto it = std::find(pending.begin(), pending.end(), slot);
    if (it == pending.end()) return;
    // Events 1..20 are read one by one next: the catch-up reads the link would queue
    // on its own after the head would only read them all again.
    if (it == pending.begin() && pending.size() == static_cast<std::size_t>(record_read_->total))
        neva_->Ampliar_Eventos = false;
    pending.erase(it);
    const int answered = record_read_->total - static_cast<int>(pending.size());
    if (record_read_->on_progress) record_read_->on_progress(answered, record_read_->total);
    if (!pending.empty()) return;
    // Taken out first: what the caller does next may start another read.
    const RecordRead done = std::exchange(*record_read_, {});
    record_read_.reset();
    if (done.on_done) done.on_done(true);
}

void LinkController::record_read_abandoned() {
    if (!record_read_) return;
    const RecordRead read = std::exchange(*record_read_, {});
    record_read_.reset();
    if (read.on_done) read.on_done(false);
}

}  // namespace neva
