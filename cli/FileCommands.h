#pragma once
// show and diff: setpoint files only, no relay and no Qt. Data goes to `out`,
// messages to `err`; the return value is the exit status.

#include <ostream>
#include <string>

#include "CliArguments.h"
#include "regmap/RegisterMap.h"

namespace neva::cli {

int run_show(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_diff(const CliOptions& options, std::ostream& out, std::ostream& err);

// Why a setpoint file was refused, in a few words: "no such file", ...
std::string refusal_reason(const std::string& path);

// The shipped register map, or nullptr after writing why it is unusable to `err`.
const RegisterMap* usable_register_map(std::ostream& err);

}  // namespace neva::cli
