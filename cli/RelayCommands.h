#pragma once
// The commands that talk to a relay: read, write, events, metering. Data goes to
// `out`, messages to `err`; the return value is the exit status.

#include <ostream>

#include "CliArguments.h"

namespace neva::cli {

int run_read(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_write(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_events(const CliOptions& options, std::ostream& out, std::ostream& err);
int run_metering(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace neva::cli
