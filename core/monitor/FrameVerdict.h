#pragma once
// What a frame on the relay line is: the request a frame sent asks for (function,
// register, count and the length of the answer it calls for), and the verdict on an
// answer to it. Pure functions of the bytes, so the line monitor, the command line's
// trace and the tests judge every frame the same way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace neva {

struct RequestInfo {
    bool relay_frame = false;      // a request of the relay's protocol with a good CRC
    std::uint8_t address = 0;
    std::uint8_t function = 0;
    std::uint16_t first_register = 0;
    std::uint16_t count = 0;       // registers (03, 04, 16); the command code for 05 is first_register
    std::size_t answer_length = 0; // length of the answer the request calls for
};

RequestInfo describe_request(const std::vector<std::uint8_t>& frame);
// "read 0203 x6", "read holding 0180 x22", "command 1", "write 0100 x27"; "not a
// relay request" for anything else (a modem command, noise).
std::string request_text(const RequestInfo& request);

enum class Verdict {
    Request,        // a frame sent
    Good,
    BadCrc,
    WrongAddress,
    Exception,
    WrongFunction,
    TooShort,
    TooLong,
    Timeout,        // no answer before the link gave the request up
    Lost,           // the line went away (device unplugged, connection closed) while waiting
};

struct AnswerVerdict {
    Verdict verdict = Verdict::Good;
    std::uint8_t exception_code = 0;  // Exception
};

// Judges an answer against the request it came after. A frame whose CRC is wrong
// and that is shorter than the answer awaited counts as too short (it was cut off);
// otherwise a bad CRC comes first, then the address, an exception answer, the
// function and the length.
AnswerVerdict classify_answer(const RequestInfo& request, const std::vector<std::uint8_t>& answer);

// "good", "bad CRC", "wrong address", "exception 2 (illegal data address)",
// "wrong function", "too short", "too long", "time-out", "line lost".
std::string verdict_text(const AnswerVerdict& v);
// The standard name of a Modbus exception code, or "" when it has none.
std::string exception_name(std::uint8_t code);

// The name of an action code of the relay link: 2 "status", 61 "setpoints block 1
// read", 35 "select event 5"; "" for a code with no operation.
std::string action_name(int accion);

}  // namespace neva
