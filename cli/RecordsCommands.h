#pragma once
// report and history: settings reports of a file or of a relay, and the settings
// history the program and the tool keep. Data goes to `out`, messages to `err`; the
// return value is the exit status.

#include <ostream>

#include "CliArguments.h"

namespace neva::cli {

int run_report(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_history(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace neva::cli
