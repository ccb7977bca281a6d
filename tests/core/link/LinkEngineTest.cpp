// The link engine on a fake line with a test relay: the connect sequence, time-outs
// and repeats, queues and faults, and setpoint writes that never claim more than the
// relay holds, with a link that never takes a late or damaged answer for a good one.

#include <gtest/gtest.h>

#include "LinkTestRig.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::fr;
using linktest::Rig;
using linktest::with_crc;
using Req = std::pair<int, int>;
using testing::put_word;
using testing::word;

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
    r.port.device = "/dev/ttyS2";  // the second line names the device and why it did not open
    r.port.failure = "permission denied (your user must be in the group dialout: ...)";
    r.messages.expect_message("Invalid Number Port: COM 3\nDevice /dev/ttyS2: " + r.port.failure,
                              "Communication error", MsgButtons::Ok, MsgIcon::Critical);
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
    // Sent again at once, before the cyclic status read.
    EXPECT_EQ(colas.Ranura_Actual, slot);
    EXPECT_EQ(fr(r.last()), (Req{4, 0x0209}));

    // A whole answer with a correct CRC from another slave, and an exception answer.
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
    // Garbage is repeated too, and as an answer it ends a run of failures.
    for (int i = 0; i < 4; ++i) r.tick(), r.tick();
    EXPECT_EQ(r.link.NEVA().Fallos_Consecutivos(), 4);
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
    r.messages.while_shown = [&] {
        for (int k = 0; k < 4; ++k) r.timer_com().fire();
    };
    r.messages.expect_message("Command executed");
    r.answer();
    r.messages.while_shown = nullptr;
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

// The queues on their own: a link without a port only records what it was asked to run.
struct QueueRig {
    Rig rig;
    Proceso_Comunicacion& colas = rig.link.Colas();
    NEVA200& neva = rig.link.NEVA();
    std::vector<int> ran;

    QueueRig() {
        neva.Finalizado = [this](bool&) { ran.push_back(neva.Accion); };
    }
    // The current request completes.
    void done() { colas.Estado_Actual() = Proceso_Comunicacion::kDone; }
    int next() {
        const auto n = ran.size();
        colas.Despachar_Proceso();
        return ran.size() > n ? ran.back() : -1;
    }
    // Runs requests to completion, one after another, and lists them.
    std::vector<int> run(int count) {
        std::vector<int> out;
        for (int i = 0; i < count; ++i, done()) out.push_back(next());
        return out;
    }
};

TEST(Proceso_Comunicacion, ChannelsRunByPriorityAndTheCyclicOnesInTurn) {
    QueueRig q;
    q.rig.state.Ciclicos = 2;
    q.colas.Iniciar_Colas();
    EXPECT_EQ(q.next(), -1) << "nothing queued, nothing runs";

    q.colas.Encolar_Proceso(3, &q.neva, 2);
    q.colas.Encolar_Proceso(3, &q.neva, 91);
    q.colas.Encolar_Proceso(1, &q.neva, 4);
    q.colas.Encolar_Proceso(2, &q.neva, 5);
    q.colas.Encolar_Proceso(0, &q.neva, 61);
    q.colas.Encolar_Proceso(0, &q.neva, 62);

    EXPECT_EQ(q.next(), 61);
    // One request at a time: nothing starts while the current one executes.
    q.colas.Encolar_Proceso(1, &q.neva, 6);
    EXPECT_EQ(q.next(), -1);
    q.done();
    EXPECT_EQ(q.run(4), (std::vector<int>{62, 4, 6, 5}));
    // Only the cyclic channel is left: its two slots in turn, for ever.
    EXPECT_EQ(q.run(5), (std::vector<int>{2, 91, 2, 91, 2}));
    // A one-off request queued meanwhile comes first again.
    q.colas.Encolar_Proceso(0, &q.neva, 13);
    EXPECT_EQ(q.next(), 13);
    q.done();
    EXPECT_EQ(q.next(), 91);
}

TEST(Proceso_Comunicacion, FullQueuesDropAndFreedSlotsAreReused) {
    QueueRig q;
    q.rig.state.Ciclicos = 1;
    q.colas.Iniciar_Colas();
    for (int i = 0; i < 500; ++i) ASSERT_EQ(q.colas.Encolar_Proceso(1, &q.neva, 4), i);
    EXPECT_EQ(q.colas.Encolar_Proceso(1, &q.neva, 5), -1) << "full: dropped";
    EXPECT_EQ(q.colas.Encolar_Proceso(7, &q.neva, 5), -1);
    EXPECT_EQ(q.next(), 4);
    q.done();
    EXPECT_EQ(q.colas.Encolar_Proceso(1, &q.neva, 6), 0) << "a done slot is free again";
    // The cyclic channel has one slot: a second request replaces nothing.
    EXPECT_EQ(q.colas.Encolar_Proceso(3, &q.neva, 2), 0);
    EXPECT_EQ(q.colas.Encolar_Proceso(3, &q.neva, 91), -1);
}

