#pragma once
// One entry of the settings history: both setpoint blocks as a relay held them, and
// when, where and by whom that was seen. An as-found snapshot is taken when the
// program reads the setpoint blocks from a relay, an as-left snapshot when a write
// of them has been read back identical.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compare/SetpointSource.h"
#include "image/RegisterImages.h"

namespace neva {

enum class SnapshotKind { AsFound, AsLeft };

// "as-found", "as-left": how the kinds are written in the database, the lists and
// the JSON of the tool.
std::string kind_text(SnapshotKind kind);
std::optional<SnapshotKind> kind_from_text(std::string_view text);

struct Snapshot {
    std::int64_t id = 0;  // given by the store
    std::string taken_at;  // local time, ISO 8601 ("2026-12-06T12:00:00")
    SnapshotKind kind = SnapshotKind::AsFound;
    std::string relay_name;
    std::string port;  // as the line was named: "COM 1 (/dev/ttyUSB0)", "/dev/pts/4"
    int baud = 0;
    int address = 0;
    std::string firmware;
    std::string user;     // the computer user who ran the program
    std::string program;  // "NEVA Setup 2.0.2", "neva-cli 2.0.2"
    // Both blocks at their places in a setpoint image (bytes 0..99); the rest zero.
    SetpointImage setpoints{};
};

// The snapshot as a source of setpoints for reports and comparisons.
SetpointSource snapshot_source(const Snapshot& s);
// "Snapshot 12 (as-found, 2026-12-06T12:00:00)".
std::string snapshot_title(const Snapshot& s);

// Where snapshots are kept. A store that fails says why in `error`; the program
// goes on with its read or write all the same.
class SnapshotStore {
public:
    virtual ~SnapshotStore() = default;
    // Stores the snapshot as one whole and sets its id; false when nothing was stored.
    virtual bool add(Snapshot& snapshot, std::string& error) = 0;
};

}  // namespace neva
