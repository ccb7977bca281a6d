#include "net/PortSwitch.h"

namespace neva {

PortSwitch::PortSwitch(std::unique_ptr<SerialPort> numbered, Factory factory)
    : ForwardingPort(*numbered), numbered_(std::move(numbered)), factory_(std::move(factory)) {
    attach(*numbered_);
}

PortSwitch::~PortSwitch() {
    numbered_->on_event = nullptr;
    numbered_->on_lost = nullptr;
    if (other_) {
        other_->on_event = nullptr;
        other_->on_lost = nullptr;
    }
}

void PortSwitch::attach(SerialPort& port) {
    // Only the active port is ever open, so only its events arrive.
    port.on_event = [this](Event e) {
        if (on_event) on_event(e);
    };
    port.on_lost = [this] {
        if (on_lost) on_lost();
    };
}

bool PortSwitch::open() {
    failure_.clear();
    if (inner().is_open()) inner().close();
    if (target_.kind == PortTarget::Kind::Numbered) {
        forward_to(*numbered_);
    } else {
        if (!other_ || other_target_ != target_) {
            if (other_) {
                other_->on_event = nullptr;
                other_->on_lost = nullptr;
            }
            // The old port may still be raising an event further up the stack.
            other_.reset();
            forward_to(*numbered_);
            std::unique_ptr<SerialPort> made = factory_ ? factory_(target_) : nullptr;
            if (!made) {
                failure_ = "this program cannot open " + target_.text();
                return false;
            }
            other_ = std::move(made);
            other_target_ = target_;
            attach(*other_);
        }
        forward_to(*other_);
    }
    SerialPort& port = inner();
    port.set_port_number(number_);
    port.set_settings(settings_);
    port.set_dtr(dtr_);
    return port.open();
}

void PortSwitch::set_dtr(bool on) {
    dtr_ = on;
    inner().set_dtr(on);
}

std::string PortSwitch::device_text() const {
    // Before the first open the numbered port does not know its number yet.
    if (target_.kind == PortTarget::Kind::Numbered) {
        numbered_->set_port_number(number_);
        return numbered_->device_text();
    }
    return target_.text();
}

std::string PortSwitch::diagnosis() const { return failure_.empty() ? inner().diagnosis() : failure_; }

}  // namespace neva
