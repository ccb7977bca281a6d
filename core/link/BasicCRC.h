#pragma once
// The relay's frames end in the Modbus CRC-16, computed with the two published
// 256-byte lookup tables (high-order and low-order byte tables).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace neva {

// The two lookup tables. They are already filled when the program starts (constant
// initialisation), so a CRC computed before the start-up sequence is still right;
// Iniciar_Tablas_CRC fills them again from the polynomial.
extern std::array<std::uint8_t, 256> Tabla_CRC_Alta;
extern std::array<std::uint8_t, 256> Tabla_CRC_Baja;

void Iniciar_Tablas_CRC();

// CRC of the first `count` bytes (count is cut to the array's size). The result has
// the byte that goes first on the line in its high half: 01 03 00 00 00 01 -> 0x840A.
std::int32_t CRC16(const std::uint8_t* bytes, std::size_t count);
std::int32_t CRC16(const std::vector<std::uint8_t>& bytes, std::size_t count);

}  // namespace neva
