#include <gtest/gtest.h>

#include "editors/BitFieldSelector.h"
#include "editors/EditorFactory.h"
#include "regmap/PropertyStore.h"
#include "regmap/RegisterMap.h"

namespace neva {
namespace {

TEST(PropertyStore, MatchesKeysWithoutRegardToCaseAndKeepsOneValuePerKey) {
    PropertyStore s;
    s.set("Datalen", "1");
    EXPECT_EQ(s.find("DataLen"), "1");
    EXPECT_EQ(s.read_long("DATALEN", 0), 1);
    EXPECT_TRUE(s.contains("datalen"));

    s.set("DataLen", "0");  // another spelling replaces, it does not add
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s.items()[0].key, "DataLen");
    EXPECT_EQ(s.read_long("datalen", 1), 0);
    EXPECT_TRUE(s.erase("DATALEN"));
    EXPECT_TRUE(s.empty());
}

TEST(PropertyStore, MissingOrUnreadableKeysReadAsTheDefault) {
    PropertyStore s;
    EXPECT_EQ(s.read_text("Titulo", "0"), "0");
    EXPECT_EQ(s.read_long("Min", 7), 7);
    EXPECT_EQ(s.read_fixed("Paso_A", 25), 25);
    EXPECT_TRUE(s.read_bool("Enabled", true));

    s.set("Min", "abc");
    s.set("Max", "70000");
    s.set("Paso_A", "0.01");
    s.set("Paso", "0.1");
    s.set("Enabled", "False");
    s.set("Medida", "");
    EXPECT_EQ(s.read_long("Min", 3), 3);
    EXPECT_EQ(s.read_long("Max", 0), 70000);
    EXPECT_EQ(s.read_fixed("Paso_A", 0), 100);
    EXPECT_FLOAT_EQ(s.read_single("Paso", 0), 0.1f);
    EXPECT_FALSE(s.read_bool("Enabled", true));
    EXPECT_EQ(s.read_text("Medida", "0"), "");  // an empty unit is a value, not a missing key
}

TEST(PropertyStore, AValueEqualToItsDefaultIsNotStored) {
    PropertyStore s;
    s.write_long("Min", 0, 0);
    s.write_text("Titulo", "0", "0");
    s.write_bool("Enabled", true, true);
    s.write_fixed("Paso_A", 0, 0);
    EXPECT_TRUE(s.empty());

    s.write_long("Min", 5, 0);
    s.write_fixed("Paso_A", 100, 0);
    s.write_single("Paso", 0.01f, 0.0f);
    s.write_bool("Enabled", false, true);
    EXPECT_EQ(s.find("Min"), "5");
    EXPECT_EQ(s.find("Paso_A"), "0.01");
    EXPECT_EQ(s.find("Paso"), "0.01");
    EXPECT_EQ(s.find("Enabled"), "False");

    s.write_long("Min", 0, 0);  // back to the default: the key goes away
    EXPECT_FALSE(s.contains("Min"));
}

TEST(PropertyStore, ParsesDecimalTextsExactly) {
    EXPECT_EQ(PropertyStore::parse_fixed("0.01"), 100);
    EXPECT_EQ(PropertyStore::parse_fixed("1"), 10000);
    EXPECT_EQ(PropertyStore::parse_fixed("-2.5"), -25000);
    EXPECT_EQ(PropertyStore::parse_fixed("0.00005"), 1);  // beyond four decimals: half away from zero
    EXPECT_FALSE(PropertyStore::parse_fixed("").has_value());
    EXPECT_FALSE(PropertyStore::parse_fixed("1.2.3").has_value());
    EXPECT_FALSE(PropertyStore::parse_integer("12a").has_value());
    EXPECT_FALSE(PropertyStore::parse_integer("1.0").has_value());
    EXPECT_FALSE(PropertyStore::parse_number("1e3").has_value());
    EXPECT_EQ(PropertyStore::fixed_text(100), "0.01");
    EXPECT_EQ(PropertyStore::fixed_text(-25000), "-2.5");
}

TEST(PropertyStore, NewEditorsHaveTheirKindsDefaultsAndSaveNothing) {
    RegisterImages img;
    CalcHandover calc;
    const PropertyStore empty;
    for (ControlKind k : {ControlKind::Byte_UnR, ControlKind::Word_UnR, ControlKind::Word_DosR, ControlKind::Word_TresR}) {
        auto e = make_numeric_editor(k, empty, img, calc);
        EXPECT_EQ(e->DataLen, k == ControlKind::Byte_UnR ? 1 : 0) << kind_name(k);
        EXPECT_EQ(e->Titulo, "0");
        EXPECT_EQ(e->Medida, "0");
        EXPECT_EQ(e->Text, "Text1");
        EXPECT_TRUE(e->Enabled);
        PropertyStore saved;
        e->save(saved);
        EXPECT_TRUE(saved.empty()) << kind_name(k) << " saved " << saved.items()[0].key;
    }
    BitFieldSelector bits(empty, img);
    EXPECT_EQ(bits.DataLen, 0);
    EXPECT_EQ(bits.Paso, 1);
    EXPECT_EQ(bits.Nombre[15], "0");
    PropertyStore saved;
    bits.save(saved);
    EXPECT_TRUE(saved.empty());
}

TEST(PropertyStore, FieldWidthKeySpellingsPerEditor) {
    RegisterImages img;
    CalcHandover calc;
    PropertyStore in;
    in.set("Datalen", "1");
    auto saved_key = [&](ControlKind k) {
        auto e = make_numeric_editor(k, in, img, calc);
        EXPECT_EQ(e->DataLen, 1);
        PropertyStore out;
        out.set("Datalen", "1");  // as found on disk
        e->save(out);
        return out.find("DataLen") ? out.items()[0].key : std::string("(none)");
    };
    EXPECT_EQ(saved_key(ControlKind::Word_UnR), "Datalen");
    EXPECT_EQ(saved_key(ControlKind::Word_DosR), "Datalen");
    EXPECT_EQ(saved_key(ControlKind::Word_TresR), "DataLen");  // reads "Datalen", writes "DataLen"
    EXPECT_EQ(saved_key(ControlKind::Byte_UnR), "(none)");      // 1 is its default

    PropertyStore byte_field;
    byte_field.set("DataLen", "0");
    auto b = make_numeric_editor(ControlKind::Byte_UnR, byte_field, img, calc);
    PropertyStore out;
    b->save(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out.items()[0].key, "DataLen");
    EXPECT_EQ(out.items()[0].value, "0");
}

// The map holds each editor's properties exactly as the editor itself would store
// them: nothing equal to a default, every key in the editor's own spelling.
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

}  // namespace
}  // namespace neva
