#pragma once
// The one serial port the link owns, whatever carries its bytes: it passes every call
// to the port of the chosen target — the port of the program's numbering for "COM n"
// (NEVA_COM<n> and all), or a port made for a serial device path, a serial device
// server (tcp://) or a Modbus TCP gateway (mbtcp://). The target is handed over
// before the link opens the port and takes effect at that open, so the link's own
// steps (close, set number and speed, open) stay as they are.

#include <functional>
#include <memory>
#include <string>

#include "net/PortTarget.h"
#include "platform/ForwardingPort.h"

namespace neva {

class PortSwitch : public ForwardingPort {
public:
    // Makes the port for a target that is not a numbered port; null when that kind
    // cannot be served here.
    using Factory = std::function<std::unique_ptr<SerialPort>(const PortTarget&)>;

    PortSwitch(std::unique_ptr<SerialPort> numbered, Factory factory);
    ~PortSwitch() override;

    void set_target(const PortTarget& target) { target_ = target; }
    const PortTarget& target() const { return target_; }
    // The port the last open() used (the numbered port before any open).
    SerialPort& active() { return inner(); }
    SerialPort& numbered() { return *numbered_; }

    // Number, settings and DTR are kept here and handed to whichever port the next
    // open() uses; every other call goes to the active port.
    void set_port_number(int number) override { number_ = number; }
    int port_number() const override { return number_; }
    void set_settings(const std::string& s) override { settings_ = s; }
    std::string settings() const override { return settings_; }
    bool open() override;
    void set_dtr(bool on) override;
    std::string diagnosis() const override;
    std::string device_text() const override;
    std::string open_failure() const override { return failure_.empty() ? inner().open_failure() : failure_; }

private:
    void attach(SerialPort& port);

    std::unique_ptr<SerialPort> numbered_;
    Factory factory_;
    std::unique_ptr<SerialPort> other_;
    PortTarget other_target_;
    PortTarget target_;
    int number_ = 0;
    std::string settings_ = "9600,N,8,1";
    bool dtr_ = false;
    std::string failure_;  // why the last open() could not even make a port
};

}  // namespace neva
