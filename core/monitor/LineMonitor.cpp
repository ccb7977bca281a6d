#include "monitor/LineMonitor.h"

#include <algorithm>
#include <cstdio>

namespace neva {

LineMonitor::LineMonitor(SerialPort& inner, const Clock& clock, std::size_t capacity)
    : ForwardingPort(inner), clock_(clock), capacity_(capacity > 0 ? capacity : 1), origin_ms_(clock.monotonic_ms()) {
    inner.on_event = [this](Event e) {
        if (e == Event::Receive && !receive_seen_) {
            receive_seen_ = true;
            received_at_ = now();
        }
        if (on_event) on_event(e);
    };
    inner.on_lost = [this] {
        if (awaiting_) give_up_awaited(now(), Verdict::Lost);
        if (on_lost) on_lost();
    };
}

LineMonitor::~LineMonitor() {
    inner().on_event = nullptr;
    inner().on_lost = nullptr;
}

bool LineMonitor::open() {
    awaiting_ = false;
    last_request_.clear();
    failed_.clear();
    return inner().open();
}

void LineMonitor::set_failed(const std::vector<std::uint8_t>& request, bool failed) {
    for (auto it = failed_.begin(); it != failed_.end(); ++it) {
        if (*it != request) continue;
        if (!failed) failed_.erase(it);
        return;
    }
    if (!failed) return;
    if (failed_.size() >= 16) failed_.pop_front();
    failed_.push_back(request);
}

void LineMonitor::close() {
    if (awaiting_) give_up_awaited(now());
    inner().close();
}

void LineMonitor::clear() {
    entries_.clear();
    counters_ = LineCounters{};
}

void LineMonitor::record(LineEntry entry) {
    if (paused_) return;
    if (entries_.size() >= capacity_) entries_.pop_front();
    entries_.push_back(std::move(entry));
    if (on_entry) on_entry(entries_.back());
}

void LineMonitor::give_up_awaited(std::int64_t at, Verdict why) {
    awaiting_ = false;
    set_failed(last_request_, true);
    if (why == Verdict::Timeout) ++counters_.timeouts;
    else ++counters_.other_errors;
    LineEntry e;
    e.time_ms = at;
    e.direction = LineEntry::Direction::None;
    e.action = action_;
    e.request = request_;
    e.verdict = {why, 0};
    e.answer_ms = at - sent_at_;
    record(std::move(e));
}

bool LineMonitor::write(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return inner().write(bytes);
    const std::int64_t t = now();
    LineEntry e;
    e.request = describe_request(bytes);
    // A frame that is no relay request (the byte OFF leaves on the line, a modem
    // command) abandons the exchange in hand rather than timing it out.
    if (awaiting_ && e.request.relay_frame) give_up_awaited(t);

    e.time_ms = t;
    e.direction = LineEntry::Direction::Sent;
    e.bytes = bytes;
    e.action = e.request.relay_frame && current_action ? current_action() : 0;
    e.repeat = e.request.relay_frame && std::find(failed_.begin(), failed_.end(), bytes) != failed_.end();

    request_ = e.request;
    action_ = e.action;
    if (request_.relay_frame) {
        ++counters_.requests;
        if (e.repeat) ++counters_.repeats;
        last_request_ = bytes;
    }
    awaiting_ = request_.relay_frame;
    receive_seen_ = false;
    sent_at_ = t;
    record(std::move(e));
    return inner().write(bytes);
}

std::vector<std::uint8_t> LineMonitor::read_all() {
    std::vector<std::uint8_t> bytes = inner().read_all();
    if (bytes.empty()) return bytes;

    LineEntry e;
    e.direction = LineEntry::Direction::Received;
    e.bytes = bytes;
    e.action = action_;
    e.request = request_;
    e.verdict = classify_answer(request_, bytes);
    // Taken by the link as the answer only after the receive event; otherwise the
    // link is clearing the line before its next request.
    const bool taken = awaiting_ && receive_seen_;
    e.time_ms = taken ? received_at_ : now();
    e.late = !taken;
    if (taken) {
        e.answer_ms = received_at_ - sent_at_;
        awaiting_ = false;
        const bool good = e.verdict.verdict == Verdict::Good;
        set_failed(last_request_, !good);
        if (good) {
            ++counters_.good;
            counters_.answer_ms_total += e.answer_ms;
            if (e.answer_ms > counters_.worst_answer_ms) counters_.worst_answer_ms = e.answer_ms;
        } else if (e.verdict.verdict == Verdict::BadCrc) {
            ++counters_.crc_errors;
        } else {
            ++counters_.other_errors;
        }
    } else if (!awaiting_) {
        // Bytes nobody asked for (a second answer, noise); a late answer to the
        // request in hand is counted by its time-out.
        ++counters_.other_errors;
    }
    record(std::move(e));
    return bytes;
}

std::string LineMonitor::format(const LineEntry& e) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(e.bytes.size() * 3);
    for (std::size_t i = 0; i < e.bytes.size(); ++i) {
        if (i) hex += ' ';
        hex += kHex[e.bytes[i] >> 4];
        hex += kHex[e.bytes[i] & 0x0F];
    }
    if (hex.size() < 23) hex.resize(23, ' ');

    const char* dir = e.direction == LineEntry::Direction::Sent       ? "TX"
                      : e.direction == LineEntry::Direction::Received ? "RX"
                                                                      : "--";
    char head[32];
    std::snprintf(head, sizeof head, "%9lld  %s  ", static_cast<long long>(e.time_ms), dir);

    std::string what = action_name(e.action);
    what += what.empty() ? request_text(e.request) : ": " + request_text(e.request);
    std::string line = head + hex + "  " + what;
    if (e.direction == LineEntry::Direction::Sent) {
        if (e.repeat) line += " (repeat)";
    } else if (e.verdict.verdict == Verdict::Timeout || e.verdict.verdict == Verdict::Lost) {
        line += ": " + verdict_text(e.verdict) + " after " + std::to_string(e.answer_ms) + " ms";
    } else {
        line += ": " + verdict_text(e.verdict);
        if (e.answer_ms >= 0) line += ", " + std::to_string(e.answer_ms) + " ms";
        if (e.late) line += ", late: not taken";
    }
    return line;
}

std::string LineMonitor::format(const LineCounters& c) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "requests %llu, good answers %llu, time-outs %llu, CRC errors %llu, other errors %llu, "
                  "repeats %llu, answer time mean %.1f ms, worst %lld ms",
                  static_cast<unsigned long long>(c.requests), static_cast<unsigned long long>(c.good),
                  static_cast<unsigned long long>(c.timeouts), static_cast<unsigned long long>(c.crc_errors),
                  static_cast<unsigned long long>(c.other_errors), static_cast<unsigned long long>(c.repeats),
                  c.mean_answer_ms(), static_cast<long long>(c.worst_answer_ms));
    return buf;
}

}  // namespace neva
