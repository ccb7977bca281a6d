#pragma once
// The register map: the stored property sets of every control on the setpoint
// pages, read from one text resource compiled into the program. The pages build
// their editors from it; the command-line tool, reports and comparisons read the
// same entries, so each setpoint's label, unit, scale and format are written once.
//
// Text format (register_map.txt):
//   # comment                 (a line whose first character is '#' or ';')
//   [SETPAGE6]                a page: Caption=<window caption>, Block=<1 or 2>
//   [SETPAGE6 Word_TresR1(0)] an entry: page, control name and array index
//   [SETPAGE2 chkDiscrep(0..3)]  a group of four check boxes, box a+k is bit k
//   [SETPAGE2 Combo1]         a control that is no array member (index -1)
//   Kind=B|W1|W2|W3|S|C|L     Byte_UnR, Word_UnR, Word_DosR, Word_TresR, Bits,
//                             check box group, list box
//   Label=<text beside the control on the page>
//   Frame=<caption of the frame holding it, or the frame's name when it has none>
//   Hidden=True               the control exists but is never seen
//   Key=Value                 any other line: a stored property, exactly as the
//                             property store holds it (non-default values only)
// A value runs from the first '=' to the end of the line, blanks included.
// Check groups hold Direccion and Caption1..Caption4; the list box holds Direccion,
// Tipo, Bit1..Bit4, Nombre1.., Cantidad_Items and ValueOffset (value = index + offset).
//
// Loading checks every entry and refuses the whole map when any is inconsistent
// (a Max its field cannot hold, more names than the bits can code, a scale of 0,
// an unknown kind or key, an address outside the page's block...), naming the entry.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regmap/ControlKind.h"
#include "regmap/PropertyStore.h"

namespace neva {

struct RegisterMapPage {
    std::string name;     // "SETPAGE6"
    std::string caption;  // "SETPOINTS - Phase and Ground Protections"
    int block = 1;        // setpoint block the page reads and writes
};

struct RegisterMapEntry {
    std::string page;     // "SETPAGE6"
    std::string control;  // "Word_TresR1"
    int index = -1;       // array index (first box of a check group); -1: no array member
    int count = 1;        // controls covered: 4 for a check group, else 1
    ControlKind kind = ControlKind::Byte_UnR;
    std::string label;
    std::string frame;
    bool hidden = false;
    PropertyStore properties;
    int line = 0;  // line of the entry's header in the map text

    // "SETPAGE6 Word_TresR1(0)", "SETPAGE2 chkDiscrep(0..3)", "SETPAGE2 Combo1".
    std::string name() const;
    // "Word_TresR1(0)" without the page.
    std::string control_name() const;
    // The Direccion property ("0184").
    std::string address() const { return properties.read_text("Direccion", "0"); }
    bool covers(int control_index) const {
        return index < 0 ? control_index < 0 : control_index >= index && control_index < index + count;
    }
};

class RegisterMap {
public:
    // Parses and checks a map text. nullopt when anything is wrong; every problem is
    // then listed in *errors, each naming its entry (or line).
    static std::optional<RegisterMap> load(std::string_view text, std::vector<std::string>* errors = nullptr);

    const std::vector<RegisterMapPage>& pages() const { return pages_; }
    const RegisterMapPage* page(std::string_view name) const;
    // Every entry in the order of the text.
    const std::vector<RegisterMapEntry>& entries() const { return entries_; }
    std::vector<const RegisterMapEntry*> page_entries(std::string_view page) const;
    // The entry of a control; for a check group any index of the group finds it.
    const RegisterMapEntry* find(std::string_view page, std::string_view control, int index = -1) const;

    // The checks load() runs on one entry (page block included when page is given).
    static std::vector<std::string> check_entry(const RegisterMapEntry& entry, const RegisterMapPage* page);

private:
    std::vector<RegisterMapPage> pages_;
    std::vector<RegisterMapEntry> entries_;
};

// The map compiled into the program, loaded on first use. Should the compiled text
// ever be inconsistent, this is an empty map and the errors say why.
const RegisterMap& shipped_register_map();
const std::vector<std::string>& shipped_register_map_errors();

}  // namespace neva
