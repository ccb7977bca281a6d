#pragma once
// Reads both setpoint blocks from the relay now, for a window that needs the relay
// as it is (a report of the relay, a comparison with it) rather than as it was last
// read. The reads go through the link's queue like a page's; the read fills the
// stored and the edit image, as every read of the relay does. Done is called once:
// with the relay's setpoints when both blocks came back, with nothing when the link
// went offline first.

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "compare/SetpointSource.h"

namespace neva {

class AppContext;

class RelayRead : public QObject {
    Q_OBJECT
public:
    explicit RelayRead(AppContext& ctx, QObject* parent = nullptr);
    ~RelayRead() override;

    // Queues the reads; false (nothing queued, done never called) when not communicating.
    using Done = std::function<void(const std::optional<SetpointSource>& relay)>;
    bool start(Done done);
    bool running() const { return observer_.has_value(); }
    // Checks whether the link is still up (the watch timer's tick; public for tests).
    void check_link();

private:
    void finish(bool ok);

    AppContext& ctx_;
    Done done_;
    std::optional<int> observer_;  // the link's listener while reading
    bool block1_ = false, block2_ = false;
    QTimer watch_;
};

}  // namespace neva
