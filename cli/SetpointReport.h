#pragma once
// The setpoints of a setpoint image as the pages show them, read through the
// register map the pages are built from: one row per visible control (the hidden
// duplicates on the System Setup page are left out, as nobody ever sees them),
// comparisons of two images, the limit and step checks a file must pass before it
// is sent, and the comparison of what was sent with what the relay holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/Registro_Archivo.h"
#include "image/RegisterImages.h"
#include "platform/MessageService.h"
#include "regmap/RegisterMap.h"
#include "regmap/SetpointView.h"

namespace neva::cli {

struct SetpointRow {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;  // the page's window caption
    SetpointView view;
};

struct SetpointDifference {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;
    SetpointView a, b;
};

struct SetpointProblem {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;
    std::int32_t raw = 0;
    std::string reason;  // "outside 5..5000", "not a multiple of its step 5", ...
};

// The entries a user can see, in the order of the map.
std::vector<const RegisterMapEntry*> visible_entries(const RegisterMap& map);

std::vector<SetpointRow> setpoint_rows(const RegisterMap& map, const SetpointImage& image);
std::vector<SetpointDifference> diff_setpoints(const RegisterMap& map, const SetpointImage& a,
                                               const SetpointImage& b);
// Every visible setpoint whose raw value the page could not have produced.
std::vector<SetpointProblem> check_setpoints(const RegisterMap& map, const SetpointImage& image);

// The bytes a setpoint write sends: block 1 without its last register 0x011B
// (positions 0..53, 27 registers) and block 2 (positions 56..99).
bool sent_bytes_equal(const SetpointImage& sent, const SetpointImage& held);
// Positions among the sent bytes where the two images differ.
std::vector<int> differing_sent_positions(const SetpointImage& sent, const SetpointImage& held);

// "SETPOINTS - System Setup / Phase CT Rating Primary: (0102)": how a setpoint is
// named in messages.
std::string setpoint_name(const RegisterMapEntry& entry, const std::string& caption);
std::string page_caption(const RegisterMap& map, const RegisterMapEntry& entry);

// "2024-05-01T10:20:30" for a file's saved date (an OLE date); "" for none (0).
std::string iso_date_time(double ole_date);
// A fixed-width header text without its blank padding on either side.
std::string trimmed(const std::string& text);

// Reads a setpoint file through the program's own load (the same checks, the same
// refusal messages through `messages`). nullopt when it was refused.
std::optional<Registro_Archivo> load_setpoint_file(const std::string& path, MessageService& messages);

}  // namespace neva::cli
