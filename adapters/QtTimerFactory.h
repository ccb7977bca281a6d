#pragma once
// Hands out QtTimers to the link controller and the windows.

#include "platform/Timer.h"

namespace neva {

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> make_timer(int interval_ms) override;
};

}  // namespace neva
