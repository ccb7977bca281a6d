#pragma once
// A setpoint of the register map seen without any window: the text its page shows
// for a setpoint image and its raw field value, and whether a raw value is one the
// page could have produced (inside the limits, on the step grid, a listed choice).
// The command-line tool, reports and file comparisons are built on these.

#include <cstdint>
#include <optional>
#include <string>

#include "image/RegisterImages.h"
#include "regmap/RegisterMap.h"

namespace neva {

struct SetpointView {
    std::string display;   // exactly as the page shows it ("2.5 Sec", "IEC  A Normal Inv")
    std::int32_t raw = 0;  // the field value: register field, bit-field value, check bits
};

// Raw field value of an entry in a setpoint image: the editor's field for the
// numeric editors, the decoded bit field for bit fields and the list box, bits 0..3
// for a check box group.
std::int32_t setpoint_field_value(const RegisterMapEntry& entry, const SetpointImage& image);

// Display and raw value as the page shows the entry for this image (its stored
// setpoints). A bit field or list value with no name shows as an empty text; a check
// box group as "[x] Trip [ ] Aux 1 [ ] Aux 2 [x] Aux 3".
SetpointView view_setpoint(const RegisterMapEntry& entry, const SetpointImage& image);

// What is wrong with a raw value for an entry: nullopt when the page could show and
// produce it (numeric: inside Min..Max and a whole multiple of the step of the range
// that holds it, as the numeric entry dialog checks; bit field: index x Paso of a
// listed name; list box: a listed name; check group: always).
std::optional<std::string> check_setpoint(const RegisterMapEntry& entry, std::int32_t raw);

}  // namespace neva
