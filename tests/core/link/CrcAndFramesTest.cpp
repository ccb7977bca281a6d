#include <gtest/gtest.h>

#include "link/BasicCRC.h"
#include "link/Frames.h"
#include "LinkTestRig.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::with_crc;

TEST(CRC16, MatchesThePublishedExamplesAndTables) {
    Iniciar_Tablas_CRC();
    const Bytes a{0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(CRC16(a, a.size()), 0x840A);
    const Bytes b{0x01, 0x04, 0x02, 0x03, 0x00, 0x06};
    EXPECT_EQ(CRC16(b, b.size()), 0x81B0);
    // A count larger than the array never reads past it.
    EXPECT_EQ(CRC16(b, 100), 0x81B0);

    // Whole tables against a bitwise CRC on many frames.
    Bytes f;
    for (int i = 0; i < 300; ++i) {
        f.push_back(static_cast<std::uint8_t>(i * 37 + 11));
        const std::uint16_t ref = linktest::reference_crc(f, f.size());
        ASSERT_EQ(CRC16(f, f.size()), (ref & 0xFF) * 256 + (ref >> 8)) << i;
    }
}

// Every frame the link sends, for slave address 17, through the action that sends it.
TEST(Frames, EveryRequestIsBuiltByteExactForTheLinksAddress) {
    linktest::Rig r;
    NEVA200& neva = r.link.NEVA();
    neva.Direccion = 17;
    neva.Puerto_PC = 2;
    ASSERT_TRUE(r.port.open());
    for (std::size_t i = 0; i < 100; ++i) {
        r.images.Imagen_Edicion[i] = static_cast<std::uint8_t>(0xA0 + i);
        r.images.Imagen_Setpoints[i] = 0;
    }
    neva.Date_Time(5, 3, 2003, 10, 20, 30);
    r.images.Imagen_AV[70] = 0;  // newest event number 7 (register 0600)
    r.images.Imagen_AV[71] = 7;

    struct Case {
        int accion;
        Bytes head;  // everything before the CRC
        int receive, send;
    };
    Bytes block1{17, 0x10, 0x01, 0x00, 0x00, 0x1B, 0x36};
    for (int i = 0; i < 54; ++i) block1.push_back(static_cast<std::uint8_t>(0xA0 + i));
    Bytes block2{17, 0x10, 0x01, 0x80, 0x00, 0x16, 0x2C};
    for (int i = 56; i < 100; ++i) block2.push_back(static_cast<std::uint8_t>(0xA0 + i));
    const Case cases[] = {
        {2, {17, 0x04, 0x02, 0x03, 0x00, 0x06}, 17, 8}, {4, {17, 0x04, 0x02, 0x09, 0x00, 0x08}, 21, 8},
        {5, {17, 0x04, 0x02, 0x80, 0x00, 0x07}, 19, 8}, {6, {17, 0x04, 0x02, 0x11, 0x00, 0x0B}, 27, 8},
        {11, {17, 0x05, 0x00, 0x01, 0xFF, 0x00}, 8, 8}, {13, {17, 0x05, 0x00, 0x09, 0xFF, 0x00}, 8, 8},
        {17, {17, 0x05, 0x00, 0x16, 0xFF, 0x00}, 8, 8}, {27, block1, 8, 63}, {28, block2, 8, 53},
        {30, {17, 0x04, 0x06, 0x00, 0x00, 0x04}, 13, 8},
        {31, {17, 0x10, 0x06, 0x10, 0x00, 0x01, 0x02, 0x00, 0x07}, 8, 11},  // newest = 7
        {33, {17, 0x10, 0x06, 0x10, 0x00, 0x01, 0x02, 0x00, 0x05}, 8, 11},
        {38, {17, 0x10, 0x06, 0x10, 0x00, 0x01, 0x02, 0x00, 0x01}, 8, 11},  // beyond: newest shown
        {60, {17, 0x04, 0x00, 0x00, 0x00, 0x03}, 11, 8}, {61, {17, 0x03, 0x01, 0x00, 0x00, 0x1B}, 59, 8},
        {62, {17, 0x03, 0x01, 0x80, 0x00, 0x16}, 49, 8}, {90, {17, 0x04, 0x06, 0x10, 0x00, 0x04}, 13, 8},
        {91, {17, 0x04, 0x02, 0x00, 0x00, 0x03}, 11, 8}, {92, {17, 0x05, 0x00, 0x05, 0xFF, 0x00}, 8, 8},
        {93, {17, 0x10, 0x00, 0x90, 0x00, 0x03, 0x06, 0x00, 0x03, 0x0C, 0xAA, 0x51, 0x2C}, 8, 15},
    };
    for (const Case& c : cases) {
        const std::size_t before = r.port.written.size();
        neva.Accion = static_cast<std::int16_t>(c.accion);
        neva.Ejecuta();
        ASSERT_EQ(r.port.written.size(), before + 1) << "action " << c.accion;
        EXPECT_EQ(r.last(), with_crc(c.head)) << "action " << c.accion;
        EXPECT_EQ(r.port.receive_threshold(), c.receive) << "action " << c.accion;
        EXPECT_EQ(r.port.send_threshold(), c.send) << "action " << c.accion;
    }
    // Start registers as hexadecimal text without leading zeros.
    EXPECT_EQ(neva.Registro_Actual(), "200");  // the last function-04 read was the clock
    EXPECT_EQ(neva.Registro_Setpoint(), "180");
}

TEST(Frames, AnAnswerIsValidOnlyWhenWholeFromTheRelayAndForTheRequest) {
    const ExpectedAnswer read12{kFnReadInput, 17, {}};
    Bytes good{17, 0x04, 12};
    for (int i = 0; i < 12; ++i) good.push_back(static_cast<std::uint8_t>(i));
    good = with_crc(good);
    EXPECT_TRUE(answer_is_valid(good, 17, read12));

    Bytes bad_crc = good;
    bad_crc.back() ^= 1;
    EXPECT_FALSE(answer_is_valid(bad_crc, 17, read12));
    EXPECT_FALSE(answer_is_valid(good, 18, read12)) << "another slave";
    EXPECT_FALSE(answer_is_valid(good, 17, {kFnReadHolding, 17, {}})) << "another function";
    EXPECT_FALSE(answer_is_valid(good, 17, {kFnReadInput, 21, {}})) << "fewer data than expected";
    EXPECT_FALSE(answer_is_valid(with_crc({17, 0x84, 0x02}), 17, read12)) << "exception answer";
    EXPECT_FALSE(answer_is_valid(with_crc({17, 0x04, 2, 0, 1}), 17, read12)) << "short with good CRC";
    EXPECT_FALSE(answer_is_valid({17, 0x04}, 17, read12));
    EXPECT_FALSE(answer_is_valid(good, 17, {})) << "nothing was asked";

    // The echo of a command is its answer; its contents are not compared.
    const Bytes echo = with_crc({17, 0x05, 0x00, 0x09, 0xFF, 0x00});
    EXPECT_TRUE(answer_is_valid(echo, 17, {kFnCommand, 8, {}}));
    EXPECT_FALSE(answer_is_valid(echo, 17, {kFnWriteRegisters, 8, {}}));
}

}  // namespace
}  // namespace neva
