#pragma once
// The trend's memory: the last hour of current samples in a ring of fixed size,
// so a window left open for a week uses what it used after the first hour.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trend/CurrentSample.h"

namespace neva {

class TrendBuffer {
public:
    // Keeps at most `capacity` samples, and none older than `window_ms` before the newest.
    TrendBuffer(std::size_t capacity, std::int64_t window_ms);
    // Room for a window polled every interval_ms.
    static std::size_t capacity_for(std::int64_t window_ms, int interval_ms);

    // Adds the newest sample. A sample older than the newest one means the clock was
    // set back: the trend starts again rather than draw time running backwards.
    void push(const CurrentSample& s);
    void clear();

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return ring_.size(); }
    bool empty() const { return size_ == 0; }
    std::int64_t window_ms() const { return window_ms_; }
    // i = 0 is the oldest sample kept.
    const CurrentSample& operator[](std::size_t i) const { return ring_[(head_ + i) % ring_.size()]; }
    const CurrentSample& newest() const { return (*this)[size_ - 1]; }
    const CurrentSample& oldest() const { return (*this)[0]; }

    // Index of the first sample at or after t (size() when none).
    std::size_t first_at_or_after(std::int64_t t) const;
    // Largest magnitude among the shown channels of the samples in [from_ms, to_ms];
    // 0 when there is none.
    Fixed4 largest(std::int64_t from_ms, std::int64_t to_ms, const std::array<bool, kCurrentChannels>& shown) const;

private:
    void drop_oldest();

    std::vector<CurrentSample> ring_;
    std::int64_t window_ms_;
    std::size_t head_ = 0;  // index of the oldest sample in ring_
    std::size_t size_ = 0;
};

}  // namespace neva
