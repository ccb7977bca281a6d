#include "SimProgram.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace neva::sim {

namespace {

// Signals are the whole process's, so the pipe's write end is too.
int g_stop_write_fd = -1;

void on_signal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_stop_write_fd, &byte, 1);
}

}  // namespace

int SimProgram::usage_error(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name_.c_str(), message.c_str(), name_.c_str());
    return 2;
}

int SimProgram::print_version() const {
    std::printf("%s %s\n", name_.c_str(), NEVA_VERSION);
    return 0;
}

int SimProgram::fail(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", name_.c_str(), message.c_str());
    return 1;
}

bool SimProgram::catch_stop_signals() {
    std::signal(SIGPIPE, SIG_IGN);
    int stop_pipe[2];
    if (pipe(stop_pipe) != 0) {
        std::perror((name_ + ": pipe").c_str());
        return false;
    }
    // A burst of signals must never block the handler.
    fcntl(stop_pipe[1], F_SETFL, O_NONBLOCK);
    g_stop_write_fd = stop_pipe[1];
    stop_read_fd_ = stop_pipe[0];
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return true;
}

std::unique_ptr<SerialLine> SimProgram::open_line(const std::string& device, unsigned baud,
                                                  const std::string& link) const {
    std::string error;
    std::unique_ptr<SerialLine> line =
        device.empty() ? SerialLine::open_pseudo_terminal(error) : SerialLine::open_device(device, baud, error);
    if (!line || (!link.empty() && !line->make_link(link, error))) {
        fail(error);
        return nullptr;
    }
    return line;
}

}  // namespace neva::sim
