#include <gtest/gtest.h>

#include "editors/BitFieldSelector.h"
#include "editors/EditorFactory.h"
#include "regmap/PropertyStore.h"
#include "regmap/RegisterMap.h"
#include "regmap/SetpointView.h"
#include "testing/SetpointWords.h"

namespace neva {
namespace {

TEST(PropertyStore, KeysIgnoreCaseKeepOneValueAndMissingOnesReadAsTheDefault) {
    PropertyStore s;
    s.set("Datalen", "1");
    EXPECT_EQ(s.read_long("DATALEN", 0), 1);

    s.set("DataLen", "0");  // another spelling replaces, it does not add
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s.items()[0].key, "DataLen");
    EXPECT_EQ(s.read_long("datalen", 1), 0);

    // Missing or unreadable keys read as the default; an empty unit is a value.
    EXPECT_EQ(s.read_fixed("Paso_A", 25), 25);
    s.set("Min", "abc");
    s.set("Medida", "");
    EXPECT_EQ(s.read_long("Min", 3), 3);
    EXPECT_EQ(s.read_text("Medida", "0"), "");
}

TEST(PropertyStore, ParsesDecimalTextsExactly) {
    EXPECT_EQ(PropertyStore::parse_fixed("-2.5"), -25000);
    EXPECT_EQ(PropertyStore::parse_fixed("0.00005"), 1);  // beyond four decimals: half away from zero
    EXPECT_FALSE(PropertyStore::parse_fixed("").has_value());
    EXPECT_FALSE(PropertyStore::parse_fixed("1.2.3").has_value());
    EXPECT_FALSE(PropertyStore::parse_integer("12a").has_value());
    EXPECT_FALSE(PropertyStore::parse_number("1e3").has_value());
    EXPECT_EQ(PropertyStore::fixed_text(-25000), "-2.5");
}

// The map holds each editor's properties exactly as the editor itself would store
// them: nothing equal to a default, every key in the editor's own spelling, and no
// property the editor would ignore (a High it does not honour writes the wrong byte).
TEST(PropertyStore, ShippedMapHoldsWhatEachEditorWouldStore) {
    const RegisterMap& map = shipped_register_map();
    ASSERT_FALSE(map.entries().empty());
    RegisterImages img;
    CalcHandover calc;
    for (const auto& entry : map.entries()) {
        PropertyStore saved;
        if (entry.kind == ControlKind::Bits) {
            BitFieldSelector(entry.properties, img).save(saved);
        } else if (is_numeric_editor(entry.kind)) {
            make_numeric_editor(entry.kind, entry.properties, img, calc)->save(saved);
        } else {
            continue;
        }
        ASSERT_EQ(saved.size(), entry.properties.size()) << entry.name();
        for (const auto& p : entry.properties.items()) {
            auto it = std::find_if(saved.items().begin(), saved.items().end(),
                                   [&](const PropertyStore::Property& s) { return s.key == p.key; });
            ASSERT_NE(it, saved.items().end()) << entry.name() << " key " << p.key;
            EXPECT_EQ(it->value, p.value) << entry.name() << " key " << p.key;
        }
    }
}


std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& e : v) s += e + "\n";
    return s;
}

TEST(RegisterMap, ShippedMapLoadsCleanWithItsPagesAndRows) {
    EXPECT_TRUE(shipped_register_map_errors().empty()) << joined(shipped_register_map_errors());
    const RegisterMap& map = shipped_register_map();
    EXPECT_EQ(map.pages().size(), 5u);
    EXPECT_EQ(map.page("SETPAGE6")->block, 2);
    EXPECT_EQ(map.entries().size(), 65u);
    // 16 visible rows and the 8 of the hidden copy on the system page.
    std::size_t hidden = 0;
    for (const auto& e : map.entries()) hidden += e.hidden && e.page == "SETPAGE2";
    EXPECT_EQ(hidden, 8u);

    const auto* delay = map.find("SETPAGE6", "Word_TresR1", 0);
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->address(), "0184");
    EXPECT_EQ(delay->properties.read_fixed("Paso_C", 0), 100);
    // The pulse-time labels keep their misspelling; the dialog titles do not.
    const auto* aux1 = map.find("SETPAGE3", "Byte_UnR1", 1);
    ASSERT_NE(aux1, nullptr);
    EXPECT_EQ(aux1->label, "Aux. 1 Relay Puse Time:");
    EXPECT_EQ(aux1->properties.read_text("Titulo", "0"), "Aux. 1 Relay Pulse Time:");
    // A check group is found by any of its boxes.
    const auto* group = map.find("SETPAGE2", "chkDiscrep", 6);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->index, 4);
    EXPECT_EQ(group->control_name(), "chkDiscrep(4..7)");
    // The hidden copy of the block-trip delay stops at 100.
    EXPECT_EQ(map.find("SETPAGE2", "PhaseCT", 4)->properties.read_long("Max", 0), 100);
}

