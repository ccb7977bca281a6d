#pragma once
// The serial port as the link and the modem programming need it. The Qt layer
// implements it on QSerialPort; tests use testing/FakePort.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace neva {

class SerialPort {
public:
    // Kinds of port event; the numbers are those the relay link was written against.
    enum class Event { Send = 1, Receive = 2 };

    virtual ~SerialPort() = default;

    virtual void set_port_number(int number) = 0;
    virtual int port_number() const = 0;
    // "9600,N,8,1": speed, parity, data bits, stop bits.
    virtual void set_settings(const std::string& settings) = 0;
    virtual std::string settings() const = 0;
    // Opens the device of the current port number; false (never an exception) on failure.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool is_open() const = 0;

    virtual std::size_t bytes_waiting() const = 0;
    // Takes every waiting byte out of the input buffer.
    virtual std::vector<std::uint8_t> read_all() = 0;
    virtual bool write(const std::vector<std::uint8_t>& bytes) = 0;
    bool write_text(const std::string& text) {
        return write(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    virtual void clear_buffers() = 0;
    virtual void set_dtr(bool on) = 0;

    // A Receive event fires once when at least `bytes` wait in the input (0 = never);
    // a Send event fires once when the output has drained (0 = never).
    virtual void set_receive_threshold(int bytes) = 0;
    virtual void set_send_threshold(int bytes) = 0;

    // What the port itself knows about a line that stopped carrying answers, in a
    // sentence for the user ("the connection to 10.0.0.5:4001 was refused"); empty
    // when it knows nothing beyond what the link saw.
    virtual std::string diagnosis() const { return {}; }

    // Set by the owner of the port (the link controller).
    std::function<void(Event)> on_event;
    // The device went away while open (a USB adapter pulled out). The port is closed
    // by the time this runs.
    std::function<void()> on_lost;
};

}  // namespace neva
