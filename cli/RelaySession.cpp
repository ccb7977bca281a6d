#include "RelaySession.h"

#include <QFileInfo>

#include "adapters/QtPorts.h"
#include <QTimer>
#include <QtGlobal>

#include <cstdio>

#include "startup/Arranque.h"

namespace neva::cli {

RelaySession::RelaySession(const CliOptions& options, std::ostream& err)
    : options_(options), err_(err), messages_(err), deadline_(std::chrono::seconds(options.timeout_s)) {
    switch_ = QtPorts::make_switch();
    if (options_.port) switch_->set_target(options_.port->target());
    monitor_ = std::make_unique<LineMonitor>(*switch_, clock_);
    monitor_->current_action = [this] { return link_ ? static_cast<int>(link_->NEVA().Accion) : 0; };
    if (options_.trace) {
        monitor_->on_entry = [this](const LineEntry& e) {
            err_ << "neva-cli: " << LineMonitor::format(e) << '\n';
            err_.flush();
        };
    }
    link_ = std::make_unique<LinkController>(state_, images_, *monitor_, timers_, messages_, clock_);
    // Timer2's tick is the window's status tick; without it Timer_Comunicacion never
    // starts and a relay that goes quiet while online would not be noticed.
    link_->Timer2().on_tick = [this] { link_->status_tick(); };
    link_->on_disconnect = [this] {
        lost_ = true;
        if (loop_) loop_->quit();
    };
    // Watch every answer as the window does: the link raises ComunicacionFinalizada,
    // the controller marks the request and dispatches the next; then see whether the
    // work asked for is complete.
    link_completion_ = link_->NEVA().ComunicacionFinalizada;
    link_->NEVA().ComunicacionFinalizada = [this](bool ok) { on_completion(ok); };

    history_ = std::make_unique<records::HistoryRecording>(
        *link_, state_, images_, clock_, "neva-cli " + Arranque::version_programa(), [this] { return port_name(); });
    // The history never decides the outcome of the command: the relay's work is done.
    history_->recorder().on_failed = [this](const std::string& why) {
        err_ << "neva-cli: warning: " << why << '\n';
    };
}

RelaySession::~RelaySession() {
    disconnect();
    history_.reset();
    link_.reset();
}

void RelaySession::on_completion(bool ok) {
    last_action_ = link_->NEVA().Accion;
    // The relay's confirmation of an event selection (31..50) or of a clock write
    // (92, 93) carries no data, and the link leaves the outcome of the exchange
    // before it in place. After one refused answer every following selection would
    // then count as refused and be repeated for ever, with the event reads never
    // ending. A confirmation that passed the response test is a success.
    const bool confirmation = (last_action_ >= 31 && last_action_ <= 50) || last_action_ == 92 || last_action_ == 93;
    if (!ok && confirmation && link_->NEVA().Respuesta_Valida()) ok = true;
    if (link_completion_) link_completion_(ok);
    if (state_.En_Linea) was_online_ = true;
    if (loop_ && finished()) loop_->quit();
}

std::string port_name(const PortChoice& p) {
    if (p.network) return p.network->text();
    if (!p.device.empty()) return p.device;
    const QString dev = QtSerialPort::device_name(p.number);
    return p.describe() + (dev.isEmpty() ? std::string() : " (" + dev.toStdString() + ")");
}

std::string RelaySession::describe_line() const {
    // Over the network the speed is the device server's or gateway's own.
    if (options_.port->network) return "address " + std::to_string(options_.address) + " on " + port_name();
    return "address " + std::to_string(options_.address) + " on " + port_name() + " at " +
           std::to_string(options_.baud) + " baud";
}

bool RelaySession::connect() {
    const PortChoice& p = *options_.port;
    const int number = p.number;
    state_.Puerto_Com = static_cast<std::int16_t>(number);
    state_.Velocidad_Com = options_.baud;
    state_.Direccion_Rele = static_cast<std::uint8_t>(options_.address);
    // The relay's texts the command was given name it in the settings history from
    // the first read on.
    state_.Programador = options_.programmer.value_or("");
    state_.Nombre_Rele = options_.relay_name.value_or("");
    state_.Observaciones = options_.observations.value_or("");

    // The link's own "Invalid Number Port: COM n" names no device; the line below does.
    messages_.suppress("Invalid Number Port: COM");
    const bool opened = link_->Conectar(number, options_.baud, options_.address);
    messages_.suppress({});
    if (!opened && p.network) {
        err_ << "neva-cli: cannot connect to " << p.network->text() << ": " << switch_->diagnosis() << '\n';
        return false;
    }
    if (!opened) {
        // The switch opened a QtSerialPort of its own making: the numbered one, or one
        // for the device path.
        auto* serial = dynamic_cast<QtSerialPort*>(&switch_->active());
        QString device = serial ? serial->device() : QString();
        if (device.isEmpty())
            device = p.device.empty() ? QtSerialPort::device_name(number) : QString::fromStdString(p.device);
        QString why = serial ? serial->last_error() : QString::fromStdString(switch_->diagnosis());
        if (device.isEmpty()) why = QStringLiteral("no device for this port number");
        else if (!QFileInfo::exists(device)) why = QStringLiteral("no such device");
        else if (why.isEmpty() || why == QLatin1String("No error"))
            why = QStringLiteral("the device could not be opened (in use, or no permission?)");
        err_ << "neva-cli: cannot open the serial port " << (p.device.empty() ? p.describe() : p.device);
        if (p.device.empty() && !device.isEmpty()) err_ << " (" << device.toStdString() << ")";
        err_ << ": " << why.toStdString() << '\n';
        return false;
    }
    return wait_until_idle("reading the relay");
}

bool RelaySession::send_setpoints(const std::vector<int>& blocks) {
    if (!link_->send_setpoints(blocks)) return false;
    return wait_until_idle("writing the setpoints");
}

bool RelaySession::run_action(int accion) {
    if (!state_.En_Linea || state_.Error_Comunicacion) return false;
    link_->Encolar_Proceso(0, accion);
    // The cyclic status read is usually in flight; the queued request follows it.
    link_->Despachar_Proceso();
    return wait_until_idle("waiting for the relay");
}

bool RelaySession::idle() const {
    if (!state_.En_Linea || state_.Error_Comunicacion || !link_->NEVA().Firmware) return false;
    auto& colas = const_cast<LinkController&>(*link_).Colas();
    // Channels 0..2 carry the requests asked for; channel 3 is the endless status read.
    for (int canal = 0; canal < 3; ++canal)
        for (std::int32_t estado : colas.Cola_Estado[canal])
            if (estado == Proceso_Comunicacion::kPending || estado == Proceso_Comunicacion::kExecuting) return false;
    return true;
}

bool RelaySession::finished() const {
    return lost_ || (state_.Error_Comunicacion && !state_.Esperando_Respuesta && !state_.En_Linea) || idle();
}

void RelaySession::interrupt() {
    interrupted_ = true;
    if (loop_) loop_->quit();
}

bool RelaySession::wait_until_idle(const std::string& what) {
    if (!finished() && !interrupted_) {
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(static_cast<int>(std::max<qint64>(0, deadline_.remainingTime())));
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    if (idle()) return true;
    if (!interrupted_) report_failure(what);
    return false;
}

void RelaySession::report_failure(const std::string& what) {
    const std::vector<std::uint8_t>& answer = link_->NEVA().Respuesta();
    // What the port knows (a refused or dropped connection, a slow network) says more
    // than the link's count of time-outs.
    std::string port_cause = monitor_->diagnosis();
    // Already said with the link's " Communication Error..." box.
    if (messages_.was_shown(" Communication Error...\n" + port_cause)) port_cause.clear();
    const LinkFault& cause = link_->failure();
    if (lost_ && !port_cause.empty()) {
        err_ << "neva-cli: " << (was_online_ ? "communication with" : "no answer from") << " the relay ("
             << describe_line() << ") while " << what << ": " << port_cause << '\n';
    } else if (lost_ && was_online_ && cause.kind != LinkFaultKind::NoAnswer && cause.kind != LinkFaultKind::None) {
        err_ << "neva-cli: communication with the relay (" << describe_line() << ") failed while " << what << ": "
             << describe(cause) << '\n';
    } else if (lost_ && was_online_) {
        err_ << "neva-cli: the relay (" << describe_line() << ") stopped answering while " << what << '\n';
    } else if (lost_ && cause.kind != LinkFaultKind::NoAnswer && cause.kind != LinkFaultKind::None) {
        err_ << "neva-cli: no valid answer from the relay (" << describe_line() << "): " << describe(cause) << '\n';
    } else if (lost_) {
        err_ << "neva-cli: no answer from the relay (" << describe_line()
             << "); check the port, the speed, the address and the cable\n";
    } else if (state_.Error_Comunicacion && last_action_ == 60 && !link_->NEVA().Firmware &&
               link_->NEVA().Respuesta_Valida() && answer.size() >= 9) {
        auto word = [&](int k) { return answer[3 + 2 * k] * 256 + answer[4 + 2 * k]; };
        err_ << "neva-cli: the device at " << describe_line()
             << " is not a supported NEVA200 relay (identification " << word(0) << ", " << word(1) << ", "
             << word(2) << ")\n";
    } else if (state_.Error_Comunicacion) {
        err_ << "neva-cli: communication with the relay (" << describe_line() << ") stopped while " << what
             << '\n';
    } else {
        err_ << "neva-cli: gave up after " << options_.timeout_s << " s while " << what << " (" << describe_line()
             << "); the relay answers but the work did not complete\n";
    }
    err_.flush();
}

void RelaySession::disconnect() {
    if (!link_) return;
    if (monitor_->is_open()) {
        link_->Desconectar();
        monitor_->close();
    }
    state_.En_Linea = false;
}

}  // namespace neva::cli
