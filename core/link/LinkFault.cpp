#include "link/LinkFault.h"

namespace neva {

namespace {

// The meaning of the exception codes a Modbus slave uses.
const char* exception_meaning(int code) {
    switch (code) {
        case 1: return "function not accepted";
        case 2: return "register address not accepted";
        case 3: return "value not accepted";
        case 4: return "the relay failed to carry it out";
        case 6: return "the relay is busy";
        default: return nullptr;
    }
}

}  // namespace

std::string describe(const LinkFault& fault) {
    switch (fault.kind) {
        case LinkFaultKind::None: return {};
        case LinkFaultKind::NoAnswer: return "no answer from the relay: check the cable, the port, the speed and the address";
        case LinkFaultKind::BadCrc: return "answers with a bad CRC: check the speed and parity";
        case LinkFaultKind::OtherAddress:
            return "answers come from slave address " + std::to_string(fault.code) + ": check the relay's address";
        case LinkFaultKind::Exception: {
            std::string s = "the relay refuses the request with exception code " + std::to_string(fault.code);
            if (const char* m = exception_meaning(fault.code)) s += std::string(" (") + m + ")";
            return s;
        }
        case LinkFaultKind::LateAnswer:
            return "answers arrive only after the time-out: the relay answers too slowly";
        case LinkFaultKind::Unexpected:
            return "answers that do not fit the request (garbled or late): check the line and the relay's speed";
    }
    return {};
}

}  // namespace neva
