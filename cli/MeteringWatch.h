#pragma once
// neva-cli metering --watch: the relay's four currents read again and again, one
// row per reading, until N rows or Ctrl+C. The reading is the one the metering page
// asks for, run through the program's link engine like every other relay command.

#include <ostream>

#include "CliArguments.h"

namespace neva::cli {

int run_metering_watch(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace neva::cli
