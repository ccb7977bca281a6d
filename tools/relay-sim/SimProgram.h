#pragma once
// What the two simulator programs (relay and modem) do alike around their work:
// report option errors and failures under their own name, end cleanly on SIGTERM and
// SIGINT, and open the outer line (a pseudo-terminal, optionally behind a symbolic
// link, or an existing serial device).

#include <memory>
#include <string>

#include "SerialLine.h"

namespace neva::sim {

class SimProgram {
public:
    explicit SimProgram(std::string name) : name_(std::move(name)) {}

    // "<name>: <message>" and the hint to --help on standard error; the exit status 2.
    int usage_error(const std::string& message) const;
    // "<name> <version>" on standard output, as --version prints it; the exit status 0.
    int print_version() const;
    // "<name>: <message>" on standard error; the exit status 1.
    int fail(const std::string& message) const;

    // Ignores SIGPIPE (a departed peer is noticed on the line, not by a signal) and
    // makes SIGTERM and SIGINT write to a pipe the main loop polls, so that the loop
    // ends at a point of its own choosing. False (with the reason on standard error)
    // when the pipe cannot be made.
    bool catch_stop_signals();
    // Readable once a stop signal has come.
    int stop_fd() const { return stop_read_fd_; }

    // The pseudo-terminal, or the device at baud when device is not empty; with a
    // non-empty link, a symbolic link to the pseudo-terminal too. Null (the reason
    // reported) on failure.
    std::unique_ptr<SerialLine> open_line(const std::string& device, unsigned baud, const std::string& link) const;

private:
    std::string name_;
    int stop_read_fd_ = -1;
};

}  // namespace neva::sim
