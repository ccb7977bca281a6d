#pragma once
// The relay simulator as a child process: started with the given options, it
// prints the pseudo-terminal it opened on its first line of output.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace neva::e2e {

class RelaySimProcess {
public:
    // The simulator binary: NEVA_RELAY_SIM from the environment when set, otherwise
    // the one built with this program.
    explicit RelaySimProcess(QString program = {});
    ~RelaySimProcess();
    RelaySimProcess(const RelaySimProcess&) = delete;
    RelaySimProcess& operator=(const RelaySimProcess&) = delete;

    static QString default_program();

    // Starts the simulator and waits (bounded) for its pseudo-terminal path.
    bool start(const QStringList& arguments, int timeout_ms = 10000);
    QString pty_path() const { return pty_path_; }
    QString error() const { return error_; }
    bool running() const { return process_.state() != QProcess::NotRunning; }

    // Ends the simulator at once (SIGKILL): its side of the line simply vanishes.
    void kill();
    // Asks it to end, then makes sure.
    void stop();

private:
    QString program_;
    QProcess process_;
    QString pty_path_;
    QString error_;
};

}  // namespace neva::e2e
