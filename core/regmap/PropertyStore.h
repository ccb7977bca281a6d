#pragma once
// The stored property set of one control: texts under keys, keys matched without
// regard to letter case. A missing key reads as the caller's default, and a typed
// write of a value equal to its default removes the key instead of storing it, so
// a property set only ever holds what differs from a new instance.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/ValueFormat.h"

namespace neva {

class PropertyStore {
public:
    struct Property {
        std::string key;    // spelling of the last write
        std::string value;
    };

    // Raw access. set() replaces a value held under any spelling of the key and keeps
    // the new spelling; the order of first insertion is kept for listing.
    std::optional<std::string> find(std::string_view key) const;
    bool contains(std::string_view key) const;
    void set(std::string_view key, std::string_view text);
    bool erase(std::string_view key);
    void clear() { items_.clear(); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const std::vector<Property>& items() const { return items_; }

    // Typed reads. A missing key, or a text that is not a number of the type, reads as
    // the default (the register map validator reports such texts when the map is loaded).
    std::string read_text(std::string_view key, std::string_view def) const;
    std::int32_t read_long(std::string_view key, std::int32_t def) const;
    float read_single(std::string_view key, float def) const;
    Fixed4 read_fixed(std::string_view key, Fixed4 def) const;
    bool read_bool(std::string_view key, bool def) const;

    // Typed writes: a value equal to its default is not stored (a stored one is removed).
    void write_text(std::string_view key, std::string_view value, std::string_view def);
    void write_long(std::string_view key, std::int32_t value, std::int32_t def);
    void write_single(std::string_view key, float value, float def);
    void write_fixed(std::string_view key, Fixed4 value, Fixed4 def);
    void write_bool(std::string_view key, bool value, bool def);

    // Strict parsers of stored texts (the whole text must be the number).
    static std::optional<std::int64_t> parse_integer(std::string_view text);  // "-12", "300"
    static std::optional<double> parse_number(std::string_view text);         // "0.1", "-2", "5."
    // Decimal text to 1/10000 units without going through binary floating point
    // ("0.01" -> 100); more than four decimals round half away from zero.
    static std::optional<Fixed4> parse_fixed(std::string_view text);
    static std::optional<bool> parse_bool(std::string_view text);  // True/False, -1/1/0

    // Texts the typed writes store.
    static std::string long_text(std::int64_t value);
    static std::string single_text(float value);  // shortest text that reads back the same float
    static std::string fixed_text(Fixed4 value);  // "0.01", "1", "-2.5"
    static std::string bool_text(bool value);     // "True" / "False"

    static bool keys_equal(std::string_view a, std::string_view b);

private:
    std::vector<Property>::iterator locate(std::string_view key);
    std::vector<Property>::const_iterator locate(std::string_view key) const;
    std::vector<Property> items_;
};

}  // namespace neva
