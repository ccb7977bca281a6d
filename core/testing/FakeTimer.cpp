#include "testing/FakeTimer.h"

namespace neva::testing {

bool FakeTimer::fire() {
    if (!enabled_ || !on_tick) return false;
    on_tick();
    return true;
}

std::unique_ptr<Timer> FakeTimerFactory::make_timer(int interval_ms) {
    auto t = std::make_unique<FakeTimer>(interval_ms);
    timers.push_back(t.get());
    return t;
}

}  // namespace neva::testing
