#pragma once
// A program state with the link's port open on COM3 at 19200, a scripted modem on
// the far end of whatever port the programming opens, a fake clock that the event
// pump and the blocking pauses move, and a folder of its own for the file "AT".
//
// The modem's port records every write with the line set-up it went out with, and
// the script's answer comes back into the input buffer after a delay on the fake
// clock. A '|' in an answer splits it into parts that arrive one delay apart, as a
// real modem's echo and result do.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "modem/Lectura_Escritura.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/ScriptedMessages.h"
#include "testing/TempDir.h"

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

class ModemFixture : public ::testing::Test {
protected:
    void SetUp() override {
        state.Modo_Modem = true;
        state.Puerto_Com = 3;
        state.Velocidad_Com = 19200;
        state.En_Linea = true;

        port.set_port_number(3);
        port.set_settings("19200,N,8,1");
        port.open();
        port.opens.clear();
        port.on_event = [this](SerialPort::Event) { ++link_events; };
        port.on_lost = [this] { ++link_lost; };

        modem = std::make_unique<Lectura_Escritura>(
            state, port, clock, messages,
            [this] {
                clock.advance_ms(20);
                port.run();
            },
            folder());
        modem->set_sleep([this](int ms) { clock.advance_ms(ms); });
    }

    void TearDown() override { messages.verify(); }

    std::string folder() const { return tmp.dir().string(); }
    // Programs the default string with the user agreeing to connect the modem at
    // `place`; `outcome` is the message expected at the end, if any.
    void program_default(int speed, int location, const std::string& place, const char* outcome) {
        messages.expect_message("Please Connect the Modem to " + place, MsgAnswer::Ok);
        if (outcome) messages.expect_message(outcome);
        modem->Modem_Click(Lectura_Escritura::kDefaultString, speed, location, place);
    }
    std::string at_file() const { return read_file(tmp.path("AT")); }

    // The link has its own port back: number, settings, open state and handlers.
    void expect_link_port_back() {
        EXPECT_EQ(port.port_number(), 3);
        EXPECT_EQ(port.settings(), "19200,N,8,1");
        EXPECT_TRUE(port.is_open());
        EXPECT_FALSE(port.dtr());
        EXPECT_EQ(port.receive_threshold(), 1);
        ASSERT_TRUE(port.on_event);
        const int before = link_events;
        port.on_event(SerialPort::Event::Receive);
        EXPECT_EQ(link_events, before + 1);
        EXPECT_TRUE(port.on_lost);
    }

    TempDir tmp;
    SharedState state;
    FakeClock clock;
    FakeModemPort port{clock};
    ScriptedMessages messages;
    std::unique_ptr<Lectura_Escritura> modem;
    int link_events = 0;
    int link_lost = 0;
};

}  // namespace neva::testing
