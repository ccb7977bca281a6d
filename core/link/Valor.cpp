#include "link/Valor.h"

#include <charconv>

namespace neva {

// Numbers go to and from text with "." as the decimal point whatever the user's
// locale says: the desktop program runs under the user's locale (a comma-decimal
// one read "12.35" as 12), and the relay's numbers are no locale's.

std::string Valor::text() const {
    if (auto p = std::get_if<std::int64_t>(&v_)) return std::to_string(*p);
    if (auto p = std::get_if<double>(&v_)) {
        // As "%.7g" in the "C" locale.
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, *p, std::chars_format::general, 7);
        return std::string(buf, r.ptr);
    }
    if (auto p = std::get_if<std::string>(&v_)) return *p;
    return {};
}

double Valor::number() const {
    if (auto p = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*p);
    if (auto p = std::get_if<double>(&v_)) return *p;
    if (auto p = std::get_if<std::string>(&v_)) {
        // Leading number only, blanks before it allowed, "." as decimal point.
        const std::string& s = *p;
        std::size_t i = s.find_first_not_of(" \t\n\r\f\v");
        if (i == std::string::npos) return 0.0;
        // from_chars takes no "+" sign.
        if (s[i] == '+' && i + 1 < s.size() && s[i + 1] != '-') ++i;
        double d = 0.0;
        const auto r = std::from_chars(s.data() + i, s.data() + s.size(), d);
        // No number, or one beyond what a double holds: 0.
        return r.ec == std::errc() ? d : 0.0;
    }
    return 0.0;
}

}  // namespace neva
