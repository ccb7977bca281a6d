#include "regmap/ControlKind.h"

#include <array>
#include <utility>

namespace neva {

namespace {

struct KindInfo {
    ControlKind kind;
    std::string_view letter;
    std::string_view name;
};

constexpr std::array<KindInfo, 7> kKinds{{
    {ControlKind::Byte_UnR, "B", "Byte_UnR"},
    {ControlKind::Word_UnR, "W1", "Word_UnR"},
    {ControlKind::Word_DosR, "W2", "Word_DosR"},
    {ControlKind::Word_TresR, "W3", "Word_TresR"},
    {ControlKind::Bits, "S", "Bits"},
    {ControlKind::CheckGroup, "C", "CheckBox"},
    {ControlKind::ListBox, "L", "ListBox"},
}};

const KindInfo& info(ControlKind kind) {
    for (const auto& k : kKinds)
        if (k.kind == kind) return k;
    return kKinds[0];
}

}  // namespace

std::string_view kind_letter(ControlKind kind) { return info(kind).letter; }
std::string_view kind_name(ControlKind kind) { return info(kind).name; }

std::optional<ControlKind> kind_from_letter(std::string_view letter) {
    for (const auto& k : kKinds)
        if (k.letter == letter) return k.kind;
    return std::nullopt;
}

bool is_numeric_editor(ControlKind kind) {
    return kind == ControlKind::Byte_UnR || kind == ControlKind::Word_UnR || kind == ControlKind::Word_DosR ||
           kind == ControlKind::Word_TresR;
}

int default_data_len(ControlKind kind) {
    switch (kind) {
        case ControlKind::Byte_UnR:
        case ControlKind::CheckGroup:
        case ControlKind::ListBox:
            return 1;
        default:
            return 0;
    }
}

std::string_view data_len_read_key(ControlKind kind) {
    switch (kind) {
        case ControlKind::Word_UnR:
        case ControlKind::Word_DosR:
        case ControlKind::Word_TresR:
            return "Datalen";
        default:
            return "DataLen";
    }
}

std::string_view data_len_write_key(ControlKind kind) {
    switch (kind) {
        case ControlKind::Word_UnR:
        case ControlKind::Word_DosR:
            return "Datalen";
        default:
            return "DataLen";
    }
}

FieldCapacity field_capacity(int data_len) {
    switch (data_len) {
        case 0: return {0, 0xFF};
        case 1: return {0, 0xFFFF};
        case 2: return {0, 0x7FFFFFFF};
        default: return {0, -1};
    }
}

}  // namespace neva
