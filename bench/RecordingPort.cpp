#include "RecordingPort.h"

namespace neva::bench {

int RecordingPort::action_of(const std::vector<std::uint8_t>& f) {
    if (f.size() < 8) return -1;
    const int reg = f[2] * 256 + f[3];
    switch (f[1]) {
        case 0x04:
            switch (reg) {
                case 0x0203: return 2;
                case 0x0209: return 4;
                case 0x0280: return 5;
                case 0x0211: return 6;
                case 0x0600: return 30;
                case 0x0000: return 60;
                case 0x0610: return 90;
                case 0x0200: return 91;
                default: return -1;
            }
        case 0x03:
            return reg == 0x0100 ? 61 : reg == 0x0180 ? 62 : -1;
        case 0x05:
            switch (reg) {
                case 1: return 11;
                case 8: return 12;
                case 9: return 13;
                case 5: return 92;
                default: return -1;
            }
        case 0x10:
            return reg == 0x0100 ? 27 : reg == 0x0180 ? 28 : reg == 0x0610 ? 31 : reg == 0x0090 ? 93 : -1;
        default:
            return -1;
    }
}

RecordingPort::RecordingPort(SerialPort& inner) : ForwardingPort(inner) {
    inner.on_event = [this](Event e) {
        if (e == Event::Receive) receive_events.push_back(Clock::now());
        if (on_event) on_event(e);
    };
    inner.on_lost = [this] {
        if (on_lost) on_lost();
    };
}

RecordingPort::~RecordingPort() {
    inner().on_event = nullptr;
    inner().on_lost = nullptr;
}

std::vector<std::uint8_t> RecordingPort::read_all() {
    std::vector<std::uint8_t> bytes = inner().read_all();
    if (!bytes.empty()) taken.push_back({bytes, Clock::now()});
    return bytes;
}

bool RecordingPort::write(const std::vector<std::uint8_t>& bytes) {
    written.push_back({bytes, Clock::now()});
    return inner().write(bytes);
}

}  // namespace neva::bench
