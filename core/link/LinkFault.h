#pragma once
// Why an exchange with the relay failed, kept as data: the desktop program and the
// command-line tool turn it into the words of their own messages. The faults are
// the ones a protection engineer can act on: nothing came back (cable, port, speed,
// address), the answers arrive damaged (speed and parity), another slave answers
// (address), or the relay itself refuses the request (its exception code).

#include <cstdint>
#include <string>

namespace neva {

enum class LinkFaultKind {
    None,          // the exchange succeeded
    NoAnswer,      // nothing arrived in time
    BadCrc,        // bytes arrived but their CRC is wrong
    OtherAddress,  // a well-formed answer from another slave address
    Exception,     // the relay answered with a Modbus exception
    Unexpected,    // a well-formed frame that does not answer the request (short, long, late)
    LateAnswer,    // nothing arrived in time, but answers came after their time-outs
};

struct LinkFault {
    LinkFaultKind kind = LinkFaultKind::None;
    int code = 0;  // the exception code, or the address that answered

    bool operator==(const LinkFault&) const = default;
};

// One line a message can carry under its main text, naming the fault and what to
// check: "answers with a bad CRC: check the speed and parity". Empty for None.
std::string describe(const LinkFault& fault);

}  // namespace neva
