#include <gtest/gtest.h>

#include "LinkTestRig.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::fr;
using linktest::Rig;
using linktest::with_crc;
using Req = std::pair<int, int>;

std::vector<Req> requests(const std::vector<Bytes>& frames, std::size_t from = 0) {
    std::vector<Req> out;
    for (std::size_t i = from; i < frames.size(); ++i) out.push_back(fr(frames[i]));
    return out;
}

TEST(LinkController, ConnectRunsTheWholeStartSequenceInOrder) {
    Rig r;
    r.relay.set(0x0100, {0x1234});
    r.relay.set(0x0195, {0xBEEF});
    r.relay.set(0x0203, {0x00A5, 0, 0x0003, 0x0021});
    r.relay.set(0x0600, {2});
    r.relay.events[2] = linktest::stamp(40, 3, 3, 5, 10, 20, 30);
    r.relay.events[1] = linktest::stamp(26, 3, 3, 4, 15, 5, 0);

    ASSERT_TRUE(r.link.Conectar(3, 19200, 17));
    EXPECT_EQ(r.port.settings(), "19200,N,8,1");
    EXPECT_FALSE(r.state.En_Linea);
    ASSERT_EQ(r.port.written.size(), 1u);

    r.answer();  // identification: 12, 2, 103
    EXPECT_TRUE(r.state.En_Linea);
    EXPECT_TRUE(r.link.Timer2().enabled());
    EXPECT_EQ(r.state.Version_Rele, "1.03");

    r.answer(12);
    const std::vector<Req> expected{
        {4, 0x0000}, {3, 0x0100}, {3, 0x0180}, {4, 0x0209}, {4, 0x0280}, {4, 0x0211}, {4, 0x0600},
        {16, 0x0610}, {4, 0x0610},  // event 1 (the newest) queued by the head read
        {16, 0x0610}, {4, 0x0610},  // the rest read after the newest number changed
        {4, 0x0203}, {4, 0x0203}, {4, 0x0203},  // then only the cyclic status read
    };
    EXPECT_EQ(requests(r.port.written), expected);

    // Both setpoint blocks arrived in the stored and the edit image.
    EXPECT_EQ(r.images.Imagen_Setpoints[1], 0x34);
    EXPECT_EQ(r.images.Imagen_Edicion[99], 0xEF);
    // The status block is in the actual-value image at 0203's position.
    EXPECT_EQ(r.images.Imagen_AV[7], 0xA5);
    // The event record: newest first at 64.
    auto& neva = r.link.NEVA();
    EXPECT_EQ(neva.DatosDeVariables(64).text(), " 2, Phase Timed OverCurrent ,05/03/03 10:20:30 AM");
    EXPECT_EQ(neva.DatosDeVariables(65).text(), " 1, Breaker Status: OPENED ,04/03/03 03:05:00 PM");
    EXPECT_EQ(neva.DatosDeVariables(66).text(), " No Trip ") << "beyond the newest";
    EXPECT_EQ(neva.Ultimo_Numero, 2);
}

TEST(LinkController, AFailedPortOpeningDropsEveryRequest) {
    Rig r;
    r.port.fail_open = true;
    r.messages.expect_message("Invalid Number Port: COM 3", "Communication error", MsgButtons::Ok, MsgIcon::Critical);
    EXPECT_FALSE(r.link.Conectar(3, 9600, 1));
    EXPECT_FALSE(r.state.Esperando_Respuesta);
    EXPECT_TRUE(r.port.written.empty());
    for (int c = 0; c < 4; ++c)
        for (int s = 0; s < 500; ++s) ASSERT_EQ(r.link.Colas().Cola_Estado[c][s], Proceso_Comunicacion::kFree);
}

TEST(LinkController, ARelayThatNeverAnswersEndsInOneCommunicationError) {
    Rig r;
    r.messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    ASSERT_TRUE(r.link.Conectar(1, 9600, 17));
    // The attempt times out although no answer ever made the link "communicating".
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(r.disconnects, 0) << "tick " << i;
        r.tick();
    }
    EXPECT_EQ(r.disconnects, 1);
    EXPECT_TRUE(r.state.Error_Comunicacion);
    EXPECT_FALSE(r.link.Timer1().enabled());
    // Five requests, each given up after two ticks, then the single 0x00 of the disconnect.
    const std::vector<Req> sent = requests({r.port.written.begin(), r.port.written.end() - 1});
    EXPECT_EQ(sent, (std::vector<Req>{{4, 0x0000}, {3, 0x0100}, {3, 0x0180}, {4, 0x0209}, {4, 0x0280}}));
    EXPECT_EQ(r.last(), Bytes{0x00});
    // Nothing more is dispatched.
    const auto count = r.port.written.size();
    r.tick();
    r.timer_com().fire();
    EXPECT_EQ(r.port.written.size(), count);
}

