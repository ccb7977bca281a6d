#include <gtest/gtest.h>

#include "LinkTestRig.h"

namespace neva {
namespace {

using linktest::Rig;

// The relay's record: events 1..newest, all stamped at `minute`.
void fill_record(Rig& r, int newest, int minute) {
    r.relay.events.clear();
    r.relay.set(0x0600, {static_cast<std::uint16_t>(newest)});
    for (int n = 1; n <= newest; ++n) r.relay.events[n] = linktest::stamp(20 + n % 6, 5, 6, 7, 8, minute, 0);
}

// The event numbers in slots 64..83 (0: no event) must be newest, newest - 1, ... 1, 0, ...
void expect_record(Rig& r, int newest) {
    for (int k = 0; k < 20; ++k) {
        const std::string t = r.link.NEVA().DatosDeVariables(64 + k).text();
        EXPECT_EQ(t.find(',') == std::string::npos ? 0 : std::stoi(t), std::max(newest - k, 0)) << k << ": " << t;
    }
}

TEST(EventRecord, FreshReadsAndClearsNeverLeaveOldEvents) {
    Rig r;
    int done = 0, failed = 0;
    auto on_done = [&](bool ok) { ++(ok ? done : failed); };
    r.connect_and_settle();
    fill_record(r, 147, 1);
    int last_progress = 0;
    ASSERT_TRUE(r.link.Leer_Registro_Eventos([&](int a, int total) { last_progress = a * 100 + total; }, on_done));
    int exchanges = 0;
    for (; exchanges < 60 && done == 0; ++exchanges) r.answer();
    // The status read in flight, then the head and 20 selections with their reads.
    EXPECT_EQ(exchanges, 42);
    EXPECT_EQ(last_progress, 4141);
    expect_record(r, 147);

    // Cleared on the relay's panel, then four new events: nothing past 4 survives.
    // Cleared again with again four events: the same newest number, other events.
    for (int minute : {2, 3}) {
        fill_record(r, 4, minute);
        r.link.Encolar_Proceso(0, 30);
        r.answer();
        r.answer_until({4, 0x0203}, 40);
        expect_record(r, 4);
        const std::string oldest = r.link.NEVA().DatosDeVariables(67).text();
        EXPECT_NE(oldest.find(":0" + std::to_string(minute) + ":00"), std::string::npos) << oldest;
    }

    // Cleared from here: once the relay confirms, no event is shown.
    r.messages.expect_message("Command executed", "NEVA", MsgButtons::Ok, MsgIcon::Information);
    r.link.Encolar_Proceso(0, 13);
    r.answer_until({5, 9});
    r.answer();
    expect_record(r, 0);

    // A read that the link's end cuts short reports it, once.
    ASSERT_TRUE(r.link.Leer_Registro_Eventos(nullptr, on_done));
    r.answer(3);
    r.link.Desconectar();
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(done, 1);
}

}  // namespace
}  // namespace neva
