#include "text/JsonWriter.h"

#include <cstdio>

namespace neva {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0.
std::size_t utf8_sequence(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF) n = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, min = 0x10000;
    else return 0;
    if (i + n > s.size()) return 0;
    std::uint32_t cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string utf8_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t n = utf8_sequence(text, i); n > 0) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    return out;
}

std::string JsonWriter::quote(std::string_view text) {
    std::string out = "\"";
    for (const char ch : utf8_text(text)) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::newline() {
    out_ << '\n';
    for (std::size_t k = 0; k < levels_.size(); ++k) out_ << "  ";
}

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!levels_.empty()) {
        if (!levels_.back().empty) out_ << ',';
        levels_.back().empty = false;
        newline();
    }
}

void JsonWriter::key(std::string_view name) {
    if (!levels_.back().empty) out_ << ',';
    levels_.back().empty = false;
    newline();
    out_ << quote(name) << ": ";
    after_key_ = true;
}

void JsonWriter::begin_object() {
    before_value();
    out_ << '{';
    levels_.push_back({false, true});
}

void JsonWriter::begin_array() {
    before_value();
    out_ << '[';
    levels_.push_back({true, true});
}

void JsonWriter::end_level(char bracket) {
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty) newline();
    out_ << bracket;
}

void JsonWriter::end_object() { end_level('}'); }

void JsonWriter::end_array() { end_level(']'); }

void JsonWriter::value(std::string_view text) {
    before_value();
    out_ << quote(text);
}

void JsonWriter::value(std::int64_t number) {
    before_value();
    out_ << number;
}

void JsonWriter::value(bool flag) {
    before_value();
    out_ << (flag ? "true" : "false");
}

void JsonWriter::null() {
    before_value();
    out_ << "null";
}

void JsonWriter::number_text(std::string_view text) {
    before_value();
    out_ << text;
}

void JsonWriter::finish() {
    out_ << '\n';
    out_.flush();
}

}  // namespace neva
