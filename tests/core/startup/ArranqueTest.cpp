#include <gtest/gtest.h>

#include "startup/Arranque.h"
#include "testing/FakeClock.h"

using neva::Arranque;

TEST(Arranque, ExternalStartLineGivesSpeedPortAndAddress) {
    auto r = Arranque::interpretar("9600,N,8,1 2 1");
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->linea) << r->error;
    EXPECT_EQ(r->linea->velocidad, 9600);
    EXPECT_EQ(r->linea->puerto, 2);
    EXPECT_EQ(r->linea->direccion, 1);

    // Only the number before the first comma is the speed; the launcher may pass the
    // line as three separate arguments and with surrounding blanks.
    auto j = Arranque::interpretar(Arranque::unir_argumentos({"19200,E,7,2", "8", "247"}));
    ASSERT_TRUE(j && j->linea);
    EXPECT_EQ(j->linea->direccion, 247);
    auto b = Arranque::interpretar("  1200, 1   1  ");
    ASSERT_TRUE(b && b->linea) << (b ? b->error : "");
    EXPECT_EQ(b->linea->velocidad, 1200);
    // Two blanks, or an empty argument between the fields, are one separator on
    // purpose: port 2 and address 1, never an empty port field.
    const std::string lines[] = {"9600,N,8,1  2  1", Arranque::unir_argumentos({"9600,N,8,1", "", "2", "1"})};
    for (const auto& l : lines) {
        auto d = Arranque::interpretar(l);
        ASSERT_TRUE(d && d->linea) << l;
        EXPECT_EQ(d->linea->puerto, 2);
        EXPECT_EQ(d->linea->direccion, 1);
    }

    EXPECT_FALSE(Arranque::interpretar("   "));
}

TEST(Arranque, MalformedLinesNameTheirProblem) {
    struct Caso { const char* linea; const char* trozo; };
    const Caso casos[] = {
        {"9600,N,8,1 2", "fewer than three fields"}, {"9600,N,8,1 2 1 5", "more than three fields"},
        {"9600 2 1", "no comma"}, {"fast,N,8,1 2 1", "speed \"fast\""},
        {"0,N,8,1 2 1", "not a serial speed"}, {"14400,N,8,1 2 1", "not one of 1200, 2400"},
        {"99999999999999999999999,N,8,1 2 1", "not a serial speed"}, {"9600,N,8,1 two 1", "port number \"two\""},
        {"9600,N,8,1 0 1", "port number 0 on the command line is outside 1 to 8"},
        {"9600,N,8,1 99999999999999999999 1", "outside 1 to 8"}, {"9600,N,8,1 2 -1", "relay address \"-1\""},
        {"9600,N,8,1 2 0", "relay address 0 on the command line is outside 1 to 247"},
        {"9600,N,8,1 2 248", "outside 1 to 247"},
    };
    for (const auto& c : casos) {
        auto r = Arranque::interpretar(c.linea);
        ASSERT_TRUE(r) << c.linea;
        EXPECT_FALSE(r->linea) << c.linea;
        EXPECT_NE(r->error.find(c.trozo), std::string::npos) << c.linea << " -> " << r->error;
        EXPECT_NE(r->error.find("starts without a connection"), std::string::npos);
    }
}

TEST(Arranque, DefaultFileBesideTheProgramWithoutDoubledSeparator) {
#ifdef _WIN32
    EXPECT_EQ(Arranque::ruta_archivo_defecto("C:\\NEVA"), "C:\\NEVA\\Default.NEVA2");
#else
    EXPECT_EQ(Arranque::ruta_archivo_defecto("/opt/neva"), "/opt/neva/Default.NEVA2");
#endif
    EXPECT_EQ(Arranque::ruta_archivo_defecto("C:\\"), "C:\\Default.NEVA2");
    EXPECT_EQ(Arranque::ruta_archivo_defecto("/"), "/Default.NEVA2");
}

TEST(Arranque, SplashWaitEndsAfterThreeSecondsAlsoAcrossMidnight) {
    neva::testing::FakeClock clock;
    clock.set_now({2026, 12, 31, 23, 59, 58});
    neva::EsperaSplash espera(clock);
    EXPECT_FALSE(espera.terminada());
    clock.advance_ms(2000);
    // The time of day has wrapped to 00:00:00 here; the wait must not care.
    clock.set_now({2027, 1, 1, 0, 0, 0});
    EXPECT_FALSE(espera.terminada());
    EXPECT_EQ(espera.restante_ms(), 1000);
    clock.advance_ms(1000);
    EXPECT_TRUE(espera.terminada());
    EXPECT_EQ(espera.restante_ms(), 0);
}
