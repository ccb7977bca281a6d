#include "ui/AppContext.h"

#include "adapters/QtClock.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "HistoryRecording.h"
#include "SettingsReport.h"
#include "services/QtMessageService.h"
#include "startup/ProgramFolders.h"

namespace neva {

AppContext::AppContext(std::unique_ptr<SerialPort> port, std::unique_ptr<TimerFactory> timers,
                       std::unique_ptr<MessageService> messages, std::unique_ptr<Clock> clock)
    : port_(std::move(port)), timers_(std::move(timers)), messages_(std::move(messages)), clock_(std::move(clock)) {
    archivos_ = std::make_unique<Manejo_de_Archivos>(state_, images_, *messages_, *clock_);
    link_ = std::make_unique<LinkController>(state_, images_, *port_, *timers_, *messages_, *clock_);
}

AppContext::~AppContext() {
    // The history listens to the link; the link's timers and port events must be
    // gone before the port and the factory.
    history_.reset();
    link_.reset();
}

std::unique_ptr<AppContext> AppContext::with_qt_platform() {
    return std::make_unique<AppContext>(std::make_unique<QtSerialPort>(), std::make_unique<QtTimerFactory>(),
                                        std::make_unique<QtMessageService>(), std::make_unique<QtClock>());
}

std::string AppContext::ruta_archivo_defecto() const { return ProgramFolders::default_file(state_.Ruta_Programa); }

void AppContext::start_history(const std::string& database_path) {
    history_ = std::make_unique<records::HistoryRecording>(*link_, state_, images_, *clock_, records::program_name(),
                                                           [this] { return port_name(); }, database_path);
}

std::string AppContext::port_name() const {
    const std::string com = "COM " + std::to_string(state_.Puerto_Com);
    const QString device = QtSerialPort::device_name(state_.Puerto_Com);
    return device.isEmpty() ? com : com + " (" + device.toStdString() + ")";
}

EventTextSource AppContext::textos_de_eventos() {
    // Offline after a load the images are that file's: so are its events. The link
    // still holds the record of whatever relay was last connected.
    if (!state_.En_Linea && !state_.images_from_relay) return {};
    return [this](int posicion) { return link_->NEVA().DatosDeVariables(posicion).text(); };
}

}  // namespace neva
