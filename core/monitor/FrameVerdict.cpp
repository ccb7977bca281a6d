#include "monitor/FrameVerdict.h"

#include <cstdio>

#include "link/Frames.h"

namespace neva {

namespace {

std::uint16_t word(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>(f[at] << 8 | f[at + 1]);
}

std::string hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFFu);
    return buf;
}

}  // namespace

RequestInfo describe_request(const std::vector<std::uint8_t>& f) {
    RequestInfo r;
    if (f.size() < 8 || !crc_matches(f)) return r;
    r.address = f[0];
    r.function = f[1];
    r.first_register = word(f, 2);
    r.count = word(f, 4);
    switch (r.function) {
        case 0x03:
        case 0x04:
            if (f.size() != 8 || r.count < 1 || r.count > 125) return r;
            r.answer_length = 5 + 2 * static_cast<std::size_t>(r.count);
            break;
        case 0x05:
        case 0x06:
            if (f.size() != 8) return r;
            r.answer_length = 8;
            break;
        case 0x10:
            if (f.size() < 9 || f.size() != 9 + static_cast<std::size_t>(f[6])) return r;
            r.answer_length = 8;
            break;
        default:
            return r;
    }
    r.relay_frame = true;
    return r;
}

std::string request_text(const RequestInfo& r) {
    if (!r.relay_frame) return "not a relay request";
    switch (r.function) {
        case 0x03: return "read holding " + hex4(r.first_register) + " x" + std::to_string(r.count);
        case 0x04: return "read " + hex4(r.first_register) + " x" + std::to_string(r.count);
        case 0x05: return "command " + std::to_string(r.first_register);
        case 0x06: return "write " + hex4(r.first_register) + " x1";
        default: return "write " + hex4(r.first_register) + " x" + std::to_string(r.count);
    }
}

AnswerVerdict classify_answer(const RequestInfo& request, const std::vector<std::uint8_t>& a) {
    AnswerVerdict v;
    const std::size_t n = a.size();
    const std::size_t wanted = request.relay_frame ? request.answer_length : 0;
    if (!crc_matches(a)) {
        v.verdict = (n < 5 || (wanted > 0 && n < wanted)) ? Verdict::TooShort : Verdict::BadCrc;
        return v;
    }
    if (request.relay_frame && a[0] != request.address) {
        v.verdict = Verdict::WrongAddress;
        return v;
    }
    if (n == 5 && (a[1] & 0x80)) {
        v.verdict = Verdict::Exception;
        v.exception_code = a[2];
        return v;
    }
    if (n < 5) {
        v.verdict = Verdict::TooShort;
        return v;
    }
    if (!request.relay_frame) {
        v.verdict = Verdict::Good;
        return v;
    }
    if (a[1] != request.function) v.verdict = Verdict::WrongFunction;
    else if (n < wanted) v.verdict = Verdict::TooShort;
    else if (n > wanted) v.verdict = Verdict::TooLong;
    else v.verdict = Verdict::Good;
    return v;
}

std::string exception_name(std::uint8_t code) {
    switch (code) {
        case 1: return "illegal function";
        case 2: return "illegal data address";
        case 3: return "illegal data value";
        case 4: return "slave device failure";
        case 5: return "acknowledge";
        case 6: return "slave device busy";
        case 10: return "gateway path unavailable";
        case 11: return "gateway target device failed to respond";
        default: return {};
    }
}

std::string verdict_text(const AnswerVerdict& v) {
    switch (v.verdict) {
        case Verdict::Request: return "request";
        case Verdict::Good: return "good";
        case Verdict::BadCrc: return "bad CRC";
        case Verdict::WrongAddress: return "wrong address";
        case Verdict::Exception: {
            const std::string name = exception_name(v.exception_code);
            return "exception " + std::to_string(v.exception_code) + (name.empty() ? "" : " (" + name + ")");
        }
        case Verdict::WrongFunction: return "wrong function";
        case Verdict::TooShort: return "too short";
        case Verdict::TooLong: return "too long";
        case Verdict::Timeout: return "time-out";
        case Verdict::Lost: return "line lost";
    }
    return {};
}

std::string action_name(int a) {
    switch (a) {
        case 1: return "open port";
        case 2: return "status";
        case 4: return "measurements";
        case 5: return "maintenance data";
        case 6: return "last trip";
        case 11: return "reset";
        case 12: return "clear maintenance data";
        case 13: return "clear events";
        case 14: case 15: case 16: case 17: return "command";
        case 27: return "setpoints block 1 write";
        case 28: return "setpoints block 2 write";
        case 30: return "event record head";
        case 60: return "identification";
        case 61: return "setpoints block 1 read";
        case 62: return "setpoints block 2 read";
        case 90: return "event read";
        case 91: return "clock read";
        case 92: return "clock apply";
        case 93: return "clock write";
        default:
            if (a >= 31 && a <= 50) return "select event " + std::to_string(a - 30);
            return {};
    }
}

}  // namespace neva
