#include "testing/FakePort.h"

namespace neva::testing {

bool FakePort::open() {
    if (fail_open) return false;
    open_ = true;
    ++open_count;
    return true;
}

std::vector<std::uint8_t> FakePort::read_all() {
    std::vector<std::uint8_t> out;
    out.swap(input_);
    return out;
}

bool FakePort::write(const std::vector<std::uint8_t>& bytes) {
    if (!open_) return false;
    written.push_back(bytes);
    return true;
}

void FakePort::deliver(const std::vector<std::uint8_t>& bytes) {
    const std::size_t before = input_.size();
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    // The receive event fires once, when the count crosses the threshold.
    if (rthreshold_ > 0 && before < static_cast<std::size_t>(rthreshold_) &&
        input_.size() >= static_cast<std::size_t>(rthreshold_) && on_event)
        on_event(Event::Receive);
}

void FakePort::drain() {
    if (sthreshold_ > 0 && on_event) on_event(Event::Send);
}

void FakePort::pull_out() {
    open_ = false;
    input_.clear();
    if (on_lost) on_lost();
}

}  // namespace neva::testing
