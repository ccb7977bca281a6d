#include "net/Mbap.h"

#include "link/Frames.h"

namespace neva::mbap {

std::optional<std::vector<std::uint8_t>> wrap_request(const std::vector<std::uint8_t>& rtu, std::uint16_t transaction) {
    if (rtu.size() < 4) return std::nullopt;
    if (!crc_matches(rtu)) return std::nullopt;
    const std::size_t body = rtu.size() - 2;  // address and PDU
    if (body - 1 > kMaxPduLength) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderLength + body - 1);
    out.push_back(static_cast<std::uint8_t>(transaction >> 8));
    out.push_back(static_cast<std::uint8_t>(transaction & 0xFF));
    out.push_back(0);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(body >> 8));  // unit id and PDU
    out.push_back(static_cast<std::uint8_t>(body & 0xFF));
    out.insert(out.end(), rtu.begin(), rtu.begin() + static_cast<std::ptrdiff_t>(body));
    return out;
}

std::vector<std::uint8_t> to_rtu(std::uint8_t unit, const std::uint8_t* pdu, std::size_t pdu_length) {
    std::vector<std::uint8_t> out;
    out.reserve(pdu_length + 3);
    out.push_back(unit);
    out.insert(out.end(), pdu, pdu + pdu_length);
    append_crc(out);
    return out;
}

void AnswerReader::expect(std::uint16_t transaction) {
    expected_ = transaction;
    // A partial answer left over belongs to a request given up; what follows it on
    // the stream is still framed by its header, so only whole frames are dropped.
}

AnswerReader::Result AnswerReader::feed(const std::uint8_t* data, std::size_t size) {
    Result r;
    buffer_.insert(buffer_.end(), data, data + size);
    std::size_t at = 0;
    while (buffer_.size() - at >= kHeaderLength) {
        const std::uint8_t* h = buffer_.data() + at;
        const std::uint16_t transaction = static_cast<std::uint16_t>(h[0] << 8 | h[1]);
        const std::uint16_t protocol = static_cast<std::uint16_t>(h[2] << 8 | h[3]);
        const std::size_t length = static_cast<std::size_t>(h[4] << 8 | h[5]);
        // The length counts the unit id and the PDU. Anything else means the stream
        // is out of step (or the peer is no Modbus TCP gateway): nothing after this
        // point can be framed with confidence.
        if (protocol != 0 || length < 1 || length > kMaxPduLength + 1) {
            r.malformed = true;
            buffer_.clear();
            return r;
        }
        const std::size_t total = kHeaderLength - 1 + length;
        if (buffer_.size() - at < total) break;
        if (expected_ && transaction == *expected_) {
            r.answers.push_back(to_rtu(h[6], h + kHeaderLength, length - 1));
            expected_.reset();  // one answer per request
        } else {
            ++r.stale;
        }
        at += total;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
    return r;
}

}  // namespace neva::mbap
