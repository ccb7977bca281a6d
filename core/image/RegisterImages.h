#pragma once
// The relay's registers mirrored as byte arrays, high byte first.

#include <array>
#include <cstddef>
#include <cstdint>

namespace neva {

inline constexpr std::size_t kSetpointImageSize = 201;  // positions 0..200
inline constexpr std::size_t kAvImageSize = 1501;       // positions 0..1500

using SetpointImage = std::array<std::uint8_t, kSetpointImageSize>;
using AvImage = std::array<std::uint8_t, kAvImageSize>;

struct RegisterImages {
    SetpointImage Imagen_Setpoints{};  // stored setpoints: the relay's, or offline the scratch memory
    SetpointImage Imagen_Edicion{};    // edited setpoints: sent and saved from here
    SetpointImage Imagen_Respaldo{};   // copy made by TransfiereSetpoints; nothing reads it
    AvImage Imagen_AV{};               // actual values
};

// Setpoint blocks as byte ranges of the setpoint images: block 1 is registers
// 0x0100..0x011B (bytes 0..55), block 2 is 0x0180..0x0195 (bytes 56..99).
struct BlockBounds {
    std::size_t first;
    std::size_t last;  // inclusive
};
inline constexpr BlockBounds kBlock1{0, 55};
inline constexpr BlockBounds kBlock2{56, 99};
inline constexpr BlockBounds block_bounds(int block) { return block == 2 ? kBlock2 : kBlock1; }

}  // namespace neva