// A well-formed one-page map with one entry, into which a test splices bad lines.
std::string map_with(const std::string& entry) {
    return "[SETPAGE9]\nCaption=SETPOINTS - Event Recorder\nBlock=1\n\n[SETPAGE9 Test(7)]\n" + entry;
}

std::string load_error(const std::string& text) {
    std::vector<std::string> errors;
    auto map = RegisterMap::load(text, &errors);
    EXPECT_FALSE(map.has_value()) << text;
    return joined(errors);
}

TEST(RegisterMap, RefusesInconsistentEntriesNamingThem) {
    const std::string b = "Kind=B\nDireccion=0107\nSmallChange=1\nPaso=1\n";
    struct Case { std::string entry; std::string message; };
    const std::vector<Case> cases{
        {b + "DataLen=0\nMax=300\n", "Max 300 does not fit a one-byte field (0..255)"},
        {b + "Max=70000\n", "Max 70000 does not fit a word field (0..65535)"},
        {b + "Min=20\nMax=10\n", "Min 20 exceeds Max 10"},
        {"Kind=B\nDireccion=0107\nMax=10\nSmallChange=1\nPaso=0\n", "Paso is a scale of 0"},
        {"Kind=B\nDireccion=0107\nMax=10\nPaso=1\n", "SmallChange 0 is not a step"},
        {"Kind=W3\nDireccion=0107\nDataLen=1\nMax=100\nInc_A=1\nInc_B=1\nInc_C=1\nPaso_A=0.01\nPaso_B=0.1\n"
         "Paso_C=0.01\nCambio_A=10\nCambio_B=50\n",
         "Paso_A, Paso_B and Paso_C differ"},
        {"Kind=W2\nDireccion=0107\nMax=1800\nInc_A=1\nInc_B=10\nPaso_A=1\n",
         "Max 1800 does not fit a one-byte field"},  // the word editors default to a byte
        {"Kind=X\nDireccion=0107\n", "unknown kind \"X\""},
        {"Direccion=0107\n", "no Kind"},
        {"Kind=S\nDireccion=0150\nNombre1=Off\nNombre2=On\n", "outside both setpoint blocks"},
        {"Kind=S\nDireccion=0184\nNombre1=Off\nNombre2=On\n", "lies in block 2, the page edits block 1"},
        {"Kind=S\nDireccion=0114\nDataLen=1\nBit1=3\nPaso=2\nNombre1=Off\nNombre2=On\n",
         "the last name codes 2, beyond the 1-bit field"},
        {"Kind=L\nDireccion=0101\nDataLen=1\nTipo=1\nBit1=5\nBit2=6\nNombre1=a\nNombre2=b\nNombre3=c\nNombre4=d\n"
         "Nombre5=e\nCantidad_Items=5\n",
         "5 names are more than 2 bits can code"},
        {"Kind=S\nDireccion=0114\nBit1=9\nNombre1=Off\nNombre2=On\n", "Bit1 9 lies outside a one-byte field"},
        {"Kind=S\nDireccion=0114\nDataLen=1\nTipo=1\nBit1=4\nBit2=4\nNombre1=a\nNombre2=b\n", "bit 4 is used twice"},
        {b + "Max=10\nMinimo=3\n", "unknown property \"Minimo\""},
        {b + "Max=10\nFormato=#,##0\n", "Formato \"#,##0\" is not a valid value"},
        {b + "Max=10\nmax=12\n", "\"max\" given twice"},
        {"Kind=C\nDireccion=0114\nCaption1=Trip\nCaption2=Aux 1\nCaption3=Aux 2\nCaption4=Aux 3\n",
         "a check box group has 4 boxes, not 1"},
    };
    for (const auto& c : cases) {
        const std::string errors = load_error(map_with(c.entry));
        EXPECT_NE(errors.find(c.message), std::string::npos) << "expected: " << c.message << "\ngot: " << errors;
        EXPECT_NE(errors.find("[SETPAGE9 Test(7)]"), std::string::npos) << errors;
    }
}

TEST(RegisterMap, RefusesBrokenStructure) {
    EXPECT_NE(load_error("Kind=B\n").find("outside any section"), std::string::npos);
    EXPECT_NE(load_error("[SETPAGE9]\nCaption=x\nBlock=3\n").find("Block is not 1 or 2"), std::string::npos);
    EXPECT_NE(load_error("[SETPAGE5 Test(0)]\nKind=S\nDireccion=0114\nNombre1=a\nNombre2=b\n")
                  .find("page SETPAGE5 is not declared"),
              std::string::npos);
    const std::string twice = "[SETPAGE9]\nCaption=x\nBlock=1\n"
                              "[SETPAGE9 G(0..3)]\nKind=C\nDireccion=0114\nCaption1=a\nCaption2=b\nCaption3=c\nCaption4=d\n"
                              "[SETPAGE9 G(2)]\nKind=S\nDireccion=0114\nNombre1=a\nNombre2=b\n";
    EXPECT_NE(load_error(twice).find("also bound at line 4"), std::string::npos);
    EXPECT_NE(load_error(map_with("Kind=B\nno equals sign\n")).find("line without '='"), std::string::npos);
}

