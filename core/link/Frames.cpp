#include "link/Frames.h"

#include <algorithm>

#include "link/BasicCRC.h"

namespace neva {

namespace {

std::uint8_t hi_byte(std::uint16_t v) { return static_cast<std::uint8_t>((v & 0xFF00) / 256); }
std::uint8_t lo_byte(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

std::vector<std::uint8_t> frame_read(std::uint8_t address, std::uint8_t function, std::uint8_t reg_hi,
                                     std::uint8_t reg_lo, std::uint8_t count_hi, std::uint8_t count_lo) {
    std::vector<std::uint8_t> f{address, function, reg_hi, reg_lo, count_hi, count_lo};
    append_crc(f);
    return f;
}

}  // namespace

void append_crc(std::vector<std::uint8_t>& frame) {
    const std::int32_t crc = CRC16(frame, frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc / 256));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
}

bool crc_matches(const std::vector<std::uint8_t>& frame) {
    const std::size_t n = frame.size();
    if (n < 3) return false;
    const std::int32_t crc = CRC16(frame, n - 2);
    return frame[n - 2] == crc / 256 && frame[n - 1] == (crc & 0xFF);
}

std::vector<std::uint8_t> frame_read_input(std::uint8_t address, std::uint8_t reg_hi, std::uint8_t reg_lo,
                                           std::uint8_t count_hi, std::uint8_t count_lo) {
    return frame_read(address, kFnReadInput, reg_hi, reg_lo, count_hi, count_lo);
}

std::vector<std::uint8_t> frame_read_holding(std::uint8_t address, std::uint8_t reg_hi, std::uint8_t reg_lo,
                                             std::uint8_t count_hi, std::uint8_t count_lo) {
    return frame_read(address, kFnReadHolding, reg_hi, reg_lo, count_hi, count_lo);
}

std::vector<std::uint8_t> frame_command(std::uint8_t address, std::uint16_t code) {
    std::vector<std::uint8_t> f{address, kFnCommand, hi_byte(code), lo_byte(code), 0xFF, 0x00};
    append_crc(f);
    return f;
}

std::vector<std::uint8_t> frame_write_block(std::uint8_t address, const SetpointImage& edicion, int block) {
    // Block 1 sends 27 registers: register 011B lives only in the images and is never sent.
    const bool second = block == 2;
    const std::size_t first = second ? 56 : 0;
    const std::size_t count = second ? 44 : 54;
    std::vector<std::uint8_t> f(7 + count);
    f[0] = address;
    f[1] = kFnWriteRegisters;
    f[2] = 0x01;
    f[3] = second ? 0x80 : 0x00;
    f[4] = 0x00;
    f[5] = static_cast<std::uint8_t>(count / 2);  // registers
    f[6] = static_cast<std::uint8_t>(count);      // data bytes
    std::copy_n(edicion.begin() + first, count, f.begin() + 7);
    append_crc(f);
    return f;
}

std::vector<std::uint8_t> frame_select_event(std::uint8_t address, std::uint16_t value) {
    std::vector<std::uint8_t> f{address, kFnWriteRegisters, 0x06, 0x10, 0x00, 0x01, 0x02, hi_byte(value),
                                lo_byte(value)};
    append_crc(f);
    return f;
}

std::vector<std::uint8_t> frame_write_clock(std::uint8_t address, const std::array<std::int16_t, 6>& reloj) {
    std::vector<std::uint8_t> f{address, kFnWriteRegisters, 0x00, 0x90, 0x00, 0x03, 0x06};
    // Each item travels as one byte; a value outside 0..255 keeps its low byte.
    for (std::int16_t item : reloj) f.push_back(static_cast<std::uint8_t>(item & 0xFF));
    append_crc(f);
    return f;
}

ExpectedAnswer expected_answer_for(const std::vector<std::uint8_t>& request) {
    if (request.size() < 8) return {};
    const std::uint8_t fn = request[1];
    if (fn == kFnReadInput || fn == kFnReadHolding) {
        const std::size_t count = request[4] * 256u + request[5];
        return {fn, 2 * count + 5, {}};
    }
    if (fn == kFnCommand || fn == kFnWriteRegisters) return {fn, 8, {request.begin() + 2, request.begin() + 6}};
    return {};
}

LinkFault check_answer(const std::vector<std::uint8_t>& answer, std::uint8_t address, const ExpectedAnswer& expected,
                       std::int32_t* crc) {
    const std::size_t n = answer.size();
    if (n == 0) return {LinkFaultKind::NoAnswer};
    if (n < 3) return {LinkFaultKind::Unexpected};
    const std::int32_t c = CRC16(answer, n - 2);
    if (crc) *crc = c;
    if (answer[n - 2] != c / 256 || answer[n - 1] != (c & 0xFF)) return {LinkFaultKind::BadCrc};
    if (answer[0] != address) return {LinkFaultKind::OtherAddress, answer[0]};
    if (expected.function != 0 && n == 5 && answer[1] == (expected.function | 0x80))
        return {LinkFaultKind::Exception, answer[2]};
    if (expected.function == 0 || answer[1] != expected.function || n != expected.length)
        return {LinkFaultKind::Unexpected};
    const bool read = expected.function == kFnReadInput || expected.function == kFnReadHolding;
    if (read && answer[2] != n - 5) return {LinkFaultKind::Unexpected};
    if (!expected.echo.empty() && !std::equal(expected.echo.begin(), expected.echo.end(), answer.begin() + 2))
        return {LinkFaultKind::Unexpected};
    return {};
}

}  // namespace neva
