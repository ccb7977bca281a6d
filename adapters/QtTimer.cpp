#include "adapters/QtTimer.h"

namespace neva {

namespace {

// The link's 10 ms settling delay sits in every transaction; a coarse timer may
// fire it late by a few per cent, which shows as lost line time at high speeds.
Qt::TimerType timer_type_for(int interval_ms) {
    return interval_ms < 100 ? Qt::PreciseTimer : Qt::CoarseTimer;
}

}  // namespace

QtTimer::QtTimer(int interval_ms) {
    timer_.setSingleShot(false);
    timer_.setInterval(interval_ms < 0 ? 0 : interval_ms);
    timer_.setTimerType(timer_type_for(timer_.interval()));
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (on_tick) on_tick();
    });
}

QtTimer::~QtTimer() {
    on_tick = nullptr;
    timer_.stop();
}

void QtTimer::set_interval(int milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    const bool running = timer_.isActive();
    timer_.setTimerType(timer_type_for(milliseconds));
    timer_.setInterval(milliseconds);
    if (running) timer_.start();  // the type takes effect on (re)start
}

void QtTimer::set_enabled(bool enabled) {
    if (enabled) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

}  // namespace neva
