#pragma once
// The kinds of control a setpoint page binds to a register, with the few facts
// about each kind that the property store needs: the letter the register map uses
// for it, the default field width, and the spelling of the field-width key.

#include <optional>
#include <string_view>

namespace neva {

enum class ControlKind {
    Byte_UnR,    // "B": one step range, single-precision scale
    Word_UnR,    // "W1": one step range, fixed-point scale (placed on no page)
    Word_DosR,   // "W2": two step ranges
    Word_TresR,  // "W3": three step ranges
    Bits,        // "S": drop-down list of names coded in 1..4 bits
    CheckGroup,  // "C": four check boxes, bits 0..3 of one register
    ListBox,     // "L": a list box the page binds itself (value = index + offset)
};

// Letter of the kind in the register map text ("B", "W1", "W2", "W3", "S", "C", "L").
std::string_view kind_letter(ControlKind kind);
// The kind named by a letter (exact spelling, as the map writes it).
std::optional<ControlKind> kind_from_letter(std::string_view letter);
// System name of the control ("Byte_UnR", ..., "CheckBox", "ListBox").
std::string_view kind_name(ControlKind kind);

bool is_numeric_editor(ControlKind kind);  // Byte_UnR, Word_UnR, Word_DosR, Word_TresR

// Field width of a new instance: a word in Byte_UnR, a byte in the other editors.
// The page-bound check boxes and list box have no default of their own and use a word.
int default_data_len(ControlKind kind);
// The field-width key spellings of the stored property sets: the word editors were
// written against "Datalen", Word_TresR reads "Datalen" but writes "DataLen". The store
// ignores letter case on lookup, so the spelling only matters for what is written.
std::string_view data_len_read_key(ControlKind kind);
std::string_view data_len_write_key(ControlKind kind);

// Capacity of a field of the given width: 0..255 for a byte, 0..65535 for a word,
// 0..2^31-1 for a double word. An unknown width holds nothing (the image writes
// nothing for it), shown as an empty range (max < min).
struct FieldCapacity {
    long long min;
    long long max;
    bool holds(long long v) const { return v >= min && v <= max; }
};
FieldCapacity field_capacity(int data_len);

}  // namespace neva
