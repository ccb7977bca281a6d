#include <gtest/gtest.h>

#include "LinkTestRig.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::Rig;

// After a setpoint file was sent and confirmed nothing is in flight. An answer that
// comes anyway and fails the check (bad CRC, another address, garbage) must not
// make the dispatcher run a queue slot that holds no request.
TEST(LinkController, AnAnswerAfterAConfirmedFileSendIsIgnored) {
    for (const Bytes& stray : {Bytes{9, 0x10, 0x01, 0x00, 0x00, 0x1B, 0x00, 0x00},  // bad CRC
                               linktest::with_crc({8, 0x10, 0x01, 0x00, 0x00, 0x1B}),  // another relay
                               Bytes{0xFF, 0x00, 0x13, 0x37, 0x42, 0x42, 0x42, 0x42}}) {
        Rig r;
        r.relay.address = 9;
        ASSERT_TRUE(r.link.start_file_send(9));
        r.messages.expect_message("Setpoints were Saved to the Relay memory");
        r.answer();
        ASSERT_FALSE(r.state.Enviando_Archivo);
        const auto sent = r.port.written.size();
        const auto stored = r.images.Imagen_Setpoints;

        r.deliver(stray);
        r.tick();
        r.tick();
        EXPECT_EQ(r.port.written.size(), sent) << "nothing is sent for an answer nobody asked for";
        EXPECT_EQ(r.images.Imagen_Setpoints, stored);
        EXPECT_EQ(r.disconnects, 0);
    }
}

}  // namespace
}  // namespace neva
