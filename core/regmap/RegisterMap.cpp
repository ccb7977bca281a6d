#include "regmap/RegisterMap.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "editors/BitFieldSelector.h"
#include "image/RegisterImages.h"

namespace neva {

extern const std::string_view kRegisterMapText;

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string> numbered(std::string_view stem, int count) {
    std::vector<std::string> keys;
    for (int k = 1; k <= count; ++k) keys.push_back(std::string(stem) + std::to_string(k));
    return keys;
}

// Keys each kind stores, and how their texts must read.
enum class KeyType { Text, Integer, Number, Fixed, Bool, Pattern };

struct KeyRule {
    std::string key;
    KeyType type;
};

std::vector<KeyRule> key_rules(ControlKind kind) {
    std::vector<KeyRule> rules{{"Direccion", KeyType::Text}, {"DataLen", KeyType::Integer}, {"High", KeyType::Integer}};
    auto add = [&](std::initializer_list<KeyRule> more) { rules.insert(rules.end(), more); };
    auto add_numbered = [&](std::string_view stem, int count, KeyType type) {
        for (auto& k : numbered(stem, count)) rules.push_back({k, type});
    };
    if (is_numeric_editor(kind)) {
        add({{"Titulo", KeyType::Text}, {"Medida", KeyType::Text}, {"Min", KeyType::Integer},
             {"Max", KeyType::Integer}, {"Value", KeyType::Integer}, {"Dato", KeyType::Text},
             {"Text", KeyType::Text}, {"Enabled", KeyType::Bool}, {"Font", KeyType::Text},
             {"FontSize", KeyType::Number}, {"BackColor", KeyType::Integer}});
        if (kind != ControlKind::Word_TresR) add({{"Pos_Texto", KeyType::Integer}});
    }
    switch (kind) {
        case ControlKind::Byte_UnR:
            add({{"Formato", KeyType::Pattern}, {"SmallChange", KeyType::Integer}, {"Paso", KeyType::Number}});
            break;
        case ControlKind::Word_UnR:
            add({{"Formato", KeyType::Pattern}, {"SmallChange", KeyType::Integer}, {"Paso", KeyType::Fixed}});
            break;
        case ControlKind::Word_DosR:
            add({{"Formato", KeyType::Pattern}, {"Cambio_de_paso", KeyType::Integer}, {"Inc_A", KeyType::Integer},
                 {"Inc_B", KeyType::Integer}, {"Paso_A", KeyType::Fixed}, {"Paso_B", KeyType::Fixed}});
            break;
        case ControlKind::Word_TresR:
            add({{"Cambio_A", KeyType::Integer}, {"Cambio_B", KeyType::Integer}, {"Inc_A", KeyType::Integer},
                 {"Inc_B", KeyType::Integer}, {"Inc_C", KeyType::Integer}, {"Paso_A", KeyType::Fixed},
                 {"Paso_B", KeyType::Fixed}, {"Paso_C", KeyType::Fixed}, {"FormatoA", KeyType::Pattern},
                 {"FormatoB", KeyType::Pattern}, {"FormatoC", KeyType::Pattern}});
            break;
        case ControlKind::Bits:
            add({{"Tipo", KeyType::Integer}, {"Paso", KeyType::Integer}, {"Cantidad_Items", KeyType::Integer},
                 {"Pos_Texto", KeyType::Integer}, {"Enabled", KeyType::Bool}, {"Font", KeyType::Text},
                 {"BackColor", KeyType::Integer}, {"ForeColor", KeyType::Integer}, {"BackStyle", KeyType::Integer}});
            add_numbered("Bit", 4, KeyType::Integer);
            add_numbered("Nombre", 16, KeyType::Text);
            break;
        case ControlKind::ListBox:
            add({{"Tipo", KeyType::Integer}, {"Cantidad_Items", KeyType::Integer}, {"ValueOffset", KeyType::Integer}});
            add_numbered("Bit", 4, KeyType::Integer);
            add_numbered("Nombre", 16, KeyType::Text);
            break;
        case ControlKind::CheckGroup:
            add_numbered("Caption", 4, KeyType::Text);
            break;
    }
    return rules;
}

bool valid_pattern(std::string_view p) {
    if (p.empty()) return false;
    int points = 0, digits = 0;
    for (char c : p) {
        if (c == '.') ++points;
        else if (c == '#' || c == '0') ++digits;
        else return false;
    }
    return points <= 1 && digits > 0;
}

bool valid_address_text(std::string_view a) {
    if (a.empty() || a.size() > 4) return false;
    return std::all_of(a.begin(), a.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

// Block (1 or 2) of a register address, 0 outside both.
int block_of(std::string_view address) {
    unsigned a = 0;
    for (char c : address) {
        unsigned d = (c >= '0' && c <= '9') ? unsigned(c - '0') : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10) : unsigned(c - 'A' + 10);
        a = a * 16 + d;
    }
    if (a >= 0x0100 && a <= 0x011B) return 1;
    if (a >= 0x0180 && a <= 0x0195) return 2;
    return 0;
}

std::string field_name(int data_len) {
    switch (data_len) {
        case 0: return "a one-byte field (0..255)";
        case 1: return "a word field (0..65535)";
        default: return "a field of width " + std::to_string(data_len);
    }
}

class EntryChecker {
public:
    explicit EntryChecker(const RegisterMapEntry& e) : e_(e), p_(e.properties) {}

    std::vector<std::string> run(const RegisterMapPage* page) {
        check_keys();
        check_address(page);
        data_len_ = p_.read_long(data_len_read_key(e_.kind), default_data_len(e_.kind));
        if (data_len_ != 0 && data_len_ != 1) fail("DataLen " + std::to_string(data_len_) + " is not 0 or 1");
        if (data_len_ == 0) {
            const int high = p_.read_long("High", 0);
            if (high != 0 && high != 1) fail("High " + std::to_string(high) + " is not 0 or 1");
        }
        switch (e_.kind) {
            case ControlKind::Byte_UnR:
            case ControlKind::Word_UnR: check_single(); break;
            case ControlKind::Word_DosR: check_multi(2); break;
            case ControlKind::Word_TresR: check_multi(3); break;
            case ControlKind::Bits: check_bits(); break;
            case ControlKind::ListBox: check_list(); break;
            case ControlKind::CheckGroup: check_group(); break;
        }
        return std::move(errors_);
    }

private:
    void fail(const std::string& what) { errors_.push_back(what); }

    void check_keys() {
        const auto rules = key_rules(e_.kind);
        for (const auto& prop : p_.items()) {
            auto it = std::find_if(rules.begin(), rules.end(),
                                   [&](const KeyRule& s) { return PropertyStore::keys_equal(s.key, prop.key); });
            if (it == rules.end()) {
                fail("unknown property \"" + prop.key + "\" for kind " + std::string(kind_letter(e_.kind)));
                continue;
            }
            bool ok = true;
            switch (it->type) {
                case KeyType::Text: break;
                case KeyType::Integer: {
                    auto n = PropertyStore::parse_integer(prop.value);
                    ok = n && *n >= INT32_MIN && *n <= INT32_MAX;
                    break;
                }
                case KeyType::Number: ok = PropertyStore::parse_number(prop.value).has_value(); break;
                case KeyType::Fixed: ok = PropertyStore::parse_fixed(prop.value).has_value(); break;
                case KeyType::Bool: ok = PropertyStore::parse_bool(prop.value).has_value(); break;
                case KeyType::Pattern: ok = valid_pattern(prop.value); break;
            }
            if (!ok) fail(prop.key + " \"" + prop.value + "\" is not a valid value");
        }
    }

    void check_address(const RegisterMapPage* page) {
        auto a = p_.find("Direccion");
        if (!a) {
            fail("no Direccion");
            return;
        }
        if (!valid_address_text(*a)) {
            fail("Direccion \"" + *a + "\" is not a register address");
            return;
        }
        const int block = block_of(*a);
        if (block == 0) fail("Direccion \"" + *a + "\" lies outside both setpoint blocks");
        else if (page && block != page->block)
            fail("Direccion \"" + *a + "\" lies in block " + std::to_string(block) + ", the page edits block " +
                 std::to_string(page->block));
    }

    void check_limits() {
        const long long min = p_.read_long("Min", 0), max = p_.read_long("Max", 0);
        const FieldCapacity cap = field_capacity(data_len_);
        if (min < 0) fail("Min " + std::to_string(min) + " is below 0");
        if (min > max) fail("Min " + std::to_string(min) + " exceeds Max " + std::to_string(max));
        if (cap.max >= cap.min && max > cap.max)
            fail("Max " + std::to_string(max) + " does not fit " + field_name(data_len_));
    }

    void check_step(std::string_view key) {
        const std::int32_t step = p_.read_long(key, 0);
        // The dialog receives steps as 16-bit integers and checks entries by remainder.
        if (step <= 0 || step > 32767) fail(std::string(key) + " " + std::to_string(step) + " is not a step of 1..32767");
    }

    void check_fixed_scale(std::string_view key) {
        if (p_.read_fixed(key, 0) <= 0) fail(std::string(key) + " is a scale of 0 or below");
    }

    void check_single() {
        check_limits();
        check_step("SmallChange");
        if (e_.kind == ControlKind::Word_UnR) check_fixed_scale("Paso");
        else if (p_.read_single("Paso", 0.0f) <= 0.0f) fail("Paso is a scale of 0 or below");
    }

    void check_multi(int ranges) {
        check_limits();
        check_step("Inc_A");
        check_step("Inc_B");
        check_fixed_scale("Paso_A");
        if (ranges == 2) {
            if (p_.read_long("Cambio_de_paso", 0) < 0) fail("Cambio_de_paso is below 0");
            return;
        }
        check_step("Inc_C");
        check_fixed_scale("Paso_B");
        check_fixed_scale("Paso_C");
        // The dialog converts every entry with the first range's scale only.
        if (p_.read_fixed("Paso_A", 0) != p_.read_fixed("Paso_B", 0) ||
            p_.read_fixed("Paso_A", 0) != p_.read_fixed("Paso_C", 0))
            fail("Paso_A, Paso_B and Paso_C differ");
        const std::int32_t a = p_.read_long("Cambio_A", 0), b = p_.read_long("Cambio_B", 0);
        if (a < 0 || a > b) fail("Cambio_A " + std::to_string(a) + " and Cambio_B " + std::to_string(b) + " are out of order");
    }

    // Bits of the field: Tipo 0..3, each bit inside the field, no bit twice.
    std::vector<int> check_field_bits() {
        const int tipo = p_.read_long("Tipo", 0);
        if (tipo < 0 || tipo > 3) {
            fail("Tipo " + std::to_string(tipo) + " is not 0..3");
            return {};
        }
        const int top = data_len_ == 0 ? 7 : 15;
        std::vector<int> bits;
        for (int k = 1; k <= tipo + 1; ++k) {
            const int b = p_.read_long("Bit" + std::to_string(k), 0);
            if (b < 0 || b > top) fail("Bit" + std::to_string(k) + " " + std::to_string(b) + " lies outside " + field_name(data_len_));
            if (std::find(bits.begin(), bits.end(), b) != bits.end()) fail("bit " + std::to_string(b) + " is used twice");
            bits.push_back(b);
        }
        return bits;
    }

    void check_codes(std::size_t names, long long multiplier, long long offset, std::size_t bits) {
        if (bits == 0 || names == 0) return;
        const long long top = (1LL << bits) - 1;
        if (static_cast<long long>(names) > top + 1)
            fail(std::to_string(names) + " names are more than " + std::to_string(bits) + " bits can code");
        else if ((static_cast<long long>(names) - 1) * multiplier + offset > top)
            fail("the last name codes " + std::to_string((static_cast<long long>(names) - 1) * multiplier + offset) +
                 ", beyond the " + std::to_string(bits) + "-bit field");
    }

    void check_bits() {
        const auto bits = check_field_bits();
        const std::int32_t paso = p_.read_long("Paso", 1);
        if (paso <= 0) {
            fail("Paso " + std::to_string(paso) + " is a multiplier of 0 or below");
            return;
        }
        const std::int32_t count = p_.read_long("Cantidad_Items", 0);
        if (count < 0 || count > 16) fail("Cantidad_Items " + std::to_string(count) + " is not 0..16");
        RegisterImages scratch;
        const BitFieldSelector selector(p_, scratch);
        const auto names = selector.listed_names();
        if (names.empty() && !bits.empty()) fail("lists no names");
        check_codes(names.size(), paso, 0, bits.size());
    }

    void check_list() {
        const auto bits = check_field_bits();
        const std::int32_t count = p_.read_long("Cantidad_Items", 0);
        const std::int32_t offset = p_.read_long("ValueOffset", 0);
        if (count < 1 || count > 16) fail("Cantidad_Items " + std::to_string(count) + " is not 1..16");
        if (offset < 0) fail("ValueOffset " + std::to_string(offset) + " is below 0");
        for (int k = 1; k <= std::clamp(count, 0, 16); ++k)
            if (!p_.contains("Nombre" + std::to_string(k))) fail("Nombre" + std::to_string(k) + " is missing");
        if (count >= 1 && count <= 16) check_codes(static_cast<std::size_t>(count), 1, offset, bits.size());
    }

    void check_group() {
        if (e_.count != 4) fail("a check box group has 4 boxes, not " + std::to_string(e_.count));
        if (data_len_ != 1) fail("a check box group covers a whole register (DataLen 1)");
        for (int k = 1; k <= 4; ++k)
            if (!p_.contains("Caption" + std::to_string(k))) fail("Caption" + std::to_string(k) + " is missing");
    }

    const RegisterMapEntry& e_;
    const PropertyStore& p_;
    int data_len_ = 0;
    std::vector<std::string> errors_;
};

// "Control(3)", "Control(0..3)" or "Control".
bool parse_control(std::string_view text, RegisterMapEntry& e) {
    const auto open = text.find('(');
    if (open == std::string_view::npos) {
        if (text.empty() || text.find(')') != std::string_view::npos) return false;
        e.control = std::string(text);
        return true;
    }
    if (open == 0 || text.back() != ')') return false;
    e.control = std::string(text.substr(0, open));
    const std::string_view inside = text.substr(open + 1, text.size() - open - 2);
    const auto dots = inside.find("..");
    auto first = PropertyStore::parse_integer(inside.substr(0, dots));
    if (!first || *first < 0 || *first > 1000) return false;
    e.index = static_cast<int>(*first);
    if (dots == std::string_view::npos) return true;
    auto last = PropertyStore::parse_integer(inside.substr(dots + 2));
    if (!last || *last < *first || *last > 1000) return false;
    e.count = static_cast<int>(*last - *first + 1);
    return true;
}

}  // namespace

std::string RegisterMapEntry::control_name() const {
    if (index < 0) return control;
    std::string s = control + "(" + std::to_string(index);
    if (count > 1) s += ".." + std::to_string(index + count - 1);
    return s + ")";
}

std::string RegisterMapEntry::name() const { return page + " " + control_name(); }

const RegisterMapPage* RegisterMap::page(std::string_view name) const {
    for (const auto& p : pages_)
        if (p.name == name) return &p;
    return nullptr;
}

std::vector<const RegisterMapEntry*> RegisterMap::page_entries(std::string_view page) const {
    std::vector<const RegisterMapEntry*> out;
    for (const auto& e : entries_)
        if (e.page == page) out.push_back(&e);
    return out;
}

const RegisterMapEntry* RegisterMap::find(std::string_view page, std::string_view control, int index) const {
    for (const auto& e : entries_)
        if (e.page == page && e.control == control && e.covers(index)) return &e;
    return nullptr;
}

std::vector<std::string> RegisterMap::check_entry(const RegisterMapEntry& entry, const RegisterMapPage* page) {
    return EntryChecker(entry).run(page);
}

std::optional<RegisterMap> RegisterMap::load(std::string_view text, std::vector<std::string>* errors) {
    RegisterMap map;
    std::vector<std::string> problems;
    auto where = [](int line, const std::string& section) {
        return "register map line " + std::to_string(line) + (section.empty() ? "" : ", [" + section + "]") + ": ";
    };

    // What the current section is: nothing yet (or a broken header), a page, or an entry.
    enum class Section { None, Page, Entry } section = Section::None;
    std::string section_name;
    bool kind_seen = false;
    bool broken_header = false;
    std::vector<std::string> entry_keys_seen;
    // Entries whose kind is unknown are reported once, not checked by another kind's rules.
    std::vector<std::size_t> unknown_kind;  // indices into entries_

    auto finish_entry = [&]() {
        if (section == Section::Entry && !kind_seen) {
            problems.push_back(where(map.entries_.back().line, section_name) + "no Kind");
            map.entries_.pop_back();
        }
    };

    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }

