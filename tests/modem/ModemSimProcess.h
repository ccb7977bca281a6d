#pragma once
// The modem simulator as a child process: started with the given options, it
// prints the pseudo-terminal it opened on its first line of output.

#include <QByteArray>
#include <QProcess>

#include <string>
#include <QString>
#include <QStringList>

namespace neva::modemtest {

class ModemSimProcess {
public:
    ModemSimProcess();
    ~ModemSimProcess();
    ModemSimProcess(const ModemSimProcess&) = delete;
    ModemSimProcess& operator=(const ModemSimProcess&) = delete;

    // NEVA_MODEM_SIM from the environment when set, otherwise the one built here.
    static QString program();

    // Starts the simulator and waits (bounded) for its pseudo-terminal path.
    bool start(const QStringList& arguments, int timeout_ms = 10000);
    QString pty_path() const { return pty_path_; }
    QString error() const { return error_; }
    void stop();

    // Every byte the modem has received from the computer so far, in order, from
    // the simulator's log; waits (bounded, running the event loop) until the bytes
    // end with `tail` or `timeout_ms` has passed.
    std::string received(const std::string& tail = {}, int timeout_ms = 3000);

private:
    QProcess process_;
    QString pty_path_;
    QString error_;
    QByteArray log_;
};

}  // namespace neva::modemtest
