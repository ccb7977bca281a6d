#include "net/NetLineWatch.h"

namespace neva {

void NetLineWatch::connecting(std::int64_t now) {
    state_ = State::Connecting;
    connect_started_ = now;
    failure_.clear();
    unanswered_.clear();
    last_latency_ = -1;
    silent_requests_ = 0;
    gateway_code_ = 0;
}

void NetLineWatch::connected(std::int64_t) {
    if (state_ == State::Connecting) state_ = State::Connected;
}

void NetLineWatch::failed(std::string why) {
    // The first cause is the real one; a close that follows a refusal says less.
    if (state_ == State::Failed) return;
    state_ = State::Failed;
    failure_ = std::move(why);
}

void NetLineWatch::request_sent(std::int64_t now) {
    unanswered_.push_back(now);
    if (unanswered_.size() > 16) unanswered_.pop_front();
    ++silent_requests_;
}

void NetLineWatch::bytes_received(std::int64_t now) {
    // Measured from the oldest request still unanswered: an answer that arrives
    // after its request was repeated is late by the whole wait, not by the repeat's.
    if (!unanswered_.empty()) last_latency_ = now - unanswered_.front();
    unanswered_.clear();
    silent_requests_ = 0;
    gateway_code_ = 0;
}

void NetLineWatch::gateway_exception(std::uint8_t code) { gateway_code_ = code; }

std::string NetLineWatch::diagnosis(std::int64_t now) const {
    switch (state_) {
        case State::Idle: return {};
        case State::Failed: return failure_;
        case State::Connecting:
            return "no connection to " + endpoint_ + " after " + std::to_string((now - connect_started_) / 1000) +
                   " s: the network is slow or the device cannot be reached";
        case State::Connected: break;
    }
    if (gateway_code_ == 11)
        return "the gateway at " + endpoint_ + " answers, but reports that the relay does not (exception 11): "
               "check the relay's address and the gateway's serial settings";
    if (gateway_code_ == 10)
        return "the gateway at " + endpoint_ + " has no path to the relay (exception 10): check the gateway's "
               "configuration";
    if (last_latency_ > kSlowAnswerMs)
        return "answers from " + endpoint_ + " come back after " + std::to_string(last_latency_) +
               " ms, later than the link waits: the network is slow";
    if (silent_requests_ >= 2)
        return "connected to " + endpoint_ + ", but nothing comes back: the relay does not answer (check its "
               "address and speed, and the serial settings of the device server)";
    return {};
}

}  // namespace neva
