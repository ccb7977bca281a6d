#include "regmap/PropertyStore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace neva {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool PropertyStore::keys_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::vector<PropertyStore::Property>::iterator PropertyStore::locate(std::string_view key) {
    return std::find_if(items_.begin(), items_.end(), [&](const Property& p) { return keys_equal(p.key, key); });
}

std::vector<PropertyStore::Property>::const_iterator PropertyStore::locate(std::string_view key) const {
    return std::find_if(items_.begin(), items_.end(), [&](const Property& p) { return keys_equal(p.key, key); });
}

std::optional<std::string> PropertyStore::find(std::string_view key) const {
    auto it = locate(key);
    if (it == items_.end()) return std::nullopt;
    return it->value;
}

bool PropertyStore::contains(std::string_view key) const { return locate(key) != items_.end(); }

void PropertyStore::set(std::string_view key, std::string_view text) {
    auto it = locate(key);
    if (it == items_.end()) {
        items_.push_back({std::string(key), std::string(text)});
    } else {
        it->key = std::string(key);
        it->value = std::string(text);
    }
}

bool PropertyStore::erase(std::string_view key) {
    auto it = locate(key);
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
}

// ---- parsers ----

std::optional<std::int64_t> PropertyStore::parse_integer(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::size_t start = text[0] == '+' ? 1 : 0;
    std::int64_t v = 0;
    auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
    if (start == 1 && text.size() > 1 && text[1] == '-') return std::nullopt;
    return v;
}

std::optional<double> PropertyStore::parse_number(std::string_view text) {
    // Only plain decimal texts: a sign, digits, one point. No exponent, no blanks.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (is_digit(text[i])) ++digits;
        else if (text[i] == '.' && !point) point = true;
        else return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    std::string s(text);
    if (!s.empty() && s[0] == '+') s.erase(0, 1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<Fixed4> PropertyStore::parse_fixed(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    Fixed4 whole = 0;
    std::size_t digits = 0;
    constexpr Fixed4 kLimit = std::numeric_limits<Fixed4>::max() / 100 / kFixedOne;
    for (; i < text.size() && is_digit(text[i]); ++i, ++digits) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > kLimit) return std::nullopt;
    }
    Fixed4 frac = 0;
    int frac_digits = 0;
    bool round_up = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && is_digit(text[i]); ++i, ++digits) {
            if (frac_digits < 4) {
                frac = frac * 10 + (text[i] - '0');
                ++frac_digits;
            } else if (frac_digits == 4) {
                round_up = text[i] >= '5';
                ++frac_digits;
            }
        }
    }
    if (i != text.size() || digits == 0) return std::nullopt;
    for (int k = std::min(frac_digits, 4); k < 4; ++k) frac *= 10;
    Fixed4 v = whole * kFixedOne + frac + (round_up ? 1 : 0);
    return negative ? -v : v;
}

std::optional<bool> PropertyStore::parse_bool(std::string_view text) {
    if (keys_equal(text, "True") || text == "-1" || text == "1") return true;
    if (keys_equal(text, "False") || text == "0") return false;
    return std::nullopt;
}

// ---- texts ----

std::string PropertyStore::long_text(std::int64_t value) { return std::to_string(value); }

std::string PropertyStore::single_text(float value) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (ec != std::errc()) return "0";
    return std::string(buf, ptr);
}

std::string PropertyStore::fixed_text(Fixed4 value) {
    const bool negative = value < 0;
    const std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string s = std::to_string(a / kFixedOne);
    std::uint64_t frac = a % kFixedOne;
    if (frac != 0) {
        std::string f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += "." + f;
    }
    return negative ? "-" + s : s;
}

std::string PropertyStore::bool_text(bool value) { return value ? "True" : "False"; }

// ---- typed reads ----

std::string PropertyStore::read_text(std::string_view key, std::string_view def) const {
    auto v = find(key);
    return v ? *v : std::string(def);
}

std::int32_t PropertyStore::read_long(std::string_view key, std::int32_t def) const {
    auto v = find(key);
    if (!v) return def;
    auto n = parse_integer(*v);
    if (!n || *n < std::numeric_limits<std::int32_t>::min() || *n > std::numeric_limits<std::int32_t>::max())
        return def;
    return static_cast<std::int32_t>(*n);
}

float PropertyStore::read_single(std::string_view key, float def) const {
    auto v = find(key);
    if (!v) return def;
    auto n = parse_number(*v);
    return n ? static_cast<float>(*n) : def;
}

Fixed4 PropertyStore::read_fixed(std::string_view key, Fixed4 def) const {
    auto v = find(key);
    if (!v) return def;
    auto n = parse_fixed(*v);
    return n ? *n : def;
}

bool PropertyStore::read_bool(std::string_view key, bool def) const {
    auto v = find(key);
    if (!v) return def;
    auto b = parse_bool(*v);
    return b ? *b : def;
}

// ---- typed writes ----

void PropertyStore::write_text(std::string_view key, std::string_view value, std::string_view def) {
    if (value == def) erase(key);
    else set(key, value);
}

void PropertyStore::write_long(std::string_view key, std::int32_t value, std::int32_t def) {
    if (value == def) erase(key);
    else set(key, long_text(value));
}

void PropertyStore::write_single(std::string_view key, float value, float def) {
    if (value == def) erase(key);
    else set(key, single_text(value));
}

void PropertyStore::write_fixed(std::string_view key, Fixed4 value, Fixed4 def) {
    if (value == def) erase(key);
    else set(key, fixed_text(value));
}

void PropertyStore::write_bool(std::string_view key, bool value, bool def) {
    if (value == def) erase(key);
    else set(key, bool_text(value));
}

}  // namespace neva
