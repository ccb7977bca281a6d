#pragma once
// An interval timer driven by the one user-interface event loop. QTimer in the
// program, testing/FakeTimer (fired by hand) in tests.

#include <functional>
#include <memory>

namespace neva {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void set_interval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void set_enabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    std::function<void()> on_tick;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A new timer with the given interval, disabled.
    virtual std::unique_ptr<Timer> make_timer(int interval_ms) = 0;
};

}  // namespace neva
