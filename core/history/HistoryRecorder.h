#pragma once
// Takes the snapshots of the settings history from what the link does: an as-found
// snapshot when the setpoint blocks have been read from the relay, an as-left
// snapshot when a write of them has been read back identical. The desktop program
// and the command-line tool run the same recorder on their link.
//
// The recorder listens to the link itself: every finished exchange, and the link's
// word that a read was a write's read-back or that a write ended read back
// identical. A snapshot holds both blocks, so it is taken only once both have come
// from the relay on this connection (never with a block left over from a file), and
// the two reads of one request (the connect reads both, one after the other) make
// one snapshot. The store may fail (a locked, read-only or damaged database): that is
// reported through on_failed and never stops or delays the link.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "history/Snapshot.h"
#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "platform/Clock.h"
#include "startup/SharedState.h"

namespace neva {

class HistoryRecorder {
public:
    struct Identity {
        std::string user;     // the computer user
        std::string program;  // "NEVA Setup 2.0.2"
        // How the line is named now ("COM 1 (/dev/ttyUSB0)").
        std::function<std::string()> port;
    };

    HistoryRecorder(LinkController& link, const SharedState& state, const RegisterImages& images, const Clock& clock,
                    SnapshotStore& store, Identity identity);
    ~HistoryRecorder();
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    // The next completed read of `block` is the read-back of a write: what it finds
    // is recorded by the write's outcome, not as an as-found read.
    void read_belongs_to_write(int block);
    // The relay holds exactly the blocks a write sent (read back identical): stores
    // the as-left snapshot.
    void writes_verified(const std::vector<int>& blocks);

    std::function<void(const Snapshot&)> on_stored;
    std::function<void(const std::string& why)> on_failed;

    // The last snapshot stored, and the last failure ("" when the last store worked).
    const Snapshot* last_stored() const { return stored_ ? &last_ : nullptr; }
    const std::string& last_error() const { return error_; }

    // Called for every finished exchange of the link (public for the tests).
    void exchange_ended(int accion, bool ok);

private:
    bool block_read_pending();
    void store(SnapshotKind kind);

    LinkController& link_;
    const SharedState& state_;
    const RegisterImages& images_;
    const Clock& clock_;
    SnapshotStore& store_;
    Identity identity_;
    int observer_ = 0;

    std::array<bool, 2> known_{};       // block came from the relay on this connection
    std::array<bool, 2> read_back_{};   // the next read of the block is a write's read-back
    Snapshot last_;
    bool stored_ = false;
    bool stored_on_line_ = false;       // a snapshot was stored since the identification
    std::string error_;
};

}  // namespace neva
