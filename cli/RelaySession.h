#pragma once
// One conversation with a relay from the command line: the desktop program's own
// link engine (LinkController with its queues, time-outs and failure count) on the
// Qt serial port and timers, driven by a Qt Core event loop until the work asked
// for is done, the link gives up, or the command's deadline passes. It never hangs:
// a relay that does not answer ends in the link's communication error (five
// unanswered requests), and the deadline guards against anything else.

#include <QDeadlineTimer>
#include <QEventLoop>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "CliArguments.h"
#include "CliMessages.h"
#include "HistoryRecording.h"
#include "IsoDateClock.h"
#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "monitor/LineMonitor.h"
#include "net/PortSwitch.h"
#include "adapters/QtSerialPort.h"
#include "adapters/QtTimerFactory.h"
#include "startup/SharedState.h"

namespace neva::cli {

// "/dev/pts/3", "COM 1 (/dev/ttyUSB0)", "tcp://host:4001": the port as messages,
// reports and the history name it.
std::string port_name(const PortChoice& port);

class RelaySession {
public:
    RelaySession(const CliOptions& options, std::ostream& err);
    ~RelaySession();
    RelaySession(const RelaySession&) = delete;
    RelaySession& operator=(const RelaySession&) = delete;

    // Opens the port and runs the connect sequence: identification, both setpoint
    // blocks, the actual values and the event record. True once the relay has been
    // identified and every one of those requests has been answered. On failure the
    // reason has been written to the error stream.
    bool connect();
    // Sends the edit image's setpoint blocks as one group (each written, confirmed
    // and read back before the next) and waits until the group has ended. True when
    // the link is still up; what each block came to is in neva().writes(), and a
    // group that did not end verified has said what the relay holds.
    bool send_setpoints(const std::vector<int>& blocks);
    // Queues one action on channel 0 and waits until it has been answered (requests
    // the link queues by itself while answering it included).
    bool run_action(int accion);
    // Leaves the line as OFF does and closes the port.
    void disconnect();
    // Gives the work from now on the whole --timeout again (a watch that runs for
    // hours times out each reading, not the run).
    void renew_deadline() { deadline_.setRemainingTime(std::chrono::seconds(options_.timeout_s)); }
    // Ends the wait in hand at once, and every later one, without a failure message:
    // the user stopped the command.
    void interrupt();

    SharedState& state() { return state_; }
    RegisterImages& images() { return images_; }
    NEVA200& neva() { return link_->NEVA(); }
    CliMessages& messages() { return messages_; }
    const Clock& clock() const { return clock_; }
    // "address 1 on /dev/pts/3 at 9600 baud"
    std::string describe_line() const;
    std::string port_name() const { return cli::port_name(*options_.port); }

private:
    bool wait_until_idle(const std::string& what);
    bool finished() const;
    bool idle() const;
    void report_failure(const std::string& what);
    void on_completion(bool ok);

    CliOptions options_;
    std::ostream& err_;
    CliMessages messages_;
    IsoDateClock clock_;
    SharedState state_;
    RegisterImages images_;
    QtTimerFactory timers_;
    // The link drives the monitor, the monitor the switch, the switch the port of
    // the --port given (serial, device server or Modbus TCP gateway).
    std::unique_ptr<PortSwitch> switch_;
    std::unique_ptr<LineMonitor> monitor_;
    std::unique_ptr<LinkController> link_;
    // The settings history of this run: as-found snapshots of the relay's reads,
    // as-left snapshots of verified writes. A failure is a warning on the error stream.
    std::unique_ptr<records::HistoryRecording> history_;
    std::function<void(bool)> link_completion_;

    QDeadlineTimer deadline_;
    QEventLoop* loop_ = nullptr;
    bool interrupted_ = false;  // the user ended the command (Ctrl+C)
    bool lost_ = false;        // the link gave up (communication error or port gone)
    bool was_online_ = false;  // some answer had been good
    int last_action_ = 0;
};

}  // namespace neva::cli
