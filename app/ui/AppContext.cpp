#include "ui/AppContext.h"

#include "adapters/QtClock.h"
#include "adapters/QtPorts.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "HistoryRecording.h"
#include "SettingsReport.h"
#include "services/QtMessageService.h"
#include "startup/ProgramFolders.h"

namespace neva {

AppContext::AppContext(std::unique_ptr<SerialPort> port, std::unique_ptr<TimerFactory> timers,
                       std::unique_ptr<MessageService> messages, std::unique_ptr<Clock> clock,
                       PortSwitch::Factory other_ports, std::unique_ptr<PortSource> port_source)
    : timers_(std::move(timers)),
      messages_(std::move(messages)),
      clock_(std::move(clock)),
      switch_(std::make_unique<PortSwitch>(std::move(port), std::move(other_ports))),
      monitor_(std::make_unique<LineMonitor>(*switch_, *clock_)),
      port_source_(std::move(port_source)) {
    archivos_ = std::make_unique<Manejo_de_Archivos>(state_, images_, *messages_, *clock_);
    link_ = std::make_unique<LinkController>(state_, images_, *monitor_, *timers_, *messages_, *clock_);
    monitor_->current_action = [this] { return static_cast<int>(link_->NEVA().Accion); };
}

AppContext::~AppContext() {
    // The history listens to the link; the link's timers and port events must be
    // gone before the port and the factory.
    history_.reset();
    monitor_->current_action = nullptr;
    link_.reset();
}

std::unique_ptr<AppContext> AppContext::with_qt_platform() {
    return std::make_unique<AppContext>(std::make_unique<QtSerialPort>(), std::make_unique<QtTimerFactory>(),
                                        std::make_unique<QtMessageService>(), std::make_unique<QtClock>(),
                                        QtPorts::factory(), std::make_unique<QtPortSource>());
}

std::vector<SerialPortInfo> AppContext::serial_ports() const {
    return port_source_ ? port_source_->ports() : std::vector<SerialPortInfo>{};
}

std::string AppContext::ruta_archivo_defecto() const { return ProgramFolders::default_file(state_.Ruta_Programa); }

void AppContext::start_history(const std::string& database_path) {
    history_ = std::make_unique<records::HistoryRecording>(*link_, state_, images_, *clock_, records::program_name(),
                                                           [this] { return port_name(); }, database_path);
}

std::string AppContext::port_name() const {
    // The line the link uses: a device by its path and a network port by its
    // address as they are; a numbered port with the device it stands for.
    const PortTarget& target = switch_->target();
    if (target.kind != PortTarget::Kind::Numbered) return target.text();
    const QString device = QtSerialPort::device_name(target.number);
    return target.text() + (device.isEmpty() ? std::string() : " (" + device.toStdString() + ")");
}

EventTextSource AppContext::textos_de_eventos() {
    // Offline after a load the images are that file's: so are its events. The link
    // still holds the record of whatever relay was last connected.
    if (!state_.En_Linea && !state_.images_from_relay) return {};
    return [this](int posicion) { return link_->NEVA().DatosDeVariables(posicion).text(); };
}

}  // namespace neva
