#include "SetpointReport.h"

#include "link/SetpointWrites.h"

namespace neva::cli {

namespace {

// Setpoint bytes that a write of blocks 1 and 2 carries.
bool is_sent_position(std::size_t p) {
    for (int block : {1, 2}) {
        const auto [first, end] = sent_range(block);
        if (p >= first && p < end) return true;
    }
    return false;
}

}  // namespace

std::vector<SetpointProblem> check_setpoints(const RegisterMap& map, const SetpointImage& image) {
    std::vector<SetpointProblem> out;
    for (const RegisterMapEntry* e : visible_entries(map)) {
        const std::int32_t raw = setpoint_field_value(*e, image);
        if (auto reason = check_setpoint(*e, raw)) out.push_back({e, page_caption(map, *e), raw, *reason});
    }
    return out;
}

bool sent_bytes_equal(const SetpointImage& sent, const SetpointImage& held) {
    return differing_sent_positions(sent, held).empty();
}

std::vector<int> differing_sent_positions(const SetpointImage& sent, const SetpointImage& held) {
    std::vector<int> out;
    for (std::size_t p = 0; p < sent.size(); ++p)
        if (is_sent_position(p) && sent[p] != held[p]) out.push_back(static_cast<int>(p));
    return out;
}

}  // namespace neva::cli
