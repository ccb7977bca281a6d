#pragma once
// A setpoint register in a setpoint image, by its address: two bytes, high byte
// first, as the relay and the files hold it.

#include <cstdint>
#include <string_view>

#include "image/Manejo_de_Datos.h"
#include "image/RegisterImages.h"

namespace neva::testing {

inline void put_word(SetpointImage& image, std::string_view address, std::uint16_t value) {
    const int p = Posicion_Setpoint(address);
    image[p] = static_cast<std::uint8_t>(value >> 8);
    image[p + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

inline std::uint16_t word(const SetpointImage& image, std::string_view address) {
    const int p = Posicion_Setpoint(address);
    return static_cast<std::uint16_t>(image[p] << 8 | image[p + 1]);
}

}  // namespace neva::testing