TEST(RegisterMap, KeepsValuesVerbatimAndAcceptsWindowsLineEnds) {
    const std::string text =
        "[SETPAGE6]\r\nCaption=SETPOINTS - Phase and Ground Protections\r\nBlock=2\r\n"
        "[SETPAGE6 Page6C(0)]\r\nKind=S\r\nLabel=Phase Timed O/C Curve:\r\nDireccion=0182\r\nDataLen=1\r\n"
        "Nombre1=Definite Time\r\nNombre2=IEC  A Normal Inv\r\n";
    std::vector<std::string> errors;
    auto map = RegisterMap::load(text, &errors);
    ASSERT_TRUE(map.has_value()) << joined(errors);
    const auto* e = map->find("SETPAGE6", "Page6C", 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->properties.read_text("Nombre2", ""), "IEC  A Normal Inv");
    EXPECT_EQ(map->page("SETPAGE6")->caption, "SETPOINTS - Phase and Ground Protections");
}


using testing::put_word;

const RegisterMapEntry& entry(std::string_view page, std::string_view control, int index = -1) {
    const auto* e = shipped_register_map().find(page, control, index);
    EXPECT_NE(e, nullptr) << page << " " << control << "(" << index << ")";
    return *e;
}

TEST(SetpointView, ShowsEachSetpointAsItsPageDoes) {
    SetpointImage img{};
    put_word(img, "0184", 250);
    put_word(img, "018A", 5);
    put_word(img, "0186", 150);
    put_word(img, "0183", 15);
    put_word(img, "0182", 0xFFFA);       // curve in bits 0..3 = 10; the other bits belong to nobody here
    put_word(img, "0180", 0x0009);       // trip and aux. 3
    put_word(img, "0101", 0x0440);       // bit 10 (out of service) and bits 5,6 = 2 (zero sequence)
    put_word(img, "010B", 150);

    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_TresR1", 0), img).display, "2.5 Sec");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_TresR1", 1), img).display, "0.05 Sec");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Word_DosR1", 0), img).display, "150 %CT");
    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Byte_UnR1", 1), img).display, "1.5 ");  // no unit, one blank

    EXPECT_EQ(view_setpoint(entry("SETPAGE6", "Page6C", 0), img).display, "IEC  A Normal Inv");
    const auto relays = view_setpoint(entry("SETPAGE6", "ChkPhTim", 0), img);
    EXPECT_EQ(relays.display, "[x] Trip [ ] Aux. 1 [ ] Aux. 2 [x] Aux. 3");
    EXPECT_EQ(relays.raw, 9);

    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "Combo1"), img).display, "Zero Sequence");
    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "Page1C", 4), img).display, "Yes");
    EXPECT_EQ(view_setpoint(entry("SETPAGE2", "PhaseCT", 0), img).display, "0 A");  // zero image shows 0

    // A curve value with no name shows nothing rather than a wrong name.
    put_word(img, "0182", 14);
    const auto unknown = view_setpoint(entry("SETPAGE6", "Page6C", 0), img);
    EXPECT_EQ(unknown.display, "");
    EXPECT_EQ(unknown.raw, 14);
}

TEST(SetpointView, ChecksLimitsStepGridAndListedChoices) {
    const auto& delay = entry("SETPAGE6", "Word_TresR1", 0);
    EXPECT_FALSE(check_setpoint(delay, 99).has_value());
    EXPECT_FALSE(check_setpoint(delay, 60000).has_value());
    EXPECT_EQ(check_setpoint(delay, 555), "not a multiple of its step 10");
    EXPECT_EQ(check_setpoint(delay, 1050), "not a multiple of its step 100");
    EXPECT_EQ(check_setpoint(delay, 4), "outside 5..60000");

    // One range: the grid of SmallChange, as the numeric entry dialog checks it.
    const auto& ct = entry("SETPAGE2", "PhaseCT", 0);
    EXPECT_FALSE(check_setpoint(ct, 5000).has_value());
    EXPECT_EQ(check_setpoint(ct, 7), "not a multiple of its step 5");
    EXPECT_EQ(check_setpoint(ct, 70000), "does not fit its field");

    const auto& curve = entry("SETPAGE6", "Page6C", 1);
    EXPECT_FALSE(check_setpoint(curve, 12).has_value());
    EXPECT_EQ(check_setpoint(curve, 13), "not a listed choice");
    EXPECT_EQ(check_setpoint(entry("SETPAGE2", "Combo1"), 0), "not a listed choice");
    EXPECT_FALSE(check_setpoint(entry("SETPAGE2", "chkDiscrep", 0), 15).has_value());
}

}  // namespace
}  // namespace neva
