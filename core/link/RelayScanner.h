#pragma once
// Finds relays on a line whose speed or slave address is not known: it sends the
// identification read (function 04 of 0000, three registers) at each speed of a list
// to each address of a range, waits a short time for each answer, and keeps every
// device whose answer passes the link's own answer check. It only reads: no write or
// command ever goes out, so a scan cannot change anything in a relay it reaches.
//
// Driven by the port's receive event and one timer, on the event loop like the link;
// it works on any kind of port behind the SerialPort interface. It owns the port's
// events while it exists: give it a port of its own, not the link's.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/Frames.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"

namespace neva {

struct ScanPlan {
    std::vector<int> speeds;  // tried in this order
    int first_address = 1;
    int last_address = 247;

    int tries() const;
};

struct FoundRelay {
    int address = 0;
    int speed = 0;
    std::array<unsigned, 3> words{};  // identification words
    std::string version;              // firmware, "1.03"
    bool supported = false;           // a model and firmware this program works with
};

enum class ScanEnd {
    Completed,   // every speed and address tried
    Cancelled,   // cancel() before the end
    PortFailed,  // the port could not be opened at some speed
    PortLost,    // the device went away during the scan
};

class RelayScanner {
public:
    RelayScanner(SerialPort& port, TimerFactory& timers);
    ~RelayScanner();
    RelayScanner(const RelayScanner&) = delete;
    RelayScanner& operator=(const RelayScanner&) = delete;

    // The program's speeds, the relay's default first: a relay left as delivered is
    // found in the first part of the scan.
    static std::vector<int> default_speeds();
    static ScanPlan default_plan();
    // How long one try waits for its answer at a speed: the request and the answer on
    // the wire, plus the time a relay takes to turn round.
    static int try_timeout_ms(int speed);
    // How long a plan takes on a line where nothing answers (the longest it can take).
    static std::int64_t estimate_ms(const ScanPlan& plan);

    // Starts the scan on the port (its number or target set by the caller; the scan
    // sets the speed). False when a scan is running or the plan has nothing to try.
    bool start(const ScanPlan& plan);
    // Stops at once; on_finished(Cancelled) runs. Nothing when no scan runs.
    void cancel();
    bool running() const { return running_; }

    const std::vector<FoundRelay>& found() const { return found_; }
    int tries_done() const { return done_; }
    int tries_total() const { return plan_.tries(); }
    int current_speed() const;
    int current_address() const { return address_; }

    // A try is about to go out.
    std::function<void(int speed, int address)> on_try;
    // A relay answered (as soon as it does).
    std::function<void(const FoundRelay&)> on_found;
    std::function<void(ScanEnd)> on_finished;

private:
    bool open_at_current_speed();
    void send_try();
    void answer_arrived();
    void try_timed_out();
    void next_try();
    // Keeps an identification answer when it is one; true when it was.
    bool take_answer(const std::vector<std::uint8_t>& answer);
    void record(int address, const std::vector<std::uint8_t>& answer);
    void finish(ScanEnd end);

    SerialPort& port_;
    std::unique_ptr<Timer> timer_;
    ScanPlan plan_;
    std::size_t speed_index_ = 0;
    int address_ = 0;
    int done_ = 0;
    bool running_ = false;
    bool awaiting_ = false;
    ExpectedAnswer expected_;
    std::vector<FoundRelay> found_;
};

}  // namespace neva
