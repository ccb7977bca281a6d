#pragma once
// A serial port in front of another one that keeps what went over the line,
// with the steady clock's times: every frame written and every answer taken. The
// benchmark reads the transaction times from it, finer than the line monitor's
// milliseconds.

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/ForwardingPort.h"

namespace neva::bench {

class RecordingPort : public ForwardingPort {
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

    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;

    std::vector<Record> written;  // every write, successful or not
    std::vector<Record> taken;    // every non-empty read_all
    std::vector<Clock::time_point> receive_events;  // when each Receive event was passed on
};

}  // namespace neva::bench
