#pragma once
// A simulator started from plain POSIX (fork, exec, a pipe) for the simulator tests,
// which build without Qt: reads the line path it prints first, and stops it again
// (SIGTERM, then SIGKILL if it hangs). The Qt tests use SimProcess.

#include <string>
#include <sys/types.h>
#include <vector>

namespace neva::testsupport {

class PosixSimProcess {
public:
    PosixSimProcess(const std::string& program, const std::vector<std::string>& args);
    ~PosixSimProcess();
    PosixSimProcess(const PosixSimProcess&) = delete;
    PosixSimProcess& operator=(const PosixSimProcess&) = delete;

    // The first line the program printed (its line path); empty if it never came.
    const std::string& path() const { return path_; }
    bool started() const { return !path_.empty(); }

    // Sends SIGTERM and waits; returns the exit status (-1 when it had to be killed).
    int stop();

private:
    pid_t pid_ = -1;
    std::string path_;
};

}  // namespace neva::testsupport
