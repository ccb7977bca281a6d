#pragma once
// The relay simulator as a child process for the program's tests: started with
// options, it prints its pseudo-terminal first. It can be frozen (SIGSTOP), which
// makes a relay that stops answering while its line stays in place.

#include <QProcess>
#include <QStringList>
#include <functional>

namespace neva::apptest {

class SimRelay {
public:
    SimRelay() = default;
    ~SimRelay();
    SimRelay(const SimRelay&) = delete;
    SimRelay& operator=(const SimRelay&) = delete;

    // With `log`, the simulator's request log is kept (log()) instead of silenced.
    bool start(const QStringList& args, bool log = false);
    QString log();
    QString pty() const { return pty_; }
    QString error() const { return error_; }
    void freeze();
    void thaw();
    void stop();

private:
    QProcess process_;
    QString pty_;
    QString error_;
    bool frozen_ = false;
    QString log_;
};

// Runs the event loop until the condition holds or the deadline passes; the
// deadline only keeps a broken line from hanging the run.
bool run_until(const std::function<bool()>& condition, int timeout_ms);

}  // namespace neva::apptest