TEST(LinkController, ThePortPulledOutMidTransactionEndsTheLinkOnce) {
    Rig r;
    r.connect_and_settle();
    r.link.status_tick();
    r.link.Encolar_Proceso(0, 62);
    r.answer();
    ASSERT_EQ(fr(r.last()), (Req{3, 0x0180}));
    // Part of the answer has arrived and the settling delay is running.
    r.port.drain();
    r.port.deliver(Bytes(49, 0x11));
    ASSERT_TRUE(r.link.TmrRetardoCom().enabled());

    r.messages.expect_message(" Communication Error...", "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
    r.port.pull_out();
    EXPECT_EQ(r.disconnects, 1);
    EXPECT_FALSE(r.state.En_Linea);
    for (auto* t : {&r.timer1(), &r.timer_com(), &r.retardo()}) EXPECT_FALSE(t->enabled());

    const auto sent = r.port.written.size();
    r.port.pull_out();  // a second notice changes nothing
    r.link.Tiempo_Agotado();
    r.link.Desconectar();  // OFF on a port that is gone writes nothing
    r.link.NEVA().Accion = 2;
    r.link.NEVA().Ejecuta();  // nor does a frame: the port refuses it
    EXPECT_EQ(r.link.Colas().Cola_Estado[0][r.link.Colas().Ranura_Actual], Proceso_Comunicacion::kPending);
    EXPECT_EQ(r.port.written.size(), sent);
    EXPECT_EQ(r.disconnects, 1);
    // The status display goes offline at its next tick.
    r.link.Timer2().set_enabled(true);
    EXPECT_FALSE(r.link.status_tick());
    EXPECT_FALSE(r.link.Timer2().enabled());

    // Reconnecting afterwards works as the first time.
    ASSERT_TRUE(r.link.Conectar(1, 9600, 17));
    r.answer();
    EXPECT_TRUE(r.state.En_Linea);
    EXPECT_FALSE(r.state.Error_Comunicacion);
}

TEST(LinkController, OffStopsTheLinkAndALateAnswerClosesThePort) {
    Rig r;
    r.connect_and_settle();
    const auto sent = r.port.written.size();
    r.link.Desconectar();
    ASSERT_EQ(r.port.written.size(), sent + 1);
    EXPECT_EQ(r.last(), Bytes{0x00});
    EXPECT_TRUE(r.port.is_open());
    // The status read still in flight is answered: the port closes, nothing more is sent.
    r.deliver(r.relay.reply(r.port.written[sent - 1]));
    EXPECT_FALSE(r.port.is_open());
    EXPECT_EQ(r.port.written.size(), sent + 1);
}

TEST(LinkController, PrintingEventsReportsReadyOnceTheQueuedReadsAreDone) {
    Rig r;
    int ready = 0;
    r.link.on_ready_events = [&] { ++ready; };
    EXPECT_FALSE(r.link.Imprimir_Eventos()) << "offline: nothing to read";
    r.connect_and_settle();
    r.relay.set(0x0600, {12});
    for (int n = 1; n <= 12; ++n) r.relay.events[n] = linktest::stamp(n % 2 ? 21 : 20, 5, 6, n, 9, 0, 0);

    ASSERT_TRUE(r.link.Imprimir_Eventos());
    EXPECT_TRUE(r.state.Imprimiendo);
    int exchanges = 0;
    while (ready == 0 && exchanges < 60) {
        r.answer();
        ++exchanges;
    }
    ASSERT_EQ(ready, 1);
    // The status read in flight, the head and ten select-and-read pairs.
    EXPECT_EQ(exchanges, 22);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(r.link.NEVA().DatosDeVariables(64 + k).text().rfind(" " + std::to_string(12 - k) + ",", 0), 0u)
            << k;
    r.answer(40);
    EXPECT_EQ(ready, 1);
}


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
    put_word(r.images.Imagen_Edicion, "0181", 77);  // an edit in block 2, which is not sent
    r.link.Encolar_Proceso(0, 27);
    r.answer_until(kWrite1);
    r.answer();  // confirmed; the block is read back next
    ASSERT_EQ(fr(r.last()), kRead1);
    r.messages.expect_message("Setpoints were Saved to the Relay memory", "NEVA", MsgButtons::Ok,
                              MsgIcon::Information);
    r.answer();
    r.messages.verify();
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0102"), 550);
    EXPECT_EQ(word(r.images.Imagen_Setpoints, "0181"), 0) << "block 2 untouched";
    EXPECT_EQ(word(r.images.Imagen_Edicion, "0181"), 77);

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
        r.port.device = "/dev/ttyUSB0";
        r.connect_and_settle();
        // A burst of noise shorter than ten seconds is ridden out.
        for (int i = 0; i < 9; ++i, r.clock.advance_ms(1000)) r.deliver(c.answer);
        r.answer(2);
        for (int i = 0; i < 10; ++i, r.clock.advance_ms(1000)) r.deliver(c.answer);
        EXPECT_EQ(r.disconnects, 0);
        // The cause, then the line it happened on.
        r.messages.expect_message(" Communication Error...\n" + c.cause +
                                      "\nCOM 1 (/dev/ttyUSB0), 9600 baud, relay address 17",
                                  "Communication Error", MsgButtons::Ok, MsgIcon::Critical);
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
