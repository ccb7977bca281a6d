#pragma once
// The commands that talk to a relay: read, write, events, metering; and the list of
// the computer's serial ports. Data goes to
// `out`, messages to `err`; the return value is the exit status.

#include <ostream>

#include "CliArguments.h"

namespace neva::cli {

int run_read(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_write(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_events(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_metering(const CliOptions& options, std::ostream& out, std::ostream& err);
// The serial ports of this computer; always exit status 0 (an empty list is an answer).
int run_ports(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace neva::cli
