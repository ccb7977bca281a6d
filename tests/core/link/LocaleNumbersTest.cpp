#include <gtest/gtest.h>

#include <clocale>

#include "LinkTestRig.h"
#include "editors/NumericEntry.h"
#include "image/ModAutoRango.h"

namespace neva {
namespace {

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

    // A typed "1,5" is 1.5 s (raw 150), not 1.00 s.
    CalcHandover c;
    c.Calc_Max = 60000;
    c.Calc_Inc_A = 1;
    c.Calc_Escala_A = 100.0f;
    testing::ScriptedMessages none;
    NumericEntry d(c, none);
    d.set_pantalla("1,5");
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(c.Calc_Resultado, 150);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace neva
