#include <gtest/gtest.h>

#include "LinkTestRig.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::fr;
using linktest::Rig;
using Req = std::pair<int, int>;

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

}  // namespace
}  // namespace neva
