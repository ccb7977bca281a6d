#pragma once
// What a network port has seen of its connection, turned into the sentence the user
// gets with " Communication Error...": a refused or dropped connection, a connection
// still not made (a slow or unreachable network), answers that come back later than
// the link waits (a slow network), or a connection over which nothing comes back at
// all (the relay behind the device server or gateway is silent). Pure bookkeeping;
// the port feeds it times in milliseconds.

#include <cstdint>
#include <deque>
#include <string>

namespace neva {

class NetLineWatch {
public:
    // Answers slower than this come too late for the link's time-out of one to two
    // one-second ticks to be sure of them.
    static constexpr std::int64_t kSlowAnswerMs = 1000;

    explicit NetLineWatch(std::string endpoint) : endpoint_(std::move(endpoint)) {}

    const std::string& endpoint() const { return endpoint_; }
    void connecting(std::int64_t now);
    void connected(std::int64_t now);
    // The connection failed or ended; `why` is a sentence such as "the connection to
    // 10.0.0.5:4001 was refused".
    void failed(std::string why);
    void request_sent(std::int64_t now);
    void bytes_received(std::int64_t now);
    // A Modbus TCP gateway answered with an exception of its own (10 or 11).
    void gateway_exception(std::uint8_t code);

    bool is_connected() const { return state_ == State::Connected; }
    bool has_failed() const { return state_ == State::Failed; }
    // Empty when nothing seen is worth saying.
    std::string diagnosis(std::int64_t now) const;

private:
    enum class State { Idle, Connecting, Connected, Failed };
    std::string endpoint_;
    State state_ = State::Idle;
    std::string failure_;
    std::int64_t connect_started_ = 0;
    std::deque<std::int64_t> unanswered_;  // send times of requests with no byte back yet
    std::int64_t last_latency_ = -1;
    int silent_requests_ = 0;  // requests in a row with nothing back
    std::uint8_t gateway_code_ = 0;
};

}  // namespace neva
