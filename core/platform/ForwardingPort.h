#pragma once
// A serial port that stands in front of another one and passes every call on to it.
// The ports that watch or steer the line (the line monitor, the port switch) derive
// from it and take over only the calls they change, so that a call added to
// SerialPort reaches the port behind them without each of them forwarding it by
// hand (a forgotten one would silently answer SerialPort's empty default).
// The events of the port behind are for the derived port to pass on.

#include "platform/SerialPort.h"

namespace neva {

class ForwardingPort : public SerialPort {
public:
    ForwardingPort(const ForwardingPort&) = delete;
    ForwardingPort& operator=(const ForwardingPort&) = delete;

    void set_port_number(int number) override { inner_->set_port_number(number); }
    int port_number() const override { return inner_->port_number(); }
    void set_settings(const std::string& s) override { inner_->set_settings(s); }
    std::string settings() const override { return inner_->settings(); }
    bool open() override { return inner_->open(); }
    void close() override { inner_->close(); }
    bool is_open() const override { return inner_->is_open(); }
    std::size_t bytes_waiting() const override { return inner_->bytes_waiting(); }
    std::vector<std::uint8_t> read_all() override { return inner_->read_all(); }
    bool write(const std::vector<std::uint8_t>& bytes) override { return inner_->write(bytes); }
    void clear_buffers() override { inner_->clear_buffers(); }
    void set_dtr(bool on) override { inner_->set_dtr(on); }
    void set_receive_threshold(int bytes) override { inner_->set_receive_threshold(bytes); }
    void set_send_threshold(int bytes) override { inner_->set_send_threshold(bytes); }
    std::string diagnosis() const override { return inner_->diagnosis(); }
    std::string device_text() const override { return inner_->device_text(); }
    std::string open_failure() const override { return inner_->open_failure(); }

protected:
    explicit ForwardingPort(SerialPort& inner) : inner_(&inner) {}
    // The port the calls go to.
    SerialPort& inner() const { return *inner_; }
    void forward_to(SerialPort& inner) { inner_ = &inner; }

private:
    SerialPort* inner_;
};

}  // namespace neva
