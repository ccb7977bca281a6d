#pragma once
// Number and unit texts of one measured value, as the actual value pages show them
// side by side. Electrical quantities get a decimal prefix ("K", "M", "G") so that
// the number stays below 1000; other quantities get a fixed format and unit.

#include <cstdint>
#include <string>

#include "image/ValueFormat.h"

namespace neva {

// kind: 0 prefix only, 1 "A", 2 "V", 3 "W", 4 "VA", 5 "VAR" (ranged); 6 "KW/H",
// 7 "KVAR/H" ("#####0"); 8 "%", 9 "Hz" ("###0.00"); 10 plain number; 11 power factor
// ("Lead" below zero, else "Lag"); 12 "Hr(s)", 13 "Year(s)", 14 "ºC" (plain number);
// any other kind is ranged with the kind's decimal text as its unit.
// Writes both texts on every call, whatever the value.
void AutoRango(std::int32_t kind, std::string& text, std::string& unit, Fixed4 value);

}  // namespace neva
