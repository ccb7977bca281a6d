#pragma once
// Timers the test fires by hand: no test sleeps to wait for a timer.

#include <memory>
#include <vector>

#include "platform/Timer.h"

namespace neva::testing {

class FakeTimer : public Timer {
public:
    explicit FakeTimer(int interval = 0) : interval_(interval) {}
    void set_interval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void set_enabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    // Runs one tick if the timer is enabled; returns whether it ran.
    bool fire();

private:
    int interval_;
    bool enabled_ = false;
};

// Hands out FakeTimers and keeps a pointer to each, in order of creation.
class FakeTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> make_timer(int interval_ms) override;
    std::vector<FakeTimer*> timers;
};

}  // namespace neva::testing
