#pragma once
// One element of the link's decoded value table (`Valores`): empty, a number or a text.

#include <cstdint>
#include <string>
#include <variant>

namespace neva {

class Valor {
public:
    Valor() = default;
    Valor(std::int64_t n) : v_(n) {}             // NOLINT: implicit by intent
    Valor(int n) : v_(std::int64_t{n}) {}        // NOLINT
    Valor(double d) : v_(d) {}                   // NOLINT
    Valor(std::string s) : v_(std::move(s)) {}   // NOLINT
    Valor(const char* s) : v_(std::string(s)) {} // NOLINT

    bool empty() const { return std::holds_alternative<std::monostate>(v_); }
    bool is_text() const { return std::holds_alternative<std::string>(v_); }
    // The value as text: integers in decimal, reals with up to 7 significant digits
    // and "." as the decimal point, "" when empty.
    std::string text() const;
    // The value as a number: a text gives the value of its leading number, "." as the
    // decimal point (0 if none). Neither depends on the user's locale.
    double number() const;
    bool operator==(const Valor& o) const { return v_ == o.v_; }

private:
    std::variant<std::monostate, std::int64_t, double, std::string> v_;
};

}  // namespace neva
