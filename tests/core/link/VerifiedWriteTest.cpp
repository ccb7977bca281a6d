// Setpoint writes that never claim more than the relay holds, and a link that never
// takes a late or damaged answer for a good one.

#include <gtest/gtest.h>

#include "LinkTestRig.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::fr;
using linktest::Rig;
using linktest::with_crc;
using testing::put_word;
using testing::word;
using Req = std::pair<int, int>;

const Req kWrite1{16, 0x0100}, kWrite2{16, 0x0180}, kRead1{3, 0x0100}, kRead2{3, 0x0180}, kStatus{4, 0x0203};

// Data word k of a function-16 setpoint frame.
int frame_word(const Bytes& f, int k) { return f[7 + 2 * k] * 256 + f[8 + 2 * k]; }

// A relay at 540 A phase CT rating, connected; the user has typed 550 A.
struct WriteRig : Rig {
    WriteRig() {
        relay.set(0x0102, {540});
        connect_and_settle();
        put_word(images.Imagen_Edicion, "0102", 550);
    }
    void bad_crc() { deliver(Bytes(8, 0x55)); }
};

TEST(VerifiedWrite, RepeatsSendTheStoredBlockAndTheThirdFailureSaysSoAndKeepsTheEdits) {
    WriteRig r;
    r.link.Encolar_Proceso(0, 27);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        r.answer_until(kWrite1);
        // Never the relay's 540 restored over the user's value.
        EXPECT_EQ(frame_word(r.last(), 2), 550) << attempt;
        EXPECT_EQ(word(r.images.Imagen_Edicion, "0102"), 550);
        if (attempt == 3)
            r.messages.expect_message(
                "The setpoints were not saved: the relay did not confirm them.\n"
                "answers with a bad CRC: check the speed and parity\n"
                "The relay may hold its old setpoints or these; the page keeps your values and STORE sends them again.",
                "NEVA", MsgButtons::Ok, MsgIcon::Critical);
        r.bad_crc();
    }
    r.messages.verify();
    // Given up: not sent again, nothing stored, no "Saved".
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fr(r.last()), kStatus);
        r.answer();
    }
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0102"), 540);
    EXPECT_EQ(word(r.images.Imagen_Edicion, "0102"), 550);
    EXPECT_TRUE(r.state.En_Linea);
}

TEST(VerifiedWrite, OnlyABlockReadBackIdenticalIsSaved) {
    WriteRig r;
    r.link.Encolar_Proceso(0, 27);
    r.answer_until(kWrite1);
    r.answer();  // confirmed; the block is read back next
    ASSERT_EQ(fr(r.last()), kRead1);
    r.messages.expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok,
                              MsgIcon::Information);
    r.answer();
    r.messages.verify();
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0102"), 550);

    // A relay that confirms but keeps its own value.
    put_word(r.images.Imagen_Edicion, "0102", 600);
    r.link.Encolar_Proceso(0, 27);
    r.answer_until(kWrite1);
    r.answer();
    r.relay.set(0x0102, {550});
    r.messages.expect_message(
        "The relay does not hold the setpoints sent:\n"
        "Phase CT Rating Primary: sent 600 A, relay holds 550 A\n"
        "The page shows what the relay holds.",
        "NEVA", MsgButtons::Ok, MsgIcon::Critical);
    r.answer();
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0102"), 550);
}

TEST(VerifiedWrite, ARelayRefusingEveryWriteEndsInTheFailureWithinSeconds) {
    WriteRig r;
    r.link.Encolar_Proceso(0, 27);
    r.answer_until(kWrite1);
    r.messages.expect_message(
        "The setpoints were not saved: the relay refused them.\n"
        "the relay refuses the request with exception code 4 (the relay failed to carry it out)\n"
        "The relay keeps its old setpoints; the page keeps your values.",
        "NEVA", MsgButtons::Ok, MsgIcon::Critical);
    int seconds = 0;
    while (!r.messages.done() && seconds < 20) {
        if (fr(r.last()) == kWrite1) {
            // An exception answer is shorter than any receive threshold: it waits
            // until the time-out takes it off the line.
            r.drain_new();
            r.port.deliver(with_crc({r.relay.address, 0x90, 4}));
            r.tick();
            r.tick();
            seconds += 2;
        } else {
            r.answer();
        }
    }
    EXPECT_LE(seconds, 6);
    EXPECT_TRUE(r.state.En_Linea) << "the relay answers its reads: no communication error";
}

