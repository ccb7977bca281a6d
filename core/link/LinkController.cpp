#include "link/LinkController.h"

#include <vector>

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
      images_(images),
      port_(port),
      messages_(messages),
      clock_(clock),
      neva_(std::make_unique<NEVA200>(state, images, messages, clock)),
      colas_(std::make_unique<Proceso_Comunicacion>(state)),
      timer1_(timers.make_timer(1000)),
      timer_comunicacion_(timers.make_timer(1000)),
      tmr_retardo_(timers.make_timer(10)),
      timer2_(timers.make_timer(500)),
      watchdog_(timers.make_timer(1000)) {
    colas_->Enlace_Principal = neva_.get();
    neva_->set_colas(colas_.get());
    neva_->Reconocer_Controles_De_Comunicacion(&port_);

    neva_->ErrorCommActivado = [this] { NEVA_ErrorCommActivado(); };
    neva_->ComunicacionFinalizada = [this](bool ok) { NEVA_ComunicacionFinalizada(ok); };
    neva_->Finalizado = [this](bool& ok) { NEVA_Finalizado(ok); };
    neva_->ReadyEvents = [this] {
        if (on_ready_events) on_ready_events();
    };

    port_.on_event = [this](SerialPort::Event e) { MSComm1_OnComm(e); };
    port_.on_lost = [this] { Puerto_Perdido(); };

    timer1_->on_tick = [this] { Tiempo_Agotado(); };
    timer_comunicacion_->on_tick = [this] { Tiempo_Agotado(); };
    tmr_retardo_->on_tick = [this] { TmrRetardoCom_Timer(); };
    watchdog_->on_tick = [this] { ResetTiempo(); };
    // Timer2's tick belongs to the window (status display); see status_tick().
}

LinkController::~LinkController() {
    // The port may outlive this object.
    port_.on_event = nullptr;
    port_.on_lost = nullptr;
}

bool LinkController::link_active() const {
    // A connection attempt still waiting for its first answer counts as running, so
    // that a relay that never answers ends in the communication error.
    return (state_.En_Linea || state_.Esperando_Respuesta) && !state_.Error_Comunicacion;
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
    timer1_->set_enabled(false);
    timer_comunicacion_->set_enabled(false);
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
    colas_->Enlace_Actual->Refrescar();
}

void LinkController::Tiempo_Agotado() {
    if (handling_) return;
    FlagGuard guard(handling_);

    if (state_.Enviando_Archivo) {
        if (state_.Reintentos_Envio < 4) {
            ++state_.Reintentos_Envio;
            neva_->Accion = 27;
            neva_->Ejecuta();
        } else {
            timer1_->set_enabled(false);
            state_.Enviando_Archivo = false;
            if (port_.is_open()) port_.close();
            messages_.message_box("Error sending File to Relay", MsgButtons::Ok, MsgIcon::Critical, kAppTitle);
        }
        return;
    }

    ++state_.Ticks_Sin_Respuesta;
    // The second tick without an answer gives the request up for now: it stays pending
    // and is sent again when its channel is next searched.
    if (state_.Ticks_Sin_Respuesta > 1 && colas_->Estado_Actual() == Proceso_Comunicacion::kExecuting)
        colas_->Estado_Actual() = Proceso_Comunicacion::kPending;
    if (state_.Ticks_Sin_Respuesta >= 2) {
        state_.Ticks_Sin_Respuesta = 0;
        colas_->Cerrar_Por_Tiempo();
    }
    const bool active = link_active();
    timer1_->set_enabled(active);
    if (!active) timer_comunicacion_->set_enabled(false);
}

int LinkController::watch_exchanges(ExchangeObserver observer) {
    observers_[next_observer_] = std::move(observer);
    return next_observer_++;
}

void LinkController::unwatch_exchanges(int id) { observers_.erase(id); }

void LinkController::notify_exchange(int accion, bool ok) {
    std::vector<int> ids;
    for (const auto& [id, observer] : observers_) ids.push_back(id);
    for (int id : ids)
        if (auto it = observers_.find(id); it != observers_.end()) {
            const ExchangeObserver observer = it->second;  // it may remove itself
            observer(accion, ok);
        }
}

void LinkController::NEVA_ComunicacionFinalizada(bool ok) {
    notify_exchange(neva_->Accion, ok);
    if (state_.Enviando_Archivo && ok) {
        state_.Enviando_Archivo = false;
        return;
    }
    if (!state_.Enviando_Archivo) {
        if (ok && !state_.En_Linea && !state_.Error_Comunicacion) {
            state_.En_Linea = true;
            timer2_->set_enabled(true);
            state_.Version_Rele = trim(neva_->Version.str());
        }
        // The version comes from the identification answer, also when that answer
        // had to be repeated and came after the first good answer of the connection.
        if (ok && neva_->Accion == 60) state_.Version_Rele = trim(neva_->Version.str());
        colas_->Estado_Actual() = ok ? Proceso_Comunicacion::kDone : Proceso_Comunicacion::kPending;
    }

    const bool print_done = ok && print_slot_ >= 0 && colas_->Canal_Actual == 0 && colas_->Ranura_Actual == print_slot_;
    if (print_done) print_slot_ = -1;

    if (state_.Error_Comunicacion) {
        port_.close();
        state_.En_Linea = false;
        state_.Esperando_Respuesta = false;
        abandon_event_print();
    } else {
        colas_->Despachar_Proceso();
    }

    if (print_done && neva_->ReadyEvents) neva_->ReadyEvents();
}

void LinkController::NEVA_Finalizado(bool& ok) {
    if (neva_->Accion == 1) state_.Puerto_Abierto = ok;
}

void LinkController::NEVA_ErrorCommActivado() {
    state_.Error_Comunicacion = true;
    timer1_->set_enabled(false);
    // Offline before the box: while the user reads it nothing may show the relay as live.
    Desconectar();
    if (on_offline) on_offline();
    messages_.message_box(" Communication Error...", MsgButtons::Ok, MsgIcon::Critical, "Communication Error");
    if (on_disconnect) on_disconnect();
}

void LinkController::Puerto_Perdido() {
    // The adapter went away under us. Whatever was in flight is over: one trip through
    // the error path, as if the relay had stopped answering.
    tmr_retardo_->set_enabled(false);
    timer1_->set_enabled(false);
    // The request in flight never got its answer.
    if (colas_->Estado_Actual() == Proceso_Comunicacion::kExecuting)
        colas_->Estado_Actual() = Proceso_Comunicacion::kPending;
    if (state_.Enviando_Archivo) {
        state_.Enviando_Archivo = false;
        messages_.message_box("Error sending File to Relay", MsgButtons::Ok, MsgIcon::Critical, kAppTitle);
        return;
    }
    if (!link_active()) return;
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
    colas_->Iniciar_Colas();

    NEVA200& link = *neva_;
    link.Puerto_PC = state_.Puerto_Com;
    link.Cadena_Com = std::to_string(state_.Velocidad_Com);
    link.Direccion = static_cast<std::int16_t>(direccion);
    state_.Enviando_Archivo = true;

    link.Reconocer_Controles_De_Comunicacion(&port_);
    link.Accion = 1;
    link.Ejecuta();
    if (!port_.is_open()) return false;

    colas_->Enlace_Actual = &link;
    link.Accion = 27;
    link.Ejecuta();
    state_.Reintentos_Envio = 0;
    return true;
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

}  // namespace neva
