// The line monitor between the link and the port: what it records of each exchange,
// how it judges answers, its counters and its bounded ring.

#include <gtest/gtest.h>

#include "link/Frames.h"
#include "monitor/LineMonitor.h"
#include "testing/FakeClock.h"
#include "testing/FakePort.h"

namespace neva {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes with_crc(Bytes b) {
    append_crc(b);
    return b;
}

TEST(FrameVerdict, JudgesAnswersAgainstTheirRequest) {
    const RequestInfo status = describe_request(frame_read_input(1, 0x02, 0x03, 0x00, 0x06));
    ASSERT_TRUE(status.relay_frame);
    EXPECT_EQ(status.answer_length, 17u);
    EXPECT_EQ(request_text(status), "read 0203 x6");
    EXPECT_EQ(request_text(describe_request(frame_command(1, 8))), "command 8");
    EXPECT_EQ(request_text(describe_request({'A', 'T', 'Z', '\r'})), "not a relay request");

    Bytes good = {0x01, 0x04, 0x0C};
    good.resize(15, 0x00);
    good = with_crc(good);
    Bytes bad_crc = good;
    bad_crc.back() ^= 0xFF;
    Bytes cut(good.begin(), good.begin() + 9);
    Bytes foreign = good;
    foreign[0] = 2;
    foreign.resize(15);
    foreign = with_crc(foreign);
    const struct {
        Bytes answer;
        std::string text;
    } cases[] = {
        {good, "good"},
        {bad_crc, "bad CRC"},
        {cut, "too short"},
        {foreign, "wrong address"},
        {with_crc({0x01, 0x84, 0x02}), "exception 2 (illegal data address)"},
        {with_crc({0x01, 0x84, 0x0B}), "exception 11 (gateway target device failed to respond)"},
        {with_crc({0x01, 0x03, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "wrong function"},
        {with_crc({0x01, 0x04, 0x02, 0x00, 0x00}), "too short"},
        {{0x01}, "too short"},
    };
    for (const auto& c : cases) EXPECT_EQ(verdict_text(classify_answer(status, c.answer)), c.text) << c.text;
}

class LineMonitorTest : public ::testing::Test {
protected:
    testing::FakePort port;
    testing::FakeClock clock;
    LineMonitor monitor{port, clock, 50};
    int events = 0;
    const Bytes request = frame_read_input(1, 0x02, 0x03, 0x00, 0x06);
    Bytes answer;

    void SetUp() override {
        monitor.on_event = [this](SerialPort::Event) { ++events; };
        monitor.current_action = [] { return 2; };
        answer = {0x01, 0x04, 0x0C};
        answer.resize(15, 0x11);
        answer = with_crc(answer);
        ASSERT_TRUE(monitor.open());
        monitor.set_receive_threshold(17);
    }
    // One exchange as the link runs it: clear the line, send, answer after ms.
    Bytes exchange(const Bytes& reply, int ms) {
        monitor.read_all();
        monitor.write(request);
        clock.advance_ms(ms);
        port.deliver(reply);
        clock.advance_ms(10);
        return monitor.read_all();
    }
};

TEST_F(LineMonitorTest, RecordsEachExchangeWithItsVerdictAndTimes) {
    EXPECT_EQ(exchange(answer, 40), answer);  // the bytes pass unchanged
    Bytes bad = answer;
    bad[5] ^= 0x01;
    exchange(bad, 60);
    exchange(answer, 80);  // the same request again after the bad one: a repeat
    // No answer; the link gives up and sends the next request.
    monitor.write(request);
    clock.advance_ms(2000);
    monitor.read_all();
    monitor.write(request);

    const auto& e = monitor.entries();
    ASSERT_EQ(e.size(), 9u);
    EXPECT_EQ(LineMonitor::format(e[0]), "        0  TX  01 04 02 03 00 06 81 B0  status: read 0203 x6");
    EXPECT_EQ(LineMonitor::format(e[1]).substr(0, 17), "       40  RX  01");
    EXPECT_NE(LineMonitor::format(e[1]).find("status: read 0203 x6: good, 40 ms"), std::string::npos);
    EXPECT_EQ(verdict_text(e[3].verdict), "bad CRC");
    EXPECT_TRUE(e[4].repeat);
    EXPECT_NE(LineMonitor::format(e[4]).find("(repeat)"), std::string::npos);
    EXPECT_EQ(e[7].verdict.verdict, Verdict::Timeout);
    EXPECT_EQ(e[7].answer_ms, 2000);
    EXPECT_EQ(events, 3);

    const LineCounters& c = monitor.counters();
    EXPECT_EQ(c.requests, 5u);
    EXPECT_EQ(c.good, 2u);
    EXPECT_EQ(c.crc_errors, 1u);
    EXPECT_EQ(c.timeouts, 1u);
    EXPECT_EQ(c.repeats, 2u);
    EXPECT_EQ(c.worst_answer_ms, 80);
    EXPECT_DOUBLE_EQ(c.mean_answer_ms(), 60.0);
    EXPECT_EQ(LineMonitor::format(c), "requests 5, good answers 2, time-outs 1, CRC errors 1, other errors 0, "
                                      "repeats 2, answer time mean 60.0 ms, worst 80 ms");
}

TEST_F(LineMonitorTest, AnAnswerTheLinkNeverTookIsLateAndItsRequestTimedOut) {
    // An exception answer is shorter than the answer awaited: no receive event, the
    // link times out and clears the line before its next request.
    monitor.write(request);
    port.deliver(with_crc({0x01, 0x84, 0x02}));
    clock.advance_ms(2000);
    monitor.read_all();
    monitor.write(request);
    const auto& e = monitor.entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_TRUE(e[1].late);
    EXPECT_NE(LineMonitor::format(e[1]).find("exception 2 (illegal data address), late: not taken"),
              std::string::npos);
    EXPECT_EQ(e[2].verdict.verdict, Verdict::Timeout);
    EXPECT_EQ(monitor.counters().good, 0u);
    EXPECT_EQ(monitor.counters().timeouts, 1u);
}

TEST_F(LineMonitorTest, RingStaysBoundedPauseStopsRecordingClearEmpties) {
    for (int i = 0; i < 100; ++i) exchange(answer, 5);
    EXPECT_EQ(monitor.entries().size(), 50u);
    EXPECT_EQ(monitor.counters().good, 100u);
    monitor.set_paused(true);
    const auto last = monitor.entries().back().time_ms;
    exchange(answer, 5);
    EXPECT_EQ(monitor.entries().back().time_ms, last);
    EXPECT_EQ(monitor.counters().good, 101u);
    monitor.clear();
    EXPECT_TRUE(monitor.entries().empty());
    EXPECT_EQ(monitor.counters().requests, 0u);
}

}  // namespace
}  // namespace neva
