#pragma once
// A text held at exactly N characters: assigning a longer text keeps its first N
// characters, a shorter one is filled on the right with blanks. This is how the
// relay's descriptive texts travel in setpoint files.

#include <cstddef>
#include <string>
#include <string_view>

namespace neva {

template <std::size_t N>
class FixedText {
public:
    static constexpr std::size_t kLength = N;

    FixedText() : text_(N, ' ') {}
    FixedText(std::string_view s) : text_(N, ' ') { assign(s); }  // NOLINT: implicit by intent

    FixedText& operator=(std::string_view s) {
        assign(s);
        return *this;
    }
    void assign(std::string_view s) {
        text_.assign(N, ' ');
        text_.replace(0, std::min(N, s.size()), s.substr(0, std::min(N, s.size())));
    }

    const std::string& str() const { return text_; }
    operator const std::string&() const { return text_; }  // NOLINT
    // The text without its trailing blanks.
    std::string trimmed_right() const {
        auto end = text_.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : text_.substr(0, end + 1);
    }
    bool operator==(const FixedText& o) const { return text_ == o.text_; }

private:
    std::string text_;
};

}  // namespace neva
