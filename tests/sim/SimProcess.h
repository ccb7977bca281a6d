#pragma once
// Starts a simulator program as a child process, reads the line path it prints
// first, and stops it again (SIGTERM, then SIGKILL if it hangs).

#include <string>
#include <sys/types.h>
#include <vector>

namespace neva::simtest {

class SimProcess {
public:
    SimProcess(const std::string& program, const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The first line the program printed (its line path); empty if it never came.
    const std::string& path() const { return path_; }
    bool started() const { return !path_.empty(); }

    // Sends SIGTERM and waits; returns the exit status (-1 when it had to be killed).
    int stop();

private:
    pid_t pid_ = -1;
    std::string path_;
};

}  // namespace neva::simtest
