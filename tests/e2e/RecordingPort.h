#pragma once
// A serial port that forwards to another one and keeps what went over the line,
// with times: every frame written and every answer taken. The end-to-end tests
// read the request order from it; the benchmark reads the transaction times.

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/SerialPort.h"

namespace neva::e2e {

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

    // The action codes of the frames written so far, in order.
    std::vector<int> actions() const;

    std::vector<Record> written;  // every write, successful or not
    std::vector<Record> taken;    // every non-empty read_all
    std::vector<Clock::time_point> receive_events;  // when each Receive event was passed on
    int lost_count = 0;           // on_lost calls passed on
    // Runs after each write has been recorded (the test may pull the plug there).
    std::function<void(const std::vector<std::uint8_t>&)> after_write;

private:
    SerialPort& inner_;
};

}  // namespace neva::e2e
