#include "history/Snapshot.h"

namespace neva {

std::string kind_text(SnapshotKind kind) { return kind == SnapshotKind::AsLeft ? "as-left" : "as-found"; }

std::optional<SnapshotKind> kind_from_text(std::string_view text) {
    if (text == "as-found") return SnapshotKind::AsFound;
    if (text == "as-left") return SnapshotKind::AsLeft;
    return std::nullopt;
}

SetpointSource snapshot_source(const Snapshot& s) {
    SetpointSource src;
    src.kind = SetpointSource::Kind::Snapshot;
    src.name = snapshot_title(s);
    src.relay_name = s.relay_name;
    src.firmware = s.firmware;
    src.port = s.port;
    src.baud = s.baud;
    src.address = s.address;
    src.read_time = s.taken_at;
    src.user = s.user;
    src.setpoints = s.setpoints;
    return src;
}

std::string snapshot_title(const Snapshot& s) {
    return "Snapshot " + std::to_string(s.id) + " (" + kind_text(s.kind) + ", " + s.taken_at + ")";
}

}  // namespace neva
