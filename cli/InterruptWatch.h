#pragma once
// Ctrl+C (SIGINT) and SIGTERM as an event of the Qt event loop, so that a command
// that runs until interrupted ends its work cleanly: the line left as OFF leaves
// it, the output flushed, exit status 0. The signal handler only writes a byte to
// a pipe (the one thing a handler may safely do); a socket notifier on the loop
// reads it. No thread. The signals' earlier handling comes back on destruction.

#include <functional>
#include <memory>

class QObject;

namespace neva::cli {

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool requested() const;
    // Runs on the event loop when the signal comes (for example to quit a wait).
    std::function<void()> on_interrupt;

private:
    void fire();
    std::unique_ptr<QObject> notifier_;
    bool requested_ = false;
};

}  // namespace neva::cli
