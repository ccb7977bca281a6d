#include "trend/TrendBuffer.h"

#include <algorithm>

namespace neva {

TrendBuffer::TrendBuffer(std::size_t capacity, std::int64_t window_ms)
    : ring_(std::max<std::size_t>(capacity, 1)), window_ms_(window_ms) {}

std::size_t TrendBuffer::capacity_for(std::int64_t window_ms, int interval_ms) {
    // Both ends of the window count.
    return static_cast<std::size_t>(window_ms / std::max(interval_ms, 1)) + 1;
}

void TrendBuffer::drop_oldest() {
    head_ = (head_ + 1) % ring_.size();
    --size_;
}

void TrendBuffer::clear() {
    head_ = 0;
    size_ = 0;
}

void TrendBuffer::push(const CurrentSample& s) {
    if (size_ > 0 && s.time_ms < newest().time_ms) clear();
    if (size_ == ring_.size()) drop_oldest();
    ring_[(head_ + size_) % ring_.size()] = s;
    ++size_;
    while (size_ > 1 && oldest().time_ms < s.time_ms - window_ms_) drop_oldest();
}

std::size_t TrendBuffer::first_at_or_after(std::int64_t t) const {
    std::size_t lo = 0, hi = size_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if ((*this)[mid].time_ms < t) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

Fixed4 TrendBuffer::largest(std::int64_t from_ms, std::int64_t to_ms,
                            const std::array<bool, kCurrentChannels>& shown) const {
    Fixed4 top = 0;
    for (std::size_t i = first_at_or_after(from_ms); i < size_; ++i) {
        const CurrentSample& s = (*this)[i];
        if (s.time_ms > to_ms) break;
        for (int k = 0; k < kCurrentChannels; ++k)
            if (shown[k]) top = std::max(top, s.amperes[k] < 0 ? -s.amperes[k] : s.amperes[k]);
    }
    return top;
}

}  // namespace neva
