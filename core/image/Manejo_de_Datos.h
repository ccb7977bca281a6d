#pragma once
// Address rule, field reads and writes and block copies over the register images.
// None of these report errors: an address outside both setpoint blocks maps to
// position 0, and a DataLen or High outside the table reads 0 and writes nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/RegisterImages.h"

namespace neva {

// Value of a text read as hexadecimal, stopping at the first non-digit ("" -> 0).
std::uint32_t hex_value(std::string_view text);

// Byte position of a setpoint register address text ("0100" -> 0, "0180" -> 56).
std::int16_t Posicion_Setpoint(std::string_view address);

// DataLen: 0 one byte (High 1 = high byte at p, 0 = low byte at p+1), 1 word, 2 double word.
std::int32_t Lee_Setpoint(const RegisterImages& img, int pos, int data_len, int high);
std::int32_t Lee_Edicion(const RegisterImages& img, int pos, int data_len, int high);

// Writes the value of an upper-case hexadecimal text (8 digits from the numeric
// editors) into the field. A one-byte field only takes 0..255: a larger value is
// refused (nothing written, false returned) rather than cut, so that no editor can
// ever leave a wrong setting in the image.
bool Escribe_Edicion(RegisterImages& img, int pos, std::string_view hex_text, int data_len, int high);
// The 4-digit form used by the bit-field selector; a one-byte field keeps the low byte.
void Escribe_Edicion_Corta(RegisterImages& img, std::string_view hex_text, int pos, int data_len, int high);

// Field value of bits b1..bn (weights 1, 2, 4, 8) of the stored register field.
int Lee_Bits(const RegisterImages& img, const std::vector<int>& bits, int pos, int data_len, int high);
// Register value of the edit image with the field replaced. One bit: `index` != 0 sets it.
// Two to four bits: field value = index * multiplier (16-bit); bits of the product beyond
// the field are ignored, so the register's other bits always stay as they are.
std::int32_t Pon_Bits(const RegisterImages& img, int index, int multiplier, const std::vector<int>& bits,
                      int pos, int data_len, int high);
// Bit b of a register field of the stored image (for the pages' check boxes).
bool bit_of(std::int32_t value, int bit);

// Copies of one setpoint block (1 or 2) between the images.
void copy_block_to_edit(RegisterImages& img, int block);    // stored -> edit
void copy_block_to_stored(RegisterImages& img, int block);  // edit -> stored
// Stored -> edit for one block: throws away the unsaved edits of that block.
void Restaura_Bloque(RegisterImages& img, int block);
// Edit -> stored, all 201 bytes.
void Guarda_Edicion(RegisterImages& img);

// Upper-case hexadecimal text of a value, zero-padded to `width` digits
// (a longer form is not cut). Negative values show their 32-bit pattern.
std::string Texto_Hex(std::int32_t value, int width = 8);

}  // namespace neva
