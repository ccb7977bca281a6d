#pragma once
// A program state, a fake line and a relay that answers the frames written to it, for
// the link tests. The relay's CRC is computed bit by bit, independently of the
// program's table-driven routine.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "image/RegisterImages.h"
#include "link/LinkController.h"
#include "startup/SharedState.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"
#include "testing/FakeTimer.h"
#include "testing/ScriptedMessages.h"

namespace neva::linktest {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t reference_crc(const Bytes& b, std::size_t n) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= b[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

// Appends the CRC as it goes on the line: low-order byte first.
inline Bytes with_crc(Bytes b) {
    const std::uint16_t crc = reference_crc(b, b.size());
    b.push_back(crc & 0xFF);
    b.push_back(crc >> 8);
    return b;
}

// Event time stamp words: code, year, month, day, hour, minute, second.
inline std::vector<std::uint16_t> stamp(int code, int yy, int month, int day, int hour, int minute, int second) {
    return {static_cast<std::uint16_t>(code * 128 + yy), static_cast<std::uint16_t>(month * 1024 + day * 32 + hour),
            static_cast<std::uint16_t>(minute * 1024 + second * 10)};
}

struct TestRelay {
    std::uint8_t address = 17;
    std::map<std::uint16_t, std::uint16_t> regs;
    std::map<int, std::vector<std::uint16_t>> events;  // event number -> time stamp words

    void set(int reg, const std::vector<std::uint16_t>& words) {
        for (std::size_t i = 0; i < words.size(); ++i) regs[static_cast<std::uint16_t>(reg + i)] = words[i];
    }

    Bytes reply(const Bytes& req) {
        const std::uint8_t fn = req[1];
        const std::uint16_t reg = static_cast<std::uint16_t>(req[2] * 256 + req[3]);
        if (fn == 3 || fn == 4) {
            const int count = req[5];
            Bytes out{address, fn, static_cast<std::uint8_t>(2 * count)};
            for (int i = 0; i < count; ++i) {
                const std::uint16_t v = regs[static_cast<std::uint16_t>(reg + i)];
                out.push_back(v >> 8);
                out.push_back(v & 0xFF);
            }
            return with_crc(out);
        }
        if (fn == 5) return req;
        if (fn == 16) {
            const int count = req[5];
            for (int i = 0; i < count; ++i)
                regs[static_cast<std::uint16_t>(reg + i)] = static_cast<std::uint16_t>(req[7 + 2 * i] * 256 + req[8 + 2 * i]);
            if (reg == 0x0610) {
                // Selecting an event shows it in the read window.
                set(0x0611, events.count(regs[0x0610]) ? events[regs[0x0610]] : std::vector<std::uint16_t>{0, 0, 0});
            }
            return with_crc(Bytes(req.begin(), req.begin() + 6));
        }
        return {};
    }
};

// Function code and register of a frame, to compare request sequences readably.
inline std::pair<int, int> fr(const Bytes& f) { return {f[1], f[2] * 256 + f[3]}; }

// Scripted boxes that can run something while a box is open, as a modal box's own
// event loop would (timer ticks, port events).
struct BoxMessages : testing::ScriptedMessages {
    std::function<void()> during_box;
    MsgAnswer message_box(const std::string& text, MsgButtons buttons, MsgIcon icon,
                          const std::string& title) override {
        if (during_box) during_box();
        return testing::ScriptedMessages::message_box(text, buttons, icon, title);
    }
};

struct Rig {
    SharedState state;
    RegisterImages images;
    testing::FakePort port;
    testing::FakeTimerFactory timers;
    BoxMessages messages;
    testing::FakeClock clock;
    LinkController link{state, images, port, timers, messages, clock};
    TestRelay relay;
    int disconnects = 0;
    std::size_t drained_ = 0;

    Rig() {
        link.on_disconnect = [this] { ++disconnects; };
        relay.set(0x0000, {12, 2, 103});
    }

    testing::FakeTimer& timer1() { return static_cast<testing::FakeTimer&>(link.Timer1()); }
    testing::FakeTimer& timer_com() { return static_cast<testing::FakeTimer&>(link.Timer_Comunicacion()); }
    testing::FakeTimer& retardo() { return static_cast<testing::FakeTimer&>(link.TmrRetardoCom()); }

    const Bytes& last() const { return port.written.back(); }

    // The port reports each frame as sent once, when the line has drained.
    void drain_new() {
        if (port.written.size() > drained_) {
            drained_ = port.written.size();
            port.drain();
        }
    }
    // The bytes arrive; the settling delay runs out.
    void deliver(const Bytes& b) {
        drain_new();
        port.deliver(b);
        retardo().fire();
    }
    // The relay answers the last frame written.
    void answer(int times = 1) {
        for (int i = 0; i < times; ++i) deliver(relay.reply(last()));
    }
    // Answers until the request (function, register) is the one in flight.
    void answer_until(std::pair<int, int> req, int limit = 6) {
        for (int i = 0; i < limit && fr(last()) != req; ++i) answer();
        ASSERT_EQ(fr(last()), req);
    }
    testing::FakeTimer& quiet() { return static_cast<testing::FakeTimer&>(link.QuietTimer()); }

    // One second passes with no answer (and the quiet half second after a request
    // given up, which sends the next one).
    void tick() {
        drain_new();
        timer1().fire();
        quiet().fire();
    }

    // Connects to the test relay and answers until the link has settled into its
    // cyclic status read.
    void connect_and_settle() {
        relay.set(0x0600, {0, 0, 0, 0});
        ASSERT_TRUE(link.Conectar(1, 9600, relay.address));
        answer_until({4, 0x0203}, 40);
        ASSERT_TRUE(state.En_Linea);
    }
};

}  // namespace neva::linktest
