#include <gtest/gtest.h>

#include "startup/SharedState.h"

namespace neva {
namespace {

TEST(FixedText, CutsLongTextsAndPadsShortOnes) {
    FixedText<20> name;
    name = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters
    EXPECT_EQ(name.str(), "ABCDEFGHIJKLMNOPQRST");
    name = "ABC";
    EXPECT_EQ(name.str(), "ABC" + std::string(17, ' '));
    EXPECT_EQ(name.trimmed_right(), "ABC");
    name = "";
    EXPECT_EQ(name.str(), std::string(20, ' '));
}

TEST(SharedState, StartsWithEveryFlagFalseAndEveryTextBlank) {
    SharedState s;
    EXPECT_FALSE(s.Modo_Externo || s.En_Linea || s.Modo_Modem || s.Reset_Permitido || s.Modem_Programado ||
                 s.Esperando_Respuesta || s.Archivo_Cargado || s.Enviando_Archivo || s.Imprimiendo ||
                 s.Error_Comunicacion || s.Puerto_Abierto);
    EXPECT_EQ(s.Nombre_Rele.str(), std::string(20, ' '));
    EXPECT_EQ(s.Programador.str(), std::string(20, ' '));
    EXPECT_EQ(s.Observaciones.str(), std::string(100, ' '));
    EXPECT_EQ(s.Telefono.str(), std::string(20, ' '));
    EXPECT_TRUE(s.Version_Rele.empty());
    EXPECT_TRUE(s.Cadena_Modem.empty());
}

}  // namespace
}  // namespace neva
