#pragma once
// show and diff: setpoint files only, no relay and no Qt. Data goes to `out`,
// messages to `err`; the return value is the exit status.

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "CliArguments.h"
#include "JsonWriter.h"
#include "compare/SetpointCompare.h"
#include "regmap/RegisterMap.h"

namespace neva::cli {

int run_show(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_diff(const CliOptions& options, std::ostream& out, std::ostream& err);

// How show and diff print, for every source of setpoints: `header` is written as
// the first keys of show's JSON object (text: "Label:\tvalue" lines); `a` and `b`
// write diff's "a" and "b" values. The exit status of diff: 0 when nothing differs.
void print_setpoints(const CliOptions& options, std::ostream& out,
                     const std::vector<std::pair<std::string, std::string>>& text_header,
                     const std::function<void(JsonWriter&)>& json_header, const std::vector<SetpointRow>& rows);
int print_differences(const CliOptions& options, std::ostream& out, const std::function<void(JsonWriter&)>& a,
                      const std::function<void(JsonWriter&)>& b, const std::vector<SetpointDifference>& diffs);

// Why a setpoint file was refused, in a few words: "no such file", ...
std::string refusal_reason(const std::string& path);

// The shipped register map, or nullptr after writing why it is unusable to `err`.
const RegisterMap* usable_register_map(std::ostream& err);

}  // namespace neva::cli