TEST(LinkController, AnyAnswerResetsTheFailureCount) {
    Rig r;
    r.connect_and_settle();
    auto& neva = r.link.NEVA();
    for (int i = 0; i < 4; ++i) r.tick(), r.tick();
    EXPECT_EQ(neva.Fallos_Consecutivos(), 4);
    r.deliver(Bytes(17, 0x55));  // garbage at the threshold still counts as an answer
    EXPECT_EQ(neva.Fallos_Consecutivos(), 0);
    for (int i = 0; i < 4; ++i) r.tick(), r.tick();
    r.messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    r.tick();
    r.tick();
    EXPECT_EQ(r.disconnects, 1);
    EXPECT_TRUE(neva.ErrorComm);
}

TEST(LinkController, TimeOutsRepeatTheRequestOnEitherTimer) {
    Rig r;
    r.connect_and_settle();
    r.link.Encolar_Proceso(0, 61);
    r.answer();  // the status read in flight completes; 61 goes out
    ASSERT_EQ(fr(r.last()), (Req{3, 0x0100}));
    auto& colas = r.link.Colas();
    const int slot = colas.Ranura_Actual;
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kExecuting);

    // Timer_Comunicacion counts too: one tick from each timer is two seconds' worth.
    EXPECT_TRUE(r.link.status_tick());
    r.drain_new();
    r.timer_com().fire();
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kExecuting);
    EXPECT_EQ(r.state.Ticks_Sin_Respuesta, 1);
    r.tick();
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kPending);
    EXPECT_EQ(r.link.NEVA().Fallos_Consecutivos(), 1);

    // The request is sent again before the cyclic read resumes for good.
    std::size_t from = r.port.written.size() - 1;
    r.answer(3);
    auto sent = requests(r.port.written, from);
    EXPECT_NE(std::find(sent.begin(), sent.end(), Req{3, 0x0100}), sent.end());
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kDone);
}

TEST(LinkController, BadAnswersAreNeverDataAndTheRequestIsRepeated) {
    Rig r;
    r.connect_and_settle();
    auto& colas = r.link.Colas();
    const auto av_before = r.images.Imagen_AV;

    // Measurements: 21 bytes expected. The port is made to report a short answer with
    // a correct CRC early; nothing of it is stored.
    r.link.Encolar_Proceso(0, 4);
    r.answer();
    ASSERT_EQ(fr(r.last()), (Req{4, 0x0209}));
    const int slot = colas.Ranura_Actual;
    r.port.deliver(with_crc({17, 0x04, 16, 0x01, 0x02}));
    r.link.MSComm1_OnComm(SerialPort::Event::Receive);
    r.retardo().fire();
    EXPECT_FALSE(r.link.NEVA().Respuesta_Valida());
    EXPECT_EQ(r.images.Imagen_AV, av_before);
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kPending);

    // A whole answer with a correct CRC from another slave, and an exception answer.
    // The request comes again (after at most one cyclic status read).
    r.answer();
    r.answer_until({4, 0x0209}, 1);
    const auto av_now = r.images.Imagen_AV;
    r.relay.address = 18;
    r.answer();
    EXPECT_EQ(r.images.Imagen_AV, av_now);
    r.relay.address = 17;
    r.answer();
    r.port.deliver(with_crc({17, 0x84, 0x02}));
    r.link.MSComm1_OnComm(SerialPort::Event::Receive);
    r.retardo().fire();
    EXPECT_EQ(r.images.Imagen_AV, av_now);
    // Garbage is repeated too and counts no failure.
    r.deliver(Bytes(21, 0xFF));
    EXPECT_EQ(r.link.NEVA().Fallos_Consecutivos(), 0);
    EXPECT_TRUE(r.state.En_Linea);
}

