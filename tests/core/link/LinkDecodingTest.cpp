#include <gtest/gtest.h>

#include "LinkTestRig.h"
#include "link/LinkMessages.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::Rig;

void put_words(AvImage& av, int pos, const std::vector<std::uint16_t>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        av[pos + 2 * i] = words[i] >> 8;
        av[pos + 2 * i + 1] = words[i] & 0xFF;
    }
}

TEST(NEVA200, DecodesStatusMeasurementsAndMaintenance) {
    Rig r;
    auto& av = r.images.Imagen_AV;
    auto& neva = r.link.NEVA();
    put_words(av, 6, {0x0581, 0, 0x0009, 0x0022});  // 0203..0206
    put_words(av, 18, {0x0001, 0xE240, 0, 5, 0, 100, 0, 0});  // 0209.. : 123456, 5, 100, 0
    put_words(av, 56, {7, 1, 2, 65535, 4, 5, 6});              // 0280..0286

    std::int32_t b = 0;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(1), Valor(1));
    EXPECT_EQ(neva.DatosDeVariables(2), Valor(0));
    EXPECT_EQ(neva.DatosDeVariables(8), Valor(1));
    EXPECT_EQ(neva.DatosDeVariables(9), Valor(1));
    EXPECT_EQ(neva.DatosDeVariables(10), Valor(0));
    EXPECT_EQ(neva.DatosDeVariables(23).text(), " De-energized ");
    EXPECT_EQ(neva.DatosDeVariables(24).text(), " Energized ");
    EXPECT_EQ(neva.DatosDeVariables(27).text(), " Open ");
    EXPECT_EQ(neva.DatosDeVariables(28).text(), " Closed ");

    b = 1;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(12).text(), "1234.56");
    EXPECT_EQ(neva.DatosDeVariables(13).text(), "0.05");

    b = 2;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(17), Valor(1000));
    EXPECT_EQ(neva.DatosDeVariables(19), Valor(std::int64_t{65535000}));

    // Positions outside the table and blocks that do not exist read nothing.
    EXPECT_TRUE(neva.DatosDeVariables(501).empty());
    EXPECT_TRUE(neva.DatosDeVariables(-1).empty());
    b = 6;
    EXPECT_FALSE(neva.Devuelve_Datos(b));
}

TEST(NEVA200, TimeStampsOfTheLastTripAndTheClock) {
    Rig r;
    auto& av = r.images.Imagen_AV;
    auto& neva = r.link.NEVA();
    put_words(av, 34, linktest::stamp(43, 3, 3, 5, 22, 7, 9));  // 0211: ground timed overcurrent
    put_words(av, 40, {0, 1234, 0, 0, 0x0100, 0, 0, 1});       // 0214.. four values
    std::int32_t b = 3;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(33).text(), " Ground Timed OverCurrent ");
    EXPECT_EQ(neva.DatosDeVariables(34).text(), "05/03/03 10:07:09 PM");
    EXPECT_EQ(neva.DatosDeVariables(36).text(), "12.34");
    EXPECT_NEAR(neva.DatosDeVariables(38).number(), 167772.16, 0.02);
    EXPECT_EQ(neva.DatosDeVariables(39).text(), "0.01");

    // The clock: midnight and noon on a 12-hour clock, zero time as "0".
    put_words(av, 0, linktest::stamp(0, 26, 12, 31, 0, 5, 0));
    b = 4;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(40).text(), "31/12/26 12:05:00 AM");
    // An event code the relay does not name (9 bits) gives an empty event text.
    put_words(av, 34, {static_cast<std::uint16_t>(511 * 128 + 3), 3 * 1024 + 5 * 32, 0});
    b = 3;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(33).text(), "");
}

TEST(NEVA200, EventWindowGoesToItsSlotByDistanceFromTheNewest) {
    Rig r;
    auto& av = r.images.Imagen_AV;
    auto& neva = r.link.NEVA();
    put_words(av, 70, {9});  // newest event 9
    put_words(av, 104, linktest::stamp(41, 4, 1, 2, 8, 0, 0));
    std::int32_t b = 5;
    put_words(av, 102, {4});
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(69).text(), " 4, Phase Inst OverCurrent ,02/01/04 08:00:00 AM");
    put_words(av, 102, {10});  // one past the newest
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(63).text(), " 10, Phase Inst OverCurrent ,02/01/04 08:00:00 AM");
    EXPECT_EQ(neva.Ultimo_Numero, 9);
    // Too old to be shown, or beyond: nothing changes.
    put_words(av, 70, {40});
    put_words(av, 102, {20});
    const auto before = neva.Valores;
    neva.Devuelve_Datos(b);
    put_words(av, 102, {45});
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.Valores, before);
}

TEST(NEVA200, IdentificationVersionTexts) {
    struct Case { std::uint16_t w0, w1, w2; bool supported; std::string version; };
    const Case cases[] = {
        {12, 2, 103, true, " 1.03   "}, {12, 2, 110, true, " 1.1    "}, {12, 2, 200, false, "1.01    "},
        {12, 2, 102, false, "1.01    "}, {12, 3, 103, false, "1.01    "}, {11, 2, 103, false, "1.01    "},
    };
    for (const Case& c : cases) {
        Rig r;
        auto& neva = r.link.NEVA();
        neva.Direccion = 17;
        ASSERT_TRUE(r.port.open());
        neva.Accion = 60;
        neva.Ejecuta();
        r.relay.set(0x0000, {c.w0, c.w1, c.w2});
        if (!c.supported) r.messages.expect_message(unsupported_relay_text(c.w0, c.w1, c.w2));
        r.port.deliver(r.relay.reply(r.last()));
        neva.Refrescar();
        EXPECT_EQ(neva.Resultado(), c.supported) << c.w2;
        EXPECT_EQ(neva.Version.str(), c.version);
        EXPECT_EQ(r.state.Error_Comunicacion, !c.supported);
        // The identification is never stored over the clock at position 0.
        EXPECT_EQ(r.images.Imagen_AV[0] + r.images.Imagen_AV[1], 0);
    }
}

TEST(NEVA200, EventSelectionBeyondTheNewestMarksTheLaterSlotsEmptyOfTrips) {
    Rig r;
    auto& neva = r.link.NEVA();
    neva.Direccion = 1;
    ASSERT_TRUE(r.port.open());
    put_words(r.images.Imagen_AV, 70, {3});
    neva.Accion = 35;  // event 5 of 3
    neva.Ejecuta();
    EXPECT_EQ(neva.Evento_Pedido, 5);
    EXPECT_EQ(r.last()[8], 1) << "asks for the newest";
    for (int k = 5; k <= 20; ++k) EXPECT_EQ(neva.DatosDeVariables(63 + k).text(), " No Trip ") << k;
    EXPECT_TRUE(neva.DatosDeVariables(67).empty());
}

}  // namespace
}  // namespace neva
