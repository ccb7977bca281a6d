#include "link/BasicCRC.h"

namespace neva {

namespace {

// Entry i of the standard reflected table (polynomial 0xA001): the published
// "high" table holds its low byte, the "low" table its high byte.
constexpr std::uint16_t reflected_entry(unsigned i) {
    std::uint16_t crc = static_cast<std::uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u) : crc >> 1;
    return crc;
}

constexpr std::array<std::uint8_t, 256> make_table(bool alta) {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        const std::uint16_t e = reflected_entry(i);
        t[i] = static_cast<std::uint8_t>(alta ? (e & 0xFF) : (e >> 8));
    }
    return t;
}

constexpr auto kAlta = make_table(true);
constexpr auto kBaja = make_table(false);
static_assert(kAlta[1] == 0xC1 && kAlta[2] == 0x81 && kAlta[3] == 0x40 && kAlta[7] == 0x41);
static_assert(kBaja[1] == 0xC0 && kBaja[2] == 0xC1 && kBaja[4] == 0xC3 && kBaja[7] == 0xC2);

}  // namespace

std::array<std::uint8_t, 256> Tabla_CRC_Alta = kAlta;
std::array<std::uint8_t, 256> Tabla_CRC_Baja = kBaja;

void Iniciar_Tablas_CRC() {
    Tabla_CRC_Alta = make_table(true);
    Tabla_CRC_Baja = make_table(false);
}

std::int32_t CRC16(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t hi = 0xFF, lo = 0xFF;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t i = hi ^ bytes[k];
        hi = lo ^ Tabla_CRC_Alta[i];
        lo = Tabla_CRC_Baja[i];
    }
    return hi * 256 + lo;
}

std::int32_t CRC16(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return CRC16(bytes.data(), count < bytes.size() ? count : bytes.size());
}

}  // namespace neva
