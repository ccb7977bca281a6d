#include "adapters/QtTimerFactory.h"

#include "adapters/QtTimer.h"

namespace neva {

std::unique_ptr<Timer> QtTimerFactory::make_timer(int interval_ms) {
    return std::make_unique<QtTimer>(interval_ms);
}

}  // namespace neva
