#pragma once
// The application object: everything the program shares for the whole run — the
// shared state, the register images, the serial port, the timer factory, the message
// service, the clock, the setpoint file routines and the main window's link — built
// from platform objects handed in, so that tests can pass fakes (FakePort,
// FakeTimerFactory, ScriptedMessages, FakeClock) and the program the Qt adapters.
//
// The port handed in is the port of the program's numbering ("COM n"). The link
// drives it through the line monitor, which watches every frame, and the port
// switch, which also reaches the ports the other kinds of target need (a serial
// device by path, a device server, a Modbus TCP gateway) when a maker for them is
// handed in.

#include <functional>
#include <memory>
#include <string>

#include "files/Manejo_de_Archivos.h"
#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "monitor/LineMonitor.h"
#include "net/PortSwitch.h"
#include "platform/PortSource.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "startup/SharedState.h"

namespace neva {

namespace records {
class HistoryRecording;
}

class AppContext {
public:
    AppContext(std::unique_ptr<SerialPort> port, std::unique_ptr<TimerFactory> timers,
               std::unique_ptr<MessageService> messages, std::unique_ptr<Clock> clock,
               PortSwitch::Factory other_ports = {}, std::unique_ptr<PortSource> port_source = {});
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The program's own platform: QSerialPort, QTimer, Qt message boxes and dialogs, Qt clock.
    static std::unique_ptr<AppContext> with_qt_platform();

    SharedState& state() { return state_; }
    RegisterImages& images() { return images_; }
    // The port the link and the modem programming use (the monitor in front of the switch).
    SerialPort& port() { return *monitor_; }
    PortSwitch& port_switch() { return *switch_; }
    LineMonitor& monitor() { return *monitor_; }
    // This computer's serial ports (none when no source was handed in).
    std::vector<SerialPortInfo> serial_ports() const;
    TimerFactory& timers() { return *timers_; }
    MessageService& messages() { return *messages_; }
    Clock& clock() { return *clock_; }
    Manejo_de_Archivos& archivos() { return *archivos_; }
    LinkController& link() { return *link_; }
    NEVA200& NEVA() { return link_->NEVA(); }

    // "Default.NEVA2" beside the program (Ruta_Programa), else in the installed data folder.
    std::string ruta_archivo_defecto() const;
    // The event texts a save writes: the link's decoded values by position while
    // the images hold the relay's data; none (the loaded file's stay) otherwise.
    EventTextSource textos_de_eventos();

    // The settings history (as-found and as-left snapshots of the relay's setpoint
    // blocks) in the user's data folder. The program's main starts it; a test starts
    // it only with its data folder pointed elsewhere. Null until started.
    void start_history(const std::string& database_path);
    records::HistoryRecording* history() { return history_.get(); }
    // "COM 1 (/dev/ttyUSB0)", "tcp://10.0.0.5:4001": the line as reports and the
    // history name it.
    std::string port_name() const;

private:
    SharedState state_;
    RegisterImages images_;
    std::unique_ptr<TimerFactory> timers_;
    std::unique_ptr<MessageService> messages_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<PortSwitch> switch_;
    std::unique_ptr<LineMonitor> monitor_;
    std::unique_ptr<PortSource> port_source_;
    std::unique_ptr<Manejo_de_Archivos> archivos_;
    std::unique_ptr<LinkController> link_;
    std::unique_ptr<records::HistoryRecording> history_;
};

}  // namespace neva
