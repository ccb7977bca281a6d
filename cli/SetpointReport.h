#pragma once
// What the tool adds to the program's setpoint rows and comparisons
// (compare/SetpointCompare.h): the limit and step checks a file must pass before it
// is sent, the comparison of what was sent with what the relay holds, and the
// setpoint file load of the file commands.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/SetpointCompare.h"
#include "compare/SetpointSource.h"
#include "files/Registro_Archivo.h"
#include "image/RegisterImages.h"
#include "platform/MessageService.h"
#include "regmap/RegisterMap.h"
#include "regmap/SetpointView.h"

namespace neva::cli {

struct SetpointProblem {
    const RegisterMapEntry* entry = nullptr;
    std::string caption;
    std::int32_t raw = 0;
    std::string reason;  // "outside 5..5000", "not a multiple of its step 5", ...
};

// Every visible setpoint whose raw value the page could not have produced.
std::vector<SetpointProblem> check_setpoints(const RegisterMap& map, const SetpointImage& image);

// The bytes a setpoint write sends: block 1 without its last register 0x011B
// (positions 0..53, 27 registers) and block 2 (positions 56..99).
bool sent_bytes_equal(const SetpointImage& sent, const SetpointImage& held);
// Positions among the sent bytes where the two images differ.
std::vector<int> differing_sent_positions(const SetpointImage& sent, const SetpointImage& held);

}  // namespace neva::cli
