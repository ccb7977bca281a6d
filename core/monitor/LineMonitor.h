#pragma once
// The line monitor: a serial port that stands between the link and the real port
// and watches every frame that goes over the line. Each request sent and each answer
// read is time-stamped, tied to the request it belongs to (the link's action and the
// register asked for) and judged (good, bad CRC, wrong address, exception, too
// short, time-out). It keeps a ring of the last frames and running counters; a
// window or the command line's trace shows them. It changes nothing in what goes
// over the line, nor when.
//
// A time-out needs no hook into the link: the link reads an answer only after the
// port's receive event, so bytes taken without that event are bytes the link is
// throwing away before its next request, and a request that never had its receive
// event by the time the next one goes out was given up.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/FrameVerdict.h"
#include "platform/Clock.h"
#include "platform/ForwardingPort.h"

namespace neva {

struct LineEntry {
    enum class Direction { Sent, Received, None };  // None: a time-out, no bytes
    std::int64_t time_ms = 0;   // since the monitor was made
    Direction direction = Direction::Sent;
    std::vector<std::uint8_t> bytes;
    int action = 0;             // the link's action code, 0 when unknown
    RequestInfo request;        // the request the frame belongs to
    AnswerVerdict verdict{Verdict::Request, 0};
    std::int64_t answer_ms = -1;  // answers and time-outs: time since the request was sent
    bool repeat = false;        // a request sent again after its exchange failed
    bool late = false;          // an answer read after the link had given its request up
};

struct LineCounters {
    std::uint64_t requests = 0;
    std::uint64_t good = 0;
    std::uint64_t timeouts = 0;
    std::uint64_t crc_errors = 0;
    std::uint64_t other_errors = 0;  // wrong address, exception, too short or long, stray, line lost
    std::uint64_t repeats = 0;
    std::int64_t answer_ms_total = 0;
    std::int64_t worst_answer_ms = 0;
    double mean_answer_ms() const { return good ? static_cast<double>(answer_ms_total) / good : 0.0; }
};

class LineMonitor : public ForwardingPort {
public:
    static constexpr std::size_t kDefaultCapacity = 5000;

    LineMonitor(SerialPort& inner, const Clock& clock, std::size_t capacity = kDefaultCapacity);
    ~LineMonitor() override;

    // ---- SerialPort: every other call goes to the port behind ----
    bool open() override;
    void close() override;
    std::vector<std::uint8_t> read_all() override;
    bool write(const std::vector<std::uint8_t>& bytes) override;

    // ---- The monitor ----
    // Asked for the link's current action code each time a request goes out.
    std::function<int()> current_action;
    // Every entry as it is recorded (not while paused).
    std::function<void(const LineEntry&)> on_entry;

    // While paused nothing new enters the ring; the counters keep running.
    void set_paused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    // Empties the ring and sets the counters to zero.
    void clear();
    const std::deque<LineEntry>& entries() const { return entries_; }
    const LineCounters& counters() const { return counters_; }
    std::size_t capacity() const { return capacity_; }

    // One line of text per entry, the same in the window, a saved file and the trace:
    // "   12389  TX  01 04 02 03 00 06 D1 B3  status: read 0203 x6"
    // "   12433  RX  01 04 0C .. ..           status: read 0203 x6: good, 44 ms"
    // "   14390  --                           status: read 0203 x6: time-out after 2001 ms"
    static std::string format(const LineEntry& entry);
    // "requests 120, good answers 117, time-outs 2, CRC errors 1, other errors 0,
    // repeats 3, answer time mean 44.2 ms, worst 61 ms"
    static std::string format(const LineCounters& counters);

private:
    std::int64_t now() const { return clock_.monotonic_ms() - origin_ms_; }
    void record(LineEntry entry);
    void give_up_awaited(std::int64_t at, Verdict why = Verdict::Timeout);

    const Clock& clock_;
    std::size_t capacity_;
    std::int64_t origin_ms_;
    std::deque<LineEntry> entries_;
    LineCounters counters_;
    bool paused_ = false;

    // The exchange in hand.
    RequestInfo request_;
    std::vector<std::uint8_t> last_request_;
    // Requests whose last exchange failed: sent again, they are repeats. The link
    // repeats a failed request when its channel is next searched, not always at once.
    std::deque<std::vector<std::uint8_t>> failed_;
    void set_failed(const std::vector<std::uint8_t>& request, bool failed);
    int action_ = 0;
    bool awaiting_ = false;       // a request went out and no answer was taken yet
    bool receive_seen_ = false;   // the port raised its receive event since the request
    std::int64_t sent_at_ = 0;
    std::int64_t received_at_ = 0;
};

}  // namespace neva
