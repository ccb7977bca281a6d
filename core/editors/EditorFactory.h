#pragma once
// Builds the model of a numeric editor from its stored property set, the way a page
// creates its controls from the register map.

#include <memory>

#include "editors/NumericEditor.h"

namespace neva {

// A SingleRangeEditor for Byte_UnR/Word_UnR, a MultiRangeEditor for Word_DosR/
// Word_TresR; nullptr for the other kinds (bit fields, check boxes, list box).
std::unique_ptr<NumericEditor> make_numeric_editor(ControlKind kind, const PropertyStore& props,
                                                   RegisterImages& images, CalcHandover& calc);

}  // namespace neva
