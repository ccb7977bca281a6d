// The modem simulator's command interpreter, driven with explicit time points.
#include <gtest/gtest.h>

#include <chrono>

#include "HayesModem.h"

namespace neva::sim {
namespace {

using std::chrono::milliseconds;
const HayesModem::TimePoint t0{std::chrono::seconds(100)};

HayesModem::Settings with(bool echo, bool verbose, bool silent, bool online) {
    HayesModem::Settings s;
    s.echo = echo;
    s.verbose = verbose;
    s.silent = silent;
    s.online = online;
    return s;
}

TEST(HayesModem, AnswersTheSetupProgramsCommandsVerboseAndNumeric) {
    HayesModem m({}, t0);
    // Default string: echo is on until E0 takes effect, the result of the line
    // that switches to V0 is already numeric.
    EXPECT_EQ(m.receive("AT&F\r", t0), "AT&F\r\r\nOK\r\n");
    EXPECT_EQ(m.receive("ATE0 V0 S0=2 &W1 &Y1\r", t0), "ATE0 V0 S0=2 &W1 &Y1\r0\r");
    EXPECT_EQ(m.receive("ATJ\r", t0), "4\r") << "unknown letter, numeric ERROR";
    // Personal string sequence.
    EXPECT_EQ(m.receive("ATV1E0\r", t0), "\r\nOK\r\n");
    EXPECT_EQ(m.receive("+++", t0), "") << "no escape in the command state";
    EXPECT_EQ(m.receive("ATH\r", t0), "\r\nOK\r\n") << "the stray +++ before AT is ignored";
    EXPECT_EQ(m.receive("AT&F\r", t0), "\r\nOK\r\n") << "echo still off while the line came";
    EXPECT_TRUE(m.echo()) << "factory profile";
    EXPECT_EQ(m.receive("ATE0\r", t0), "ATE0\r\r\nOK\r\n");
    for (const char* user : {"AT&K0N1\r", "ATS0=1&W\r", "AT&F&C1&D2S0=1\r", "at s7 = 60 x4\r", "AT\r"}) {
        // The line is echoed as it arrives, under the echo setting before it runs; read
        // it first, as the order of a call's arguments is the compiler's to choose.
        const bool echo = m.echo();
        EXPECT_EQ(m.receive(user, t0), echo ? std::string(user) + "\r\nOK\r\n" : "\r\nOK\r\n") << user;
    }
    m.receive("ATE0\r", t0);
    // Refusals: unknown letters and & forms, values out of range, bad registers.
    for (const char* bad : {"AT&Z\r", "ATE2\r", "ATS300=1\r", "ATS7=256\r", "AT!\r", "AT&\r"})
        EXPECT_EQ(m.receive(bad, t0), "\r\nERROR\r\n") << bad;
    EXPECT_EQ(m.receive("hello\r", t0), "") << "a line without AT gets no answer";
    // Quiet mode: no result at all, as a modem set up that way is silent.
    EXPECT_EQ(m.receive("ATQ1\r", t0), "");
    EXPECT_EQ(m.receive("ATJ\r", t0), "");
}

TEST(HayesModem, EscapeNeedsGuardTimeBeforeAndAfter) {
    HayesModem m(with(true, true, false, true), t0);
    ASSERT_TRUE(m.online());
    EXPECT_EQ(m.receive("data", t0 + milliseconds(100)), "");
    // Too soon after data: just data.
    m.receive("+++", t0 + milliseconds(500));
    EXPECT_EQ(m.tick(t0 + milliseconds(3000)), "");
    EXPECT_TRUE(m.online());

    // After a second of silence, three escape characters, then a second of silence.
    auto t = t0 + milliseconds(4000);
    EXPECT_EQ(m.receive("+", t), "");
    EXPECT_EQ(m.receive("+", t + milliseconds(200)), "");
    EXPECT_EQ(m.receive("+", t + milliseconds(400)), "");
    ASSERT_TRUE(m.next_deadline().has_value());
    EXPECT_EQ(*m.next_deadline(), t + milliseconds(1400));
    EXPECT_EQ(m.tick(t + milliseconds(1300)), "");
    EXPECT_EQ(m.tick(t + milliseconds(1400)), "\r\nOK\r\n");
    EXPECT_FALSE(m.online());
    EXPECT_EQ(m.receive("ATO\r", t + milliseconds(1500)), "ATO\r\r\nCONNECT\r\n");
    EXPECT_TRUE(m.online());

    // A byte within the guard time after the escape cancels it.
    t += milliseconds(5000);
    m.receive("+++", t);
    m.receive("x", t + milliseconds(300));
    EXPECT_EQ(m.tick(t + milliseconds(2000)), "");
    EXPECT_TRUE(m.online());

    // Hang up from the command state; ATO then finds no carrier (numeric 3).
    t += milliseconds(5000);
    m.receive("+++", t);
    EXPECT_EQ(m.tick(t + milliseconds(1000)), "\r\nOK\r\n");
    EXPECT_EQ(m.receive("ATHV0\r", t + milliseconds(1100)), "ATHV0\r0\r");
    EXPECT_EQ(m.receive("ATO\r", t + milliseconds(1200)), "ATO\r3\r");
}

TEST(HayesModem, RefusedCommandFailsWhereItStands) {
    auto settings = with(true, true, false, false);
    settings.refused = {"&W"};
    HayesModem m(settings, t0);
    // E0 and V0 took effect before &W1 was refused: the error comes as "4" CR.
    EXPECT_EQ(m.receive("ATE0 V0 S0=2 &W1 &Y1\r", t0), "ATE0 V0 S0=2 &W1 &Y1\r4\r");
    EXPECT_EQ(m.s_register(0), 2);
    EXPECT_EQ(m.receive("ATS0=1\r", t0), "0\r");
}

}  // namespace
}  // namespace neva::sim
