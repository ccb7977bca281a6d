#pragma once
// A simulator (relay or modem) as a child process of a Qt test. The simulator
// prints the pseudo-terminal it opened on its first line of output; everything it
// prints after that is drained so its pipe never fills. What it writes on its
// standard error is either forwarded to the test log or kept for the test to read
// (the simulators log the requests they receive there).

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace neva::testsupport {

class SimProcess {
public:
    enum class ErrorOutput { Forward, Keep };

    explicit SimProcess(QString program, ErrorOutput error_output = ErrorOutput::Forward);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // NEVA_RELAY_SIM / NEVA_MODEM_SIM from the environment when set, otherwise the
    // simulators built with this program.
    static QString relay_program();
    static QString modem_program();

    // Starts the simulator and waits (bounded) for its pseudo-terminal path.
    bool start(const QStringList& arguments, int timeout_ms = 10000);
    QString pty_path() const { return pty_path_; }
    QString error() const { return error_; }
    bool running() const { return process_.state() != QProcess::NotRunning; }

    // The standard error kept so far (ErrorOutput::Keep); waits up to wait_ms for
    // more when nothing new has come.
    const QByteArray& error_output(int wait_ms = 0);

    // SIGSTOP / SIGCONT: a relay that stops answering while its line stays open.
    void freeze();
    void thaw();
    // Ends the simulator at once (SIGKILL): its side of the line simply vanishes.
    void kill();
    // SIGTERM, then SIGKILL if it does not end in time.
    void stop();

private:
    QString program_;
    QProcess process_;
    QString pty_path_;
    QString error_;
    QByteArray error_output_;
    bool frozen_ = false;
};

}  // namespace neva::testsupport
