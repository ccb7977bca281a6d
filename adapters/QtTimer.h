#pragma once
// An interval timer of the program on QTimer, ticking in the one event loop.

#include <QTimer>

#include "platform/Timer.h"

namespace neva {

class QtTimer : public Timer {
public:
    explicit QtTimer(int interval_ms = 0);
    ~QtTimer() override;
    QtTimer(const QtTimer&) = delete;
    QtTimer& operator=(const QtTimer&) = delete;

    void set_interval(int milliseconds) override;
    int interval() const override { return timer_.interval(); }
    // Enabling a running timer leaves its count alone, as the link expects of an
    // interval timer; a new interval restarts the count.
    void set_enabled(bool enabled) override;
    bool enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

}  // namespace neva
