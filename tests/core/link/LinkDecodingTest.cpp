#include <gtest/gtest.h>

#include <clocale>

#include "LinkTestRig.h"
#include "editors/NumericEntry.h"
#include "image/ModAutoRango.h"
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

// The decoded values at some positions of the link's table, as texts.
std::vector<std::string> texts(NEVA200& neva, std::initializer_list<int> positions) {
    std::vector<std::string> out;
    for (int p : positions) out.push_back(neva.DatosDeVariables(p).text());
    return out;
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
    for (auto [position, bit] : {std::pair{1, 1}, {2, 0}, {8, 1}, {9, 1}, {10, 0}})
        EXPECT_EQ(neva.DatosDeVariables(position), Valor(bit)) << position;
    EXPECT_EQ(texts(neva, {23, 24, 27, 28}),
              (std::vector<std::string>{" De-energized ", " Energized ", " Open ", " Closed "}));
    b = 1;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(texts(neva, {12, 13}), (std::vector<std::string>{"1234.56", "0.05"}));
    b = 2;
    neva.Devuelve_Datos(b);
    EXPECT_EQ(neva.DatosDeVariables(17), Valor(1000));
    EXPECT_EQ(neva.DatosDeVariables(19), Valor(std::int64_t{65535000}));

    // Positions outside the table and blocks that do not exist read nothing.
    EXPECT_TRUE(neva.DatosDeVariables(501).empty() && neva.DatosDeVariables(-1).empty());
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
    EXPECT_EQ(texts(neva, {33, 34, 36, 39}), (std::vector<std::string>{" Ground Timed OverCurrent ",
                                                                    "05/03/03 10:07:09 PM", "12.34", "0.01"}));
    EXPECT_NEAR(neva.DatosDeVariables(38).number(), 167772.16, 0.02);

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

// The programs run under the user's locale (Qt sets it from the environment).
TEST(Numbers, KeepTheirDecimalPointUnderACommaDecimalLocale) {
    if (!std::setlocale(LC_ALL, "es_ES.UTF-8"))
        GTEST_SKIP() << "es_ES.UTF-8 is not installed; scripts/install-deps.sh generates it";
    // The metering page once showed 12.35 A as "12.00 A" here.
    linktest::Rig r;
    r.images.Imagen_AV[20] = 1235 / 256;
    r.images.Imagen_AV[21] = 1235 % 256;
    std::int32_t bloque = 1;
    r.link.NEVA().Devuelve_Datos(bloque);
    std::string text, unit;
    AutoRango(1, text, unit, to_fixed(r.link.NEVA().DatosDeVariables(12).number()));
    EXPECT_EQ(text, "12.35");
    EXPECT_EQ(Valor(12.35).text(), "12.35");

    // A typed "1,5" is 1.5 (it was 1, and a delay of 1.00 Sec was stored).
    EXPECT_EQ(NumericEntry::leading_number(" 1,5 Sec"), 1.5);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace neva
