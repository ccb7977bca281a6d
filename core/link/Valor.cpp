#include "link/Valor.h"

#include <cstdio>
#include <cstdlib>

namespace neva {

std::string Valor::text() const {
    if (auto p = std::get_if<std::int64_t>(&v_)) return std::to_string(*p);
    if (auto p = std::get_if<double>(&v_)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.7g", *p);
        return buf;
    }
    if (auto p = std::get_if<std::string>(&v_)) return *p;
    return {};
}

double Valor::number() const {
    if (auto p = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*p);
    if (auto p = std::get_if<double>(&v_)) return *p;
    if (auto p = std::get_if<std::string>(&v_)) {
        // Leading number only, blanks before it allowed, "." as decimal point.
        const char* s = p->c_str();
        char* end = nullptr;
        double d = std::strtod(s, &end);
        return end == s ? 0.0 : d;
    }
    return 0.0;
}

}  // namespace neva
