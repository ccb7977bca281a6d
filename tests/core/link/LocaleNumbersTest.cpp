#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "LinkTestRig.h"
#include "editors/NumericEntry.h"
#include "image/ModAutoRango.h"

namespace neva {
namespace {

// The desktop program and the command-line tool run under the user's locale (Qt
// sets it from the environment); these checks run under a comma-decimal one.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"es_ES.UTF-8", "es_ES.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"})
            if (std::setlocale(LC_ALL, name)) break;
        if (std::localeconv()->decimal_point != std::string(","))
            GTEST_SKIP() << "no comma-decimal locale installed; scripts/install-deps.sh generates es_ES.UTF-8";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, RelayNumbersAndTypedNumbersKeepTheirDecimals) {
    // Under this locale the metering page once showed 12.35 A as "12.00 A".
    linktest::Rig r;
    r.images.Imagen_AV[21] = 1235 % 256;
    r.images.Imagen_AV[20] = 1235 / 256;
    std::int32_t bloque = 1;
    r.link.NEVA().Devuelve_Datos(bloque);
    const Valor v = r.link.NEVA().DatosDeVariables(12);
    EXPECT_EQ(v.text(), "12.35");
    std::string text, unit;
    AutoRango(1, text, unit, to_fixed(v.number()));
    EXPECT_EQ(text + " " + unit, "12.35 A");

    EXPECT_EQ(Valor(12.35).text(), "12.35");
    EXPECT_EQ(Valor(" +7.5 kA").number(), 7.5);
    EXPECT_EQ(Valor(" 147, Remote Trip ").number(), 147);
    EXPECT_EQ(Valor("none").number(), 0);

    // Typed values: "1,5" is 1.5, as "1.5" is, whatever the locale.
    for (const char* typed : {"1,5", "1.5", " 1,50 Sec"}) EXPECT_EQ(NumericEntry::leading_number(typed), 1.5) << typed;
    EXPECT_EQ(NumericEntry::leading_number("2,5,1"), 2.5);
    // ... and the delay dialog stores 1.50 s, not 1.00 s.
    CalcHandover c;
    c.Calc_Max = 60000;
    c.Calc_Inc_A = 1;
    c.Calc_Escala_A = 100.0f;
    testing::ScriptedMessages none;
    NumericEntry d(c, none);
    d.load();
    d.set_pantalla("1,5");
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 150);
}

}  // namespace
}  // namespace neva
