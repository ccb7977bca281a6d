#include "link/RelayScanner.h"

#include <cstdio>

#include "link/LinkMessages.h"

namespace neva {

namespace {

// The identification answer: address, 04, byte count 6, three words, CRC.
constexpr int kAnswerBytes = 11;
constexpr int kRequestBytes = 8;
// A relay answers well within this after the request's last byte; the margin also
// covers the operating system's and a USB adapter's latency.
constexpr int kTurnRoundMs = 100;

std::string version_text(unsigned w2) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", w2 / 100, w2 % 100);
    return text;
}

}  // namespace

int ScanPlan::tries() const {
    if (last_address < first_address) return 0;
    return static_cast<int>(speeds.size()) * (last_address - first_address + 1);
}

RelayScanner::RelayScanner(SerialPort& port, TimerFactory& timers) : port_(port), timer_(timers.make_timer(100)) {
    timer_->on_tick = [this] { try_timed_out(); };
}

RelayScanner::~RelayScanner() {
    timer_->set_enabled(false);
    if (running_) port_.close();
    port_.on_event = nullptr;
    port_.on_lost = nullptr;
}

std::vector<int> RelayScanner::default_speeds() { return {9600, 1200, 2400, 4800, 19200, 38400, 57600}; }

ScanPlan RelayScanner::default_plan() { return ScanPlan{default_speeds(), 1, 247}; }

int RelayScanner::try_timeout_ms(int speed) {
    if (speed <= 0) speed = 9600;
    // Ten bits a byte on the wire, rounded up.
    const int wire_ms = ((kRequestBytes + kAnswerBytes) * 10 * 1000 + speed - 1) / speed;
    return wire_ms + kTurnRoundMs;
}

std::int64_t RelayScanner::estimate_ms(const ScanPlan& plan) {
    if (plan.last_address < plan.first_address) return 0;
    const std::int64_t addresses = plan.last_address - plan.first_address + 1;
    std::int64_t total = 0;
    for (int speed : plan.speeds) total += addresses * try_timeout_ms(speed);
    return total;
}

int RelayScanner::current_speed() const {
    return speed_index_ < plan_.speeds.size() ? plan_.speeds[speed_index_] : 0;
}

bool RelayScanner::start(const ScanPlan& plan) {
    if (running_ || plan.tries() <= 0) return false;
    plan_ = plan;
    found_.clear();
    speed_index_ = 0;
    address_ = plan_.first_address;
    done_ = 0;
    running_ = true;
    port_.on_event = [this](SerialPort::Event e) {
        if (e == SerialPort::Event::Receive) answer_arrived();
    };
    port_.on_lost = [this] { finish(ScanEnd::PortLost); };
    if (!open_at_current_speed()) return true;  // finished already, and said so
    send_try();
    return true;
}

void RelayScanner::cancel() {
    if (running_) finish(ScanEnd::Cancelled);
}

bool RelayScanner::open_at_current_speed() {
    if (port_.is_open()) port_.close();
    port_.set_settings(std::to_string(current_speed()) + ",N,8,1");
    if (!port_.open()) {
        finish(ScanEnd::PortFailed);
        return false;
    }
    return true;
}

void RelayScanner::send_try() {
    if (on_try) on_try(current_speed(), address_);
    if (!running_) return;  // cancelled from the callback
    const auto request = frame_read_input(static_cast<std::uint8_t>(address_), 0x00, 0x00, 0x00, 0x03);
    expected_ = expected_answer_for(request);
    // What an earlier try's device sent after its time-out is not this try's answer.
    port_.read_all();
    port_.set_receive_threshold(kAnswerBytes);
    awaiting_ = true;
    timer_->set_interval(try_timeout_ms(current_speed()));
    timer_->set_enabled(true);
    port_.write(request);
}

void RelayScanner::answer_arrived() {
    if (!running_ || !awaiting_) return;
    // Only this try's own answer ends the wait early; anything else (a slow device's
    // late answer, noise at a wrong speed) and the try waits out its time.
    if (take_answer(port_.read_all())) next_try();
}

void RelayScanner::try_timed_out() {
    if (!running_ || !awaiting_) return;
    take_answer(port_.read_all());
    if (running_) next_try();
}

bool RelayScanner::take_answer(const std::vector<std::uint8_t>& answer) {
    if (answer.empty()) return false;
    const auto here = static_cast<std::uint8_t>(address_);
    if (answer_is_valid(answer, here, expected_)) {
        record(address_, answer);
        return true;
    }
    // A well-formed identification from an address this speed has already asked: a
    // slow device answering after its try timed out. It is a relay all the same.
    const int other = answer[0];
    if (other >= plan_.first_address && other < address_ && answer_is_valid(answer, answer[0], expected_)) {
        bool known = false;
        for (const FoundRelay& f : found_) known = known || (f.address == other && f.speed == current_speed());
        if (!known) record(other, answer);
    }
    return false;
}

void RelayScanner::record(int address, const std::vector<std::uint8_t>& answer) {
    FoundRelay f;
    f.address = address;
    f.speed = current_speed();
    for (int k = 0; k < 3; ++k) f.words[k] = answer[3 + 2 * k] * 256u + answer[4 + 2 * k];
    f.version = version_text(f.words[2]);
    f.supported = supported_relay(f.words[0], f.words[1], f.words[2]);
    found_.push_back(f);
    if (on_found) on_found(f);
}

void RelayScanner::next_try() {
    awaiting_ = false;
    timer_->set_enabled(false);
    if (!running_) return;
    ++done_;
    if (address_ < plan_.last_address) {
        ++address_;
    } else {
        address_ = plan_.first_address;
        if (++speed_index_ >= plan_.speeds.size()) {
            finish(ScanEnd::Completed);
            return;
        }
        if (!open_at_current_speed()) return;
    }
    send_try();
}

void RelayScanner::finish(ScanEnd end) {
    if (!running_) return;
    running_ = false;
    awaiting_ = false;
    timer_->set_enabled(false);
    port_.set_receive_threshold(0);
    port_.close();
    if (on_finished) on_finished(end);
}

}  // namespace neva
