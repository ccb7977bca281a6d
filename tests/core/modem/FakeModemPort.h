#pragma once
// A serial port with a scripted modem on its far end: every write is recorded with
// the line set-up it went out with, and the script's answer comes back into the
// input buffer after a delay on the fake clock. A '|' in an answer splits it into
// parts that arrive one delay apart, as a real modem's echo and result do.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "testing/FakeClock.h"
#include "testing/FakePort.h"

namespace neva::testing {

class FakeModemPort : public FakePort {
public:
    explicit FakeModemPort(FakeClock& clock) : clock_(clock) {}

    struct Sent {
        std::string text;
        std::int64_t at_ms;
        int port;
        std::string settings;
        bool dtr;
        int receive_threshold;
    };

    // What the modem answers to one write; empty = nothing.
    std::function<std::string(const std::string&)> answer;
    int delay_ms = 50;
    std::set<int> dead_ports;  // open() fails for these port numbers
    std::vector<Sent> sent;
    std::vector<std::pair<int, std::string>> opens;  // port number and settings of each open
    // Runs on each write, after it is recorded (a test pulls a device out there).
    std::function<void()> on_write;

    bool open() override {
        if (dead_ports.count(port_number())) return false;
        opens.emplace_back(port_number(), settings());
        return FakePort::open();
    }

    bool write(const std::vector<std::uint8_t>& bytes) override {
        if (!FakePort::write(bytes)) return false;
        const std::string text(bytes.begin(), bytes.end());
        sent.push_back({text, clock_.monotonic_ms(), port_number(), settings(), dtr(), receive_threshold()});
        if (on_write) on_write();
        if (!answer) return true;
        std::string reply = answer(text);
        std::int64_t due = clock_.monotonic_ms();
        while (!reply.empty()) {
            due += delay_ms;
            const auto bar = reply.find('|');
            pending_.push_back({due, reply.substr(0, bar)});
            reply = bar == std::string::npos ? std::string() : reply.substr(bar + 1);
        }
        return true;
    }

    // The modem's side of time passing: answers that are due arrive.
    void run() {
        const std::int64_t now = clock_.monotonic_ms();
        while (!pending_.empty() && pending_.front().due <= now) {
            if (is_open()) deliver(std::vector<std::uint8_t>(pending_.front().text.begin(), pending_.front().text.end()));
            pending_.erase(pending_.begin());
        }
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& s : sent) out.push_back(s.text);
        return out;
    }

private:
    struct Pending {
        std::int64_t due;
        std::string text;
    };
    FakeClock& clock_;
    std::vector<Pending> pending_;
};

}  // namespace neva::testing