TEST(LinkController, AnUnsupportedRelayStopsTheLinkNamingTheVersions) {
    Rig r;
    r.relay.set(0x0000, {12, 2, 200});
    ASSERT_TRUE(r.link.Conectar(1, 9600, 17));
    r.messages.expect_message(
        "The relay's firmware version 2.00 is not supported.\n"
        "This program supports NEVA200 firmware versions 1.03 to 1.99.",
        "NEVA", MsgButtons::Ok, MsgIcon::Critical);
    r.answer();
    EXPECT_TRUE(r.state.Error_Comunicacion);
    EXPECT_FALSE(r.state.En_Linea);
    EXPECT_FALSE(r.port.is_open());
    EXPECT_EQ(r.port.written.size(), 1u);
}

TEST(LinkController, ConfirmedWritesStoreTheBlockAndCommandsAreConfirmed) {
    Rig r;
    r.connect_and_settle();
    const auto stored = r.images.Imagen_Setpoints;
    r.images.Imagen_Edicion[65] = 0xFA;
    r.images.Imagen_Edicion[10] = 0x42;  // an edit in block 1 that is not sent

    r.link.Encolar_Proceso(0, 28);
    r.answer();
    ASSERT_EQ(r.last().size(), 53u);
    EXPECT_EQ(r.last()[7 + 64 - 56 + 1], 0xFA);
    r.messages.expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok,
                              MsgIcon::Information);
    r.answer(2);  // the confirmation, then the read-back
    EXPECT_EQ(r.images.Imagen_Setpoints[65], 0xFA);
    EXPECT_EQ(r.images.Imagen_Setpoints[10], stored[10]) << "block 1 untouched";
    EXPECT_EQ(r.images.Imagen_Edicion[10], 0x42);

    // Commands are confirmed in the program's words.
    r.link.Encolar_Proceso(0, 11);
    r.answer_until({5, 0x0001});
    r.messages.expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    r.answer();
}

TEST(LinkController, ATickDuringAConfirmationBoxDoesNotGiveUpTheAnswerBeingParsed) {
    Rig r;
    r.connect_and_settle();
    r.link.status_tick();  // Timer_Comunicacion runs while communicating
    r.link.Encolar_Proceso(0, 13);
    r.answer();
    ASSERT_EQ(fr(r.last()), (Req{5, 0x0009}));
    const int slot = r.link.Colas().Ranura_Actual;
    const auto sent = r.port.written.size();
    // The box runs its own event loop, and the time-out timers tick while it is open.
    r.messages.during_box = [&] {
        for (int k = 0; k < 4; ++k) r.timer_com().fire();
    };
    r.messages.expect_message("Command executed");
    r.answer();
    r.messages.during_box = nullptr;
    EXPECT_EQ(r.link.Colas().Cola_Estado[0][slot], Proceso_Comunicacion::kDone);
    EXPECT_EQ(r.link.NEVA().Fallos_Consecutivos(), 0);
    // Exactly one next request went out: the cyclic status read.
    ASSERT_EQ(r.port.written.size(), sent + 1);
    EXPECT_EQ(fr(r.last()), (Req{4, 0x0203}));
}

TEST(LinkController, AGoodConfirmationAfterABadAnswerCountsAsDone) {
    Rig r;
    // The identification answer is garbled once: the version must still come from the
    // identification when it is repeated, not stay at the link's default.
    r.relay.set(0x0600, {0, 0, 0, 0});
    ASSERT_TRUE(r.link.Conectar(1, 9600, r.relay.address));
    ASSERT_EQ(fr(r.last()), (Req{4, 0x0000}));
    r.deliver(Bytes(11, 0x55));
    r.answer_until({4, 0x0203}, 40);
    EXPECT_EQ(r.state.Version_Rele, "1.03");

    // A garbled answer, then a confirmation the relay gives at once: the confirmed
    // request is done, not sent again for the failure before it.
    auto& colas = r.link.Colas();
    r.link.Encolar_Proceso(0, 92);
    r.link.Encolar_Proceso(0, 92);
    r.answer_until({5, 5});
    r.deliver(Bytes(8, 0x55));
    ASSERT_EQ(fr(r.last()), (Req{5, 5}));
    const int slot = colas.Ranura_Actual;
    r.answer();
    EXPECT_EQ(colas.Cola_Estado[0][slot], Proceso_Comunicacion::kDone);
}

}  // namespace
}  // namespace neva
