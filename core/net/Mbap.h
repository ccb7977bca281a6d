#pragma once
// Modbus TCP framing for a gateway in front of the relay. A request leaves the link
// as an RTU frame (address, function and data, CRC); the gateway wants the MBAP
// header instead (transaction id, protocol 0, length, unit id) and no CRC. Its
// answers come back the same way and are turned into the RTU answer the link
// expects, with the CRC added, so that the link's checks, queues and time-outs stay
// exactly as they are on a serial line. Byte-exact and free of any I/O.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace neva::mbap {

inline constexpr std::size_t kHeaderLength = 7;  // transaction 2, protocol 2, length 2, unit 1
inline constexpr std::size_t kMaxPduLength = 253;

// The MBAP request for an RTU request: the unit id is the relay's address, the CRC is
// dropped. nullopt for a frame shorter than address, function and CRC, or whose CRC
// is wrong (nothing garbled is ever put on the network).
std::optional<std::vector<std::uint8_t>> wrap_request(const std::vector<std::uint8_t>& rtu, std::uint16_t transaction);

// The RTU form of an MBAP answer: unit id, the PDU, the CRC of both.
std::vector<std::uint8_t> to_rtu(std::uint8_t unit, const std::uint8_t* pdu, std::size_t pdu_length);

// Cuts the TCP byte stream from the gateway into answers. Only the answer that
// carries the transaction id of the request in flight is handed on: an answer that
// comes after its request was given up belongs to nobody and must never be taken
// for the answer to the next one.
class AnswerReader {
public:
    // The request now in flight; forgets any partial answer of an earlier one.
    void expect(std::uint16_t transaction);

    struct Result {
        std::vector<std::vector<std::uint8_t>> answers;  // RTU form, CRC added
        int stale = 0;           // whole answers to earlier requests, dropped
        bool malformed = false;  // a header no Modbus TCP peer sends; the stream was dropped
    };
    // Takes the bytes received; complete answers come out at once, a partial one
    // waits for the rest.
    Result feed(const std::uint8_t* data, std::size_t size);
    // Bytes of an answer still incomplete.
    std::size_t pending() const { return buffer_.size(); }
    void clear() { buffer_.clear(); }

private:
    std::vector<std::uint8_t> buffer_;
    std::optional<std::uint16_t> expected_;
};

}  // namespace neva::mbap