    for (std::size_t n = 0; n < lines.size(); ++n) {
        const int line_no = static_cast<int>(n) + 1;
        std::string_view line = lines[n];
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trim(line).empty() || line.front() == '#' || line.front() == ';') continue;

        if (line.front() == '[') {
            finish_entry();
            section = Section::None;
            kind_seen = false;
            broken_header = false;
            entry_keys_seen.clear();
            const std::string_view inner = line.back() == ']' ? line.substr(1, line.size() - 2) : std::string_view{};
            section_name = std::string(inner);
            const auto blank = inner.find(' ');
            if (inner.empty()) {
                problems.push_back(where(line_no, "") + "malformed section header \"" + std::string(line) + "\"");
                broken_header = true;
            } else if (blank == std::string_view::npos) {
                if (map.page(inner)) problems.push_back(where(line_no, section_name) + "page declared twice");
                map.pages_.push_back({std::string(inner), "", 0});
                section = Section::Page;
            } else {
                RegisterMapEntry e;
                e.page = std::string(inner.substr(0, blank));
                e.line = line_no;
                if (!parse_control(inner.substr(blank + 1), e)) {
                    problems.push_back(where(line_no, section_name) + "malformed control name");
                    broken_header = true;
                } else {
                    map.entries_.push_back(std::move(e));
                    section = Section::Entry;
                }
            }
            continue;
        }

        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            problems.push_back(where(line_no, section_name) + "line without '='");
            continue;
        }
        const std::string key(trim(line.substr(0, eq)));
        const std::string value(line.substr(eq + 1));
        if (section == Section::None) {
            // The lines of a broken section were reported with its header.
            if (!broken_header) problems.push_back(where(line_no, "") + "\"" + key + "\" outside any section");
        } else if (section == Section::Page) {
            auto& p = map.pages_.back();
            if (PropertyStore::keys_equal(key, "Caption")) {
                p.caption = value;
            } else if (PropertyStore::keys_equal(key, "Block")) {
                auto b = PropertyStore::parse_integer(value);
                if (!b || (*b != 1 && *b != 2)) problems.push_back(where(line_no, section_name) + "Block is not 1 or 2");
                else p.block = static_cast<int>(*b);
            } else {
                problems.push_back(where(line_no, section_name) + "unknown page key \"" + key + "\"");
            }
        } else {
            auto& e = map.entries_.back();
            const bool twice = std::any_of(entry_keys_seen.begin(), entry_keys_seen.end(),
                                           [&](const std::string& k) { return PropertyStore::keys_equal(k, key); });
            if (twice) problems.push_back(where(line_no, section_name) + "\"" + key + "\" given twice");
            entry_keys_seen.push_back(key);
            if (PropertyStore::keys_equal(key, "Kind")) {
                kind_seen = true;
                if (auto k = kind_from_letter(value)) {
                    e.kind = *k;
                } else {
                    problems.push_back(where(line_no, section_name) + "unknown kind \"" + value + "\"");
                    unknown_kind.push_back(map.entries_.size() - 1);
                }
            } else if (PropertyStore::keys_equal(key, "Label")) {
                e.label = value;
            } else if (PropertyStore::keys_equal(key, "Frame")) {
                e.frame = value;
            } else if (PropertyStore::keys_equal(key, "Hidden")) {
                auto b = PropertyStore::parse_bool(value);
                if (!b) problems.push_back(where(line_no, section_name) + "Hidden is not True or False");
                else e.hidden = *b;
            } else {
                e.properties.set(key, value);
            }
        }
    }
    finish_entry();

    for (const auto& p : map.pages_) {
        if (p.block == 0) problems.push_back("register map, [" + p.name + "]: no Block");
        if (p.caption.empty()) problems.push_back("register map, [" + p.name + "]: no Caption");
    }
    for (std::size_t i = 0; i < map.entries_.size(); ++i) {
        const auto& e = map.entries_[i];
        const RegisterMapPage* page = map.page(e.page);
        const std::string at = where(e.line, e.name());
        if (!page) problems.push_back(at + "page " + e.page + " is not declared");
        if (std::find(unknown_kind.begin(), unknown_kind.end(), i) == unknown_kind.end())
            for (const auto& msg : check_entry(e, page)) problems.push_back(at + msg);
        for (std::size_t j = 0; j < i; ++j) {
            const auto& o = map.entries_[j];
            const bool overlap = o.page == e.page && o.control == e.control &&
                                 ((o.index < 0 && e.index < 0) ||
                                  (o.index >= 0 && e.index >= 0 && o.index < e.index + e.count && e.index < o.index + o.count));
            if (overlap) problems.push_back(at + "the control is also bound at line " + std::to_string(o.line));
        }
    }

    if (errors) *errors = problems;
    if (!problems.empty()) return std::nullopt;
    return map;
}

namespace {

struct Shipped {
    RegisterMap map;
    std::vector<std::string> errors;
};

const Shipped& shipped() {
    static const Shipped s = [] {
        Shipped out;
        if (auto m = RegisterMap::load(kRegisterMapText, &out.errors)) out.map = std::move(*m);
        return out;
    }();
    return s;
}

}  // namespace

const RegisterMap& shipped_register_map() { return shipped().map; }
const std::vector<std::string>& shipped_register_map_errors() { return shipped().errors; }

}  // namespace neva
