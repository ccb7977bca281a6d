#pragma once
// The request frames the program sends to the relay, built byte for byte from the
// slave address, the register images and the arguments, and the test by which an
// answer is accepted. Registers, counts and 16-bit data go high byte first; every
// frame ends in the CRC of all the bytes before it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/RegisterImages.h"
#include "link/LinkFault.h"

namespace neva {

inline constexpr std::uint8_t kFnReadHolding = 0x03;
inline constexpr std::uint8_t kFnReadInput = 0x04;
inline constexpr std::uint8_t kFnCommand = 0x05;
inline constexpr std::uint8_t kFnWriteRegisters = 0x10;

// Appends the two CRC bytes of everything already in the frame.
void append_crc(std::vector<std::uint8_t>& frame);
// Whether the frame ends in the CRC of the bytes before it; false below 3 bytes.
bool crc_matches(const std::vector<std::uint8_t>& frame);

// Function 04 / 03: address, function, register hi/lo, count hi/lo, CRC (8 bytes).
std::vector<std::uint8_t> frame_read_input(std::uint8_t address, std::uint8_t reg_hi, std::uint8_t reg_lo,
                                           std::uint8_t count_hi, std::uint8_t count_lo);
std::vector<std::uint8_t> frame_read_holding(std::uint8_t address, std::uint8_t reg_hi, std::uint8_t reg_lo,
                                             std::uint8_t count_hi, std::uint8_t count_lo);
// Function 05 with the command code as the coil number and the value FF 00.
std::vector<std::uint8_t> frame_command(std::uint8_t address, std::uint16_t code);
// Function 16 writes of setpoint block 1 (registers 0100..011A, image bytes 0..53,
// 63 bytes) or block 2 (0180..0195, image bytes 56..99, 53 bytes) from the edit image.
std::vector<std::uint8_t> frame_write_block(std::uint8_t address, const SetpointImage& edicion, int block);
// Function 16 write of one value to the event selector 0610 (11 bytes).
std::vector<std::uint8_t> frame_select_event(std::uint8_t address, std::uint16_t value);
// Function 16 write of the relay clock 0090..0092: six items sent one byte each (15 bytes).
std::vector<std::uint8_t> frame_write_clock(std::uint8_t address, const std::array<std::int16_t, 6>& reloj);

// What the answer to a request must look like: its function code, its exact length
// (a read of N data bytes: N + 5, announcing N in its byte count; a command or write
// echo: 8) and, for an echo, the four bytes after the function code the request
// carried (register and count, or coil and value).
struct ExpectedAnswer {
    std::uint8_t function = 0;  // 0: nothing was asked, so no answer can be right
    std::size_t length = 0;
    std::vector<std::uint8_t> echo;  // bytes 2..5 of the request; empty: not compared
};

// The answer a request frame asks for; function 0 for anything that is no request.
ExpectedAnswer expected_answer_for(const std::vector<std::uint8_t>& request);

// An answer is valid when it carries the CRC of its bytes, comes from `address`, has
// the function code of the request (so an exception answer is not), is exactly as
// long as the request asks, announces the data bytes asked for and echoes what a
// write or command sent. A late answer to another request therefore fails unless
// it has the very same shape. Everything else (short, long, foreign, garbled) is
// invalid, so no caller ever reads past the bytes received. The fault says why.
// `crc` receives the computed CRC when there were at least 3 bytes to check.
LinkFault check_answer(const std::vector<std::uint8_t>& answer, std::uint8_t address, const ExpectedAnswer& expected,
                       std::int32_t* crc = nullptr);
inline bool answer_is_valid(const std::vector<std::uint8_t>& answer, std::uint8_t address,
                            const ExpectedAnswer& expected, std::int32_t* crc = nullptr) {
    return check_answer(answer, address, expected, crc).kind == LinkFaultKind::None;
}

}  // namespace neva
