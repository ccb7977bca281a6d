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

    // A typed "1,5" is 1.5 (it was 1, and a delay of 1.00 Sec was stored).
    EXPECT_EQ(NumericEntry::leading_number(" 1,5 Sec"), 1.5);
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace neva
