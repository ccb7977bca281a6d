#include "net/PortSwitch.h"

namespace neva {

PortSwitch::PortSwitch(std::unique_ptr<SerialPort> numbered, Factory factory)
    : numbered_(std::move(numbered)), factory_(std::move(factory)), active_(numbered_.get()) {
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
    if (active_->is_open()) active_->close();
    if (target_.kind == PortTarget::Kind::Numbered) {
        active_ = numbered_.get();
    } else {
        if (!other_ || other_target_ != target_) {
            if (other_) {
                other_->on_event = nullptr;
                other_->on_lost = nullptr;
            }
            // The old port may still be raising an event further up the stack.
            other_.reset();
            active_ = numbered_.get();
            std::unique_ptr<SerialPort> made = factory_ ? factory_(target_) : nullptr;
            if (!made) {
                failure_ = "this program cannot open " + target_.text();
                return false;
            }
            other_ = std::move(made);
            other_target_ = target_;
            attach(*other_);
        }
        active_ = other_.get();
    }
    active_->set_port_number(number_);
    active_->set_settings(settings_);
    active_->set_dtr(dtr_);
    return active_->open();
}

void PortSwitch::set_dtr(bool on) {
    dtr_ = on;
    active_->set_dtr(on);
}

std::string PortSwitch::diagnosis() const { return failure_.empty() ? active_->diagnosis() : failure_; }

}  // namespace neva
