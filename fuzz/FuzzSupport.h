#pragma once
// What the fuzz targets share: a message service that answers every box at once
// (nobody sits in front of a fuzzer), a reader that takes the input apart from the
// front so that seed files can be written by hand, and the check that stops a run
// on a broken promise.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "platform/MessageService.h"

namespace neva::fuzz {

// A broken promise is a finding like a crash: libFuzzer keeps the input.
#define NEVA_FUZZ_CHECK(cond)                                                               \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);  \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// OK, Yes, and cancel on every input box and file dialog. during_box runs while a box
// is up, as the event loop of a modal box would run timers and port events.
class AnsweringMessages : public MessageService {
public:
    MsgAnswer message_box(const std::string&, MsgButtons buttons, MsgIcon, const std::string&) override {
        ++boxes;
        if (during_box) {
            auto once = std::move(during_box);
            during_box = nullptr;
            once();
        }
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    std::optional<std::string> input_box(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_name(const FileDialogSetup&) override { return std::nullopt; }
    std::optional<std::string> save_file_name(const FileDialogSetup&) override { return std::nullopt; }

    int boxes = 0;
    std::function<void()> during_box;
};

// Reads the input front to back; past the end every read gives zeros or nothing.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t word() { return static_cast<std::uint16_t>(byte() << 8 | byte()); }
    std::int32_t int32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(word()) << 16 | word()); }
    // The next n bytes (fewer at the end).
    std::string_view bytes(std::size_t n) {
        std::string_view out(reinterpret_cast<const char*>(data_) + pos_, n < size_ - pos_ ? n : size_ - pos_);
        pos_ += out.size();
        return out;
    }
    // A text that runs to the next zero byte (or the end).
    std::string_view text() {
        const std::size_t start = pos_;
        while (pos_ < size_ && data_[pos_] != 0) ++pos_;
        std::string_view out(reinterpret_cast<const char*>(data_) + start, pos_ - start);
        if (pos_ < size_) ++pos_;
        return out;
    }
    std::string_view rest() { return bytes(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace neva::fuzz
