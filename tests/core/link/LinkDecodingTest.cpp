#include <gtest/gtest.h>

#include <clocale>

#include "LinkTestRig.h"
#include "editors/NumericEntry.h"
#include "image/ModAutoRango.h"
#include "link/BasicCRC.h"
#include "link/Frames.h"
#include "link/LinkMessages.h"

namespace neva {
namespace {

using linktest::Bytes;
using linktest::Rig;
using linktest::with_crc;

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

// The bytes on the line: every frame the link sends, for slave address 17, through the action that sends it.
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
