#pragma once
// The trend's data path: it takes a sample of the four currents from every
// measurement answer the link receives, whoever asked for it, and asks for one
// itself only when nobody else does. Its read is the metering page's own request
// (the measurement read on the actual-values channel, at the page's interval), put
// into the link's queue like the page's; it never has more than one waiting, so the
// cyclic status read keeps its turn between two readings. While the metering page
// polls, its answers feed the trend and the recorder asks for nothing.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "link/LinkController.h"
#include "platform/Clock.h"
#include "platform/Timer.h"
#include "startup/SharedState.h"
#include "trend/TrendBuffer.h"
#include "trend/TrendClock.h"

namespace neva {

// The metering page's poll interval, and so the trend's.
inline constexpr int kMeteringIntervalMs = 2000;
// How much the trend keeps.
inline constexpr std::int64_t kTrendWindowMs = 3600 * 1000;

class MeteringRecorder {
public:
    static constexpr int kMeteringAction = 4;  // measurement read, 0x0209..0x0210
    static constexpr int kPollChannel = 1;     // the actual value pages' channel

    MeteringRecorder(LinkController& link, SharedState& state, TimerFactory& timers, const Clock& clock,
                     int interval_ms = kMeteringIntervalMs);
    ~MeteringRecorder();
    MeteringRecorder(const MeteringRecorder&) = delete;
    MeteringRecorder& operator=(const MeteringRecorder&) = delete;

    // Recording on: samples are taken and, while communicating, read at the interval.
    void start();
    void stop();
    bool running() const { return running_; }

    const TrendBuffer& buffer() const { return buffer_; }
    Timer& poll_timer() { return *timer_; }
    int interval_ms() const { return interval_ms_; }

    // Called with every sample taken, after it is in the buffer.
    std::function<void(const CurrentSample&)> on_sample;

    // The four currents of the measurement block the link holds, decoded as the
    // metering page decodes them, so both show the same numbers.
    static std::array<Fixed4, kCurrentChannels> decode_currents(NEVA200& neva);

    // The poll timer's tick: queues a measurement read unless one is waiting or
    // another poller's answers are coming.
    void tick();

private:
    void answered(int accion, bool ok);
    void take_sample();
    bool read_waiting();

    LinkController& link_;
    SharedState& state_;
    const Clock& clock_;
    TrendClock stamps_;
    std::unique_ptr<Timer> timer_;
    TrendBuffer buffer_;
    int interval_ms_;
    int listener_ = -1;
    bool running_ = false;
    bool own_read_waiting_ = false;
    // When a measurement answer last came that the recorder had not asked for.
    std::optional<std::int64_t> other_answer_ms_;
};

}  // namespace neva
