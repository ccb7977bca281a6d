#pragma once
// Carries bytes between the outer line (the port the program under test opens) and
// the inner pseudo-terminal of the Modbus slave. Requests pass at once; answers are
// taken whole (their lengths come from the slave) and can be dropped, given a bad
// CRC, delayed, and paced out at the wire time of a chosen speed, so that the
// program's time-outs, CRC checks and receive thresholds meet the line they would
// meet on a real relay.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

#include "SerialLine.h"

namespace neva::sim {

struct LineFaults {
    bool silent = false;               // never answer
    unsigned bad_crc_every = 0;        // every k-th answer carries a wrong CRC; 0 = never
    unsigned pace_baud = 0;            // 10 bit times per answer byte; 0 = all at once
    unsigned reply_delay_ms = 0;       // before the first byte of each answer
    // The answers are Modbus TCP frames, which carry no CRC: a "bad CRC" answer is
    // what a gateway makes of one, its exception 11 (no valid answer from the relay).
    bool modbus_tcp = false;
};

// When the program under test closes its port, answers to its last requests may
// still be on their way through the slave. The proxy then raises the barrier
// number; the slave acknowledges it on the answer pipe (kBarrierFlag | number) after
// the answer it was busy with. Until that acknowledgement the proxy drops answers
// and holds back the next program's requests, so that no answer is delivered to a
// program that did not ask for it.
struct LineBarrier {
    static constexpr std::uint32_t kBarrierFlag = 0x80000000u;
    std::atomic<std::uint32_t> requested{0};
};

class SerialProxy {
public:
    SerialProxy(SerialLine& outer, int inner_master_fd, int inner_slave_fd, int answer_fd, int stop_fd,
                LineBarrier& barrier, LineFaults faults, bool log);

    // Runs until stop_fd becomes readable. Returns false when the outer line failed.
    bool run();

    std::uint64_t answers_seen() const { return answers_; }

private:
    using Clock = std::chrono::steady_clock;

    void take_answer(std::uint32_t length);
    void peer_departed();
    void write_due_bytes(Clock::time_point now);
    bool read_exact(int fd, std::uint8_t* data, std::size_t size);

    SerialLine& outer_;
    int inner_ = -1;
    int inner_slave_ = -1;
    int answer_fd_ = -1;
    int stop_fd_ = -1;
    LineBarrier& barrier_;
    std::uint32_t awaited_barrier_ = 0;  // 0 = none
    std::uint64_t departures_seen_ = 0;
    bool unanswered_forward_ = false;  // request bytes passed on since the last answer
    LineFaults faults_;
    bool log_ = false;

    std::uint64_t answers_ = 0;
    std::deque<std::uint8_t> pending_;
    // The answers in pending_, in order: each waits for its own reply delay, counted
    // from when the relay gave it, so a late answer is late, never held back by the
    // delay of the answer after it.
    struct Segment {
        Clock::time_point earliest;
        std::size_t remaining;
        bool started = false;
    };
    std::deque<Segment> segments_;
    Clock::time_point next_byte_at_{};
    // When the next byte may go out (pending_ not empty).
    Clock::time_point next_due() const;
    Clock::duration byte_time_{};
};

}  // namespace neva::sim
