#include "image/Manejo_de_Datos.h"

#include <algorithm>
#include <cstdio>

namespace neva {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::int32_t read_field(const SetpointImage& b, int pos, int data_len, int high, bool allow_double) {
    if (pos < 0 || pos + 3 >= static_cast<int>(b.size())) return 0;
    switch (data_len) {
        case 0:
            if (high == 1) return b[pos];
            if (high == 0) return b[pos + 1];
            return 0;
        case 1:
            return 256 * b[pos] + b[pos + 1];
        case 2:
            if (!allow_double) return 0;
            // A stored value with the top bit set would read negative; the register map
            // never binds a double word, so keep the 31 bits a Long can carry.
            return static_cast<std::int32_t>(((std::uint32_t(b[pos]) << 24) | (std::uint32_t(b[pos + 1]) << 16) |
                                              (std::uint32_t(b[pos + 2]) << 8) | b[pos + 3]) & 0x7FFFFFFFu);
        default:
            return 0;
    }
}

void copy_block(const SetpointImage& from, SetpointImage& to, int block) {
    auto bounds = block_bounds(block);
    std::copy(from.begin() + bounds.first, from.begin() + bounds.last + 1, to.begin() + bounds.first);
}

}  // namespace

std::uint32_t hex_value(std::string_view text) {
    std::uint32_t v = 0;
    for (char c : text) {
        int d = hex_digit(c);
        if (d < 0) break;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

std::int16_t Posicion_Setpoint(std::string_view address) {
    std::uint32_t a = 0;
    int digits = 0;
    for (char c : address) {
        int d = hex_digit(c);
        if (d < 0 || ++digits > 8) break;
        a = (a << 4) | static_cast<std::uint32_t>(d);
    }
    if (a >= 0x0100 && a <= 0x011B) return static_cast<std::int16_t>(2 * (a - 0x0100));
    if (a >= 0x0180 && a <= 0x0195) return static_cast<std::int16_t>(2 * (a - 0x0180) + 56);
    return 0;
}

std::int32_t Lee_Setpoint(const RegisterImages& img, int pos, int data_len, int high) {
    return read_field(img.Imagen_Setpoints, pos, data_len, high, true);
}

std::int32_t Lee_Edicion(const RegisterImages& img, int pos, int data_len, int high) {
    // The edit image is never read as a double word.
    return read_field(img.Imagen_Edicion, pos, data_len, high, false);
}

bool Escribe_Edicion(RegisterImages& img, int pos, std::string_view hex_text, int data_len, int high) {
    auto& b = img.Imagen_Edicion;
    if (pos < 0 || pos + 3 >= static_cast<int>(b.size())) return false;
    const std::uint32_t v = hex_value(hex_text);
    switch (data_len) {
        case 0:
            if (high != 0 && high != 1) return false;
            if (v > 0xFF) return false;
            b[high == 1 ? pos : pos + 1] = static_cast<std::uint8_t>(v);
            return true;
        case 1:
            b[pos] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
            b[pos + 1] = static_cast<std::uint8_t>(v & 0xFF);
            return true;
        case 2:
            b[pos] = static_cast<std::uint8_t>(v >> 24);
            b[pos + 1] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
            b[pos + 2] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
            b[pos + 3] = static_cast<std::uint8_t>(v & 0xFF);
            return true;
        default:
            return false;
    }
}

void Escribe_Edicion_Corta(RegisterImages& img, std::string_view hex_text, int pos, int data_len, int high) {
    auto& b = img.Imagen_Edicion;
    if (pos < 0 || pos + 1 >= static_cast<int>(b.size())) return;
    const std::uint32_t v = hex_value(hex_text) & 0xFFFF;
    if (data_len == 0) {
        if (high == 1) b[pos] = static_cast<std::uint8_t>(v & 0xFF);
        else if (high == 0) b[pos + 1] = static_cast<std::uint8_t>(v & 0xFF);
    } else if (data_len == 1) {
        b[pos] = static_cast<std::uint8_t>(v >> 8);
        b[pos + 1] = static_cast<std::uint8_t>(v & 0xFF);
    }
}

bool bit_of(std::int32_t value, int bit) {
    return bit >= 0 && bit < 32 && (static_cast<std::uint32_t>(value) >> bit) & 1u;
}

int Lee_Bits(const RegisterImages& img, const std::vector<int>& bits, int pos, int data_len, int high) {
    if (data_len != 0 && data_len != 1) return 0;
    const std::int32_t v = Lee_Setpoint(img, pos, data_len, high);
    int field = 0;
    for (std::size_t k = 0; k < bits.size() && k < 4; ++k)
        if (bit_of(v, bits[k])) field |= 1 << k;
    return field;
}

std::int32_t Pon_Bits(const RegisterImages& img, int index, int multiplier, const std::vector<int>& bits,
                      int pos, int data_len, int high) {
    std::uint32_t v = static_cast<std::uint32_t>(Lee_Edicion(img, pos, data_len, high));
    if (bits.size() == 1) {
        const std::uint32_t mask = bits[0] >= 0 && bits[0] < 16 ? 1u << bits[0] : 0;
        return static_cast<std::int32_t>(index != 0 ? (v | mask) : (v & ~mask));
    }
    const std::uint32_t f = static_cast<std::uint16_t>(index * multiplier);
    for (std::size_t k = 0; k < bits.size() && k < 4; ++k) {
        if (bits[k] < 0 || bits[k] >= 16) continue;
        const std::uint32_t mask = 1u << bits[k];
        v = (f >> k) & 1u ? (v | mask) : (v & ~mask);
    }
    return static_cast<std::int32_t>(v);
}

void copy_block_to_edit(RegisterImages& img, int block) { copy_block(img.Imagen_Setpoints, img.Imagen_Edicion, block); }
void copy_block_to_stored(RegisterImages& img, int block) { copy_block(img.Imagen_Edicion, img.Imagen_Setpoints, block); }
void Restaura_Bloque(RegisterImages& img, int block) { copy_block_to_edit(img, block); }
void Guarda_Edicion(RegisterImages& img) { img.Imagen_Setpoints = img.Imagen_Edicion; }

std::string Texto_Hex(std::int32_t value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", width, static_cast<unsigned>(value));
    return buf;
}

}  // namespace neva
