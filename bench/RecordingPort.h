#pragma once
// A serial port that forwards to another one and keeps what went over the line,
// with the steady clock's times: every frame written and every answer taken. The
// benchmark reads the transaction times from it, finer than the line monitor's
// milliseconds.

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/SerialPort.h"

namespace neva::bench {

class RecordingPort : public SerialPort {
public:
    using Clock = std::chrono::steady_clock;
    struct Record {
        std::vector<std::uint8_t> bytes;
        Clock::time_point at;
    };

    // Action code a request frame belongs to: 2, 4, 5, 6, 30, 60, 90, 91 (reads),
    // 61, 62 (setpoint reads), 27, 28, 93 (writes), 31 for any event selection,
    // 11, 12, 13, 92 (commands, by coil); -1 for anything else.
    static int action_of(const std::vector<std::uint8_t>& frame);

    explicit RecordingPort(SerialPort& inner);
    ~RecordingPort() override;

    void set_port_number(int number) override { inner_.set_port_number(number); }
    int port_number() const override { return inner_.port_number(); }
    void set_settings(const std::string& s) override { inner_.set_settings(s); }
    std::string settings() const override { return inner_.settings(); }
    bool open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool is_open() const override { return inner_.is_open(); }
    std::size_t bytes_waiting() const override { return inner_.bytes_waiting(); }
    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;
    void clear_buffers() override { inner_.clear_buffers(); }
    void set_dtr(bool on) override { inner_.set_dtr(on); }
    void set_receive_threshold(int bytes) override { inner_.set_receive_threshold(bytes); }
    void set_send_threshold(int bytes) override { inner_.set_send_threshold(bytes); }

    std::vector<Record> written;  // every write, successful or not
    std::vector<Record> taken;    // every non-empty read_all
    std::vector<Clock::time_point> receive_events;  // when each Receive event was passed on

private:
    SerialPort& inner_;
};

}  // namespace neva::bench
