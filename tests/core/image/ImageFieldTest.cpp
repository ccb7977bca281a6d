#include <gtest/gtest.h>

#include "image/Manejo_de_Datos.h"

namespace neva {
namespace {

TEST(ImageField, AddressRuleAtBlockEdges) {
    EXPECT_EQ(Posicion_Setpoint("011b"), 54);
    EXPECT_EQ(Posicion_Setpoint("0180"), 56);
    EXPECT_EQ(Posicion_Setpoint("0195"), 98);
    for (const char* outside : {"011C", "017F", "0196", "0", "", "FFFF", "zz"})
        EXPECT_EQ(Posicion_Setpoint(outside), 0) << outside;
}

TEST(ImageField, ReadsByDataLenAndHigh) {
    RegisterImages img;
    img.Imagen_Setpoints[40] = 0x12;
    img.Imagen_Setpoints[41] = 0x34;
    EXPECT_EQ(Lee_Setpoint(img, 40, 0, 1), 18);
    EXPECT_EQ(Lee_Setpoint(img, 40, 0, 0), 52);
    // The last register of block 2 as a double word reaches position 101.
    for (int i = 0; i < 4; ++i) img.Imagen_Setpoints[98 + i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(Lee_Setpoint(img, 98, 2, 0), 0x01020304);
    // The edit image is never read as a double word.
    img.Imagen_Edicion = img.Imagen_Setpoints;
    EXPECT_EQ(Lee_Edicion(img, 98, 2, 0), 0);
    EXPECT_EQ(Lee_Edicion(img, 98, 1, 0), 0x0102);
    // Positions that would run past the image read 0 instead of outside it.
    EXPECT_EQ(Lee_Setpoint(img, 199, 1, 0), 0);
    EXPECT_EQ(Lee_Setpoint(img, -1, 1, 0), 0);
}

TEST(ImageField, WritesTouchOnlyTheirField) {
    RegisterImages low;
    EXPECT_TRUE(Escribe_Edicion(low, 40, "0000002A", 0, 0));
    EXPECT_TRUE(Escribe_Edicion(low, 40, "000000FF", 0, 1));
    EXPECT_EQ(low.Imagen_Edicion[40], 0xFF);
    EXPECT_EQ(low.Imagen_Edicion[41], 42);
    // A value too large for one byte is refused rather than cut.
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000100", 0, 1));
    EXPECT_EQ(low.Imagen_Edicion[40], 0xFF);
    // Unknown DataLen or High writes nothing.
    const auto before = low.Imagen_Edicion;
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000001", 0, 5));
    EXPECT_FALSE(Escribe_Edicion(low, 40, "00000001", 7, 0));
    EXPECT_EQ(low.Imagen_Edicion, before);

    RegisterImages dword;
    EXPECT_TRUE(Escribe_Edicion(dword, 98, "A1B2C3D4", 2, 0));
    EXPECT_EQ(dword.Imagen_Edicion[98], 0xA1);
    EXPECT_EQ(dword.Imagen_Edicion[101], 0xD4);
    EXPECT_EQ(dword.Imagen_Edicion[102], 0);
    EXPECT_TRUE(dword.Imagen_Setpoints == SetpointImage{});
}

TEST(ImageField, BitFields) {
    RegisterImages img;
    img.Imagen_Setpoints[0] = 0x00;
    img.Imagen_Setpoints[1] = 0b1010;
    EXPECT_EQ(Lee_Bits(img, {1, 3}, 0, 1, 0), 3);
    EXPECT_EQ(Lee_Bits(img, {0, 1}, 0, 1, 0), 2);
    EXPECT_EQ(Lee_Bits(img, {1, 3}, 0, 2, 0), 0);

    img.Imagen_Edicion[0] = 0x00;
    img.Imagen_Edicion[1] = 0xF0;
    EXPECT_EQ(Pon_Bits(img, 2, 1, {0, 1}, 0, 1, 0), 0x00F2);
    EXPECT_EQ(Pon_Bits(img, 1, 0, {15}, 0, 1, 0), 0x80F0);
    // Field value 3 x 2 = 6 on bits 4..6: bit 4 cleared, 5 and 6 set, 7 kept.
    EXPECT_EQ(Pon_Bits(img, 3, 2, {4, 5, 6}, 0, 1, 0), 0x00E0);
    // Bits of the product beyond the field are ignored.
    EXPECT_EQ(Pon_Bits(img, 5, 1, {0, 1}, 0, 1, 0), 0x00F1);
    // Pon_Bits writes nothing.
    EXPECT_EQ(img.Imagen_Edicion[1], 0xF0);
}

}  // namespace
}  // namespace neva