TEST(VerifiedWrite, LateAndMisshapenAnswersAreNeverTakenForTheRequestInFlight) {
    Rig r;
    r.connect_and_settle();
    const auto stored = r.images.Imagen_Setpoints;
    r.link.Encolar_Proceso(0, 62);
    r.answer_until(kRead2);
    // Block 1's answer, arriving late, is not block 2's, though its CRC is good.
    r.deliver(r.relay.reply(linktest::with_crc({r.relay.address, 3, 1, 0, 0, 27})));
    EXPECT_EQ(r.images.Imagen_Setpoints, stored);
    r.answer_until(kRead2);

    // The request times out; its answer comes while the line is left quiet.
    r.drain_new();
    r.timer1().fire();
    r.timer1().fire();
    ASSERT_TRUE(r.quiet().enabled());
    const auto sent = r.port.written.size();
    r.relay.set(0x0180, {0xBAD});
    r.deliver(r.relay.reply(r.last()));
    EXPECT_EQ(r.images.Imagen_Setpoints, stored) << "an answer after its time-out is nobody's";
    EXPECT_EQ(r.port.written.size(), sent);
    r.quiet().fire();
    ASSERT_EQ(r.port.written.size(), sent + 1);
    r.answer_until(kRead2);
    r.answer();
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0180"), 0xBAD);
}

TEST(LinkController, AnswersThatNeverMakeSenseEndTheLinkAfterTenSecondsWithTheirCause) {
    struct Case {
        Bytes answer;
        LinkFaultKind kind;
        std::string cause;
    };
    const Case cases[] = {
        {Bytes(17, 0x55), LinkFaultKind::BadCrc, "answers with a bad CRC: check the speed and parity"},
        {with_crc({9, 4, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), LinkFaultKind::OtherAddress,
         "answers come from slave address 9: check the relay's address"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.connect_and_settle();
        // A burst of noise shorter than ten seconds is ridden out.
        for (int i = 0; i < 9; ++i, r.clock.advance_ms(1000)) r.deliver(c.answer);
        r.answer(2);
        for (int i = 0; i < 10; ++i, r.clock.advance_ms(1000)) r.deliver(c.answer);
        EXPECT_EQ(r.disconnects, 0);
        r.messages.expect_message(" Communication Error...\n" + c.cause, "Communication Error", MsgButtons::Ok,
                                  MsgIcon::Critical);
        r.deliver(c.answer);
        EXPECT_EQ(r.disconnects, 1);
        EXPECT_EQ(r.link.failure().kind, c.kind);
        EXPECT_FALSE(r.state.En_Linea);
    }
}

TEST(FileSend, BothBlocksAreWrittenAndReadBackOrTheReportSaysWhatTheRelayHolds) {
    for (bool interrupted : {false, true}) {
        Rig r;
        r.state.Puerto_Com = 2;
        r.relay.address = 9;
        put_word(r.images.Imagen_Edicion, "0102", 550);
        put_word(r.images.Imagen_Edicion, "0181", 120);
        ASSERT_TRUE(r.link.start_file_send(9));
        r.answer(2);  // block 1 written and read back
        EXPECT_EQ(r.relay.regs[0x0102], 550);
        ASSERT_EQ(fr(r.last()), kWrite2);
        if (!interrupted) {
            r.answer();
            r.messages.expect_message("Setpoints were Saved to the Relay memory");
            r.answer();
            EXPECT_EQ(r.relay.regs[0x0181], 120);
        } else {
            // The relay falls silent after block 1.
            r.messages.expect_message(
                "Error sending File to Relay\n"
                "Block 1 (System Setup, Output Relays Configuration, Digital Inputs Configuration, Event Recorder): "
                "written, confirmed and read back: the relay holds the file's setpoints\n"
                "Block 2 (Phase and Ground Protections): sent but not confirmed: the relay may hold the file's or "
                "its old setpoints\n"
                "The relay may now hold a mix of the file's setpoints and its old ones.\n"
                "no answer from the relay: check the cable, the port, the speed and the address",
                kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
            for (int i = 0; i < 6; ++i) r.tick();
            EXPECT_EQ(r.relay.regs[0x0181], 0);
        }
        r.messages.verify();
        EXPECT_FALSE(r.state.Enviando_Archivo);
        EXPECT_FALSE(r.state.En_Linea);
        EXPECT_FALSE(r.port.is_open());
    }
}

}  // namespace
}  // namespace neva
