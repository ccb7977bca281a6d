#include <gtest/gtest.h>

#include "editors/BitFieldSelector.h"
#include "image/Manejo_de_Datos.h"
#include "regmap/RegisterMap.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

struct Fixture {
    RegisterImages img;
    int changes = 0;

    void stored(std::string_view address, int v) {
        testing::put_word(img.Imagen_Setpoints, address, static_cast<std::uint16_t>(v));
        testing::put_word(img.Imagen_Edicion, address, static_cast<std::uint16_t>(v));
    }
    int edit(std::string_view address) const { return testing::word(img.Imagen_Edicion, address); }
};

PropertyStore one_bit(const char* bit) {
    PropertyStore s;
    s.set("Direccion", "0101");
    s.set("DataLen", "1");
    s.set("Bit1", bit);
    s.set("Nombre1", "No");
    s.set("Nombre2", "Yes");
    return s;
}

TEST(BitFieldSelector, OneBitFieldSelectsAndRewritesOnlyItsBit) {
    Fixture f;
    BitFieldSelector s(one_bit("10"), f.img);
    s.on_change = [&] { ++f.changes; };
    s.Crear_Items();
    ASSERT_EQ(s.ListCount(), 2);
    f.stored("0101", 0x0400 | 0x1234);
    EXPECT_TRUE(s.Inicializacion());
    EXPECT_EQ(s.ListIndex(), 1);
    EXPECT_EQ(s.Valor(), "Yes");
    EXPECT_EQ(f.changes, 1);  // the selection is written back like a user's choice
    EXPECT_EQ(f.edit("0101"), 0x1634);

    EXPECT_TRUE(s.choose(0));
    EXPECT_EQ(f.edit("0101"), 0x1234);
    EXPECT_EQ(f.changes, 2);
    EXPECT_FALSE(s.choose(2));
    EXPECT_EQ(f.changes, 2);

    // A byte field (High) reaches only its byte.
    PropertyStore p = one_bit("3");
    p.erase("DataLen");
    p.set("High", "1");
    BitFieldSelector high(p, f.img);
    high.Crear_Items();
    f.stored("0101", 0x00FF);
    high.choose(1);
    EXPECT_EQ(f.edit("0101"), 0x08FF);
}

TEST(BitFieldSelector, CurveFieldKeepsTheOtherBits) {
    Fixture f;
    const auto* curve = shipped_register_map().find("SETPAGE6", "Page6C", 0);
    ASSERT_NE(curve, nullptr);
    BitFieldSelector s(curve->properties, f.img);
    s.Crear_Items();
    f.stored("0182", 0xABC9);
    s.Inicializacion();
    EXPECT_EQ(s.ListIndex(), 9);
    EXPECT_EQ(s.Valor(), "IEC Short Time");
    s.choose(2);
    EXPECT_EQ(f.edit("0182"), 0xABC2);
    EXPECT_EQ(s.Texto_Hex(), "ABC2");
}

TEST(BitFieldSelector, ScatteredBitsCarryTheirWeights) {
    Fixture f;
    PropertyStore p;
    for (auto [k, v] : {std::pair{"Direccion", "0110"}, {"DataLen", "1"}, {"Tipo", "2"}, {"Bit1", "10"}, {"Bit2", "6"},
                        {"Bit3", "7"}, {"Cantidad_Items", "8"}})
        p.set(k, v);
    BitFieldSelector s(p, f.img);
    s.Crear_Items();
    ASSERT_EQ(s.ListCount(), 8);
    f.stored("0110", 0xFFFF);
    s.choose(5);  // 101b: bits 10 and 7 set, bit 6 clear
    EXPECT_EQ(f.edit("0110"), 0xFFBF);
    f.img.Imagen_Edicion = {};
    s.choose(5);
    EXPECT_EQ(f.edit("0110"), (1 << 10) | (1 << 7));
    f.stored("0110", (1 << 10) | (1 << 6));
    s.Inicializacion();
    EXPECT_EQ(s.ListIndex(), 3);
}

TEST(BitFieldSelector, InicializacionRoundsHalvesToEven) {
    Fixture f;
    PropertyStore p;
    for (auto [k, v] : {std::pair{"Direccion", "0110"}, {"DataLen", "1"}, {"Tipo", "1"}, {"Bit2", "1"}, {"Paso", "2"},
                        {"Cantidad_Items", "4"}})
        p.set(k, v);
    BitFieldSelector s(p, f.img);
    s.Crear_Items();
    f.stored("0110", 3);
    s.Inicializacion();
    EXPECT_EQ(s.ListIndex(), 2);
    EXPECT_EQ(f.edit("0110"), 3);  // entry 2 x 2 = 4 cannot be held by two bits: nothing written
}

TEST(BitFieldSelector, ValueWithoutANameSelectsNothingAndKeepsTheRegister) {
    Fixture f;
    const auto* curve = shipped_register_map().find("SETPAGE6", "Page6C", 1);
    BitFieldSelector s(curve->properties, f.img);
    s.on_change = [&] { ++f.changes; };
    s.Crear_Items();
    f.stored("018D", 0x000F);
    f.img.Imagen_Edicion[Posicion_Setpoint("018D") + 1] = 0x0F;
    EXPECT_TRUE(s.Inicializacion());
    EXPECT_EQ(s.ListIndex(), -1);
    EXPECT_EQ(s.Valor(), "");
    EXPECT_EQ(f.edit("018D"), 0x000F);
    EXPECT_EQ(f.changes, 0);
}

}  // namespace
}  // namespace neva
