#include <gtest/gtest.h>

#include <string>

#include "editors/EditorFactory.h"
#include "editors/NumericEntry.h"
#include "regmap/RegisterMap.h"
#include "testing/ScriptedMessages.h"

namespace neva {
namespace {

// The two instantaneous delays (0 to 2000 mSec) with a typed number far too long for
// any value: it must be "Out of Range", never read as 0 and accepted.
TEST(NumericEntry, ANumberTooLongForAnyValueIsOutOfRange) {
    const std::string huge(310, '9');
    for (const auto* entry : {shipped_register_map().find("SETPAGE6", "Byte_UnR1", 3),
                              shipped_register_map().find("SETPAGE6", "Byte_UnR1", 6)}) {
        ASSERT_NE(entry, nullptr);
        RegisterImages images;
        images.Imagen_Setpoints.fill(0x01);
        images.Imagen_Edicion = images.Imagen_Setpoints;
        CalcHandover calc;
        testing::ScriptedMessages msgs;
        auto editor = make_numeric_editor(entry->kind, entry->properties, images, calc);
        editor->Inicializacion();
        const std::int32_t before = editor->Value;

        // 2000.999... is a number too, and rounds past the maximum.
        for (const std::string& typed : {huge, "-" + huge, huge + ".5", "2000." + huge}) {
            msgs.expect_message("Out of Range", kAppTitle, MsgButtons::Ok, MsgIcon::None);
            editor->click_value_box([&] {
                NumericEntry dialog(calc, msgs);
                dialog.load();
                dialog.set_pantalla(typed);
                if (!dialog.ok()) dialog.cancel();
            });
            msgs.verify();
            EXPECT_EQ(editor->Value, before) << typed.substr(0, 12);
            EXPECT_EQ(images.Imagen_Edicion, images.Imagen_Setpoints) << typed.substr(0, 12);
        }
    }
    // A long fraction of a value inside the range is that value.
    EXPECT_EQ(NumericEntry::leading_number("0." + huge), 1.0);
    EXPECT_EQ(NumericEntry::leading_number("0." + std::string(400, '0') + "1"), 0.0);
}

}  // namespace
}  // namespace neva
