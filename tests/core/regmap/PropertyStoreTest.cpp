#include <gtest/gtest.h>

#include "editors/BitFieldSelector.h"
#include "editors/EditorFactory.h"
#include "regmap/PropertyStore.h"
#include "regmap/RegisterMap.h"

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

TEST(PropertyStore, AValueEqualToItsDefaultIsNotStored) {
    PropertyStore s;
    s.write_text("Titulo", "0", "0");
    s.write_bool("Enabled", true, true);
    EXPECT_TRUE(s.empty());

    s.write_long("Min", 5, 0);
    s.write_fixed("Paso_A", 100, 0);
    s.write_single("Paso", 0.01f, 0.0f);
    EXPECT_EQ(s.find("Paso_A"), "0.01");
    EXPECT_EQ(s.find("Paso"), "0.01");

    s.write_long("Min", 0, 0);  // back to the default: the key goes away
    EXPECT_FALSE(s.contains("Min"));
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
