#pragma once
// The setpoints of a setpoint image as the pages show them, and the comparison of
// two images, read through the register map the pages are built from: one row per
// visible control (the hidden duplicates on the System Setup page are left out, as
// nobody ever sees them). One routine compares whatever two sources the user picks
// (a file, the working setpoints, the relay, a snapshot of the history): the compare
// window, the reports and `neva-cli diff` all list what it finds.

#include <string>
#include <vector>

#include "image/RegisterImages.h"
#include "regmap/RegisterMap.h"
#include "regmap/SetpointView.h"

namespace neva {

struct SetpointRow {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;  // the page's window caption
    SetpointView view;
};

struct SetpointComparison {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;
    SetpointView a, b;
    // Only the setpoint's own field counts: the other bits of a register that several
    // controls share belong to other rows.
    bool differs = false;
};
using SetpointDifference = SetpointComparison;

// The entries a user can see, in the order of the map.
std::vector<const RegisterMapEntry*> visible_entries(const RegisterMap& map);
std::string page_caption(const RegisterMap& map, const RegisterMapEntry& entry);

std::vector<SetpointRow> setpoint_rows(const RegisterMap& map, const SetpointImage& image);
// Every visible setpoint, both texts side by side.
std::vector<SetpointComparison> compare_setpoints(const RegisterMap& map, const SetpointImage& a,
                                                  const SetpointImage& b);
// Only the setpoints that differ.
std::vector<SetpointDifference> diff_setpoints(const RegisterMap& map, const SetpointImage& a,
                                               const SetpointImage& b);

// "SETPOINTS - System Setup / Phase CT Rating Primary: (0102)": how a setpoint is
// named in messages.
std::string setpoint_name(const RegisterMapEntry& entry, const std::string& caption);

}  // namespace neva
