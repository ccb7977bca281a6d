#pragma once
// neva-cli scan: finds the relays on a line (address and speed), and neva-cli clock:
// the relay clock against the computer's, and setting it. Data to `out`, messages
// to `err`; the return value is the exit status.

#include <ostream>

#include "CliArguments.h"

namespace neva::cli {

int run_scan(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_clock(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace neva::cli
