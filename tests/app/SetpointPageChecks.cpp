#include "SetpointPageChecks.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "controls/Bits.h"
#include "controls/NumericEditorControl.h"
#include "image/Manejo_de_Datos.h"
#include "regmap/SetpointView.h"
#include "ui/SetpointPage.h"

namespace neva::apptest {

bool same_block(const SetpointImage& a, const SetpointImage& b, int block) {
    const BlockBounds bb = block_bounds(block);
    return std::equal(a.begin() + bb.first, a.begin() + bb.last + 1, b.begin() + bb.first);
}

namespace {

// Calls `mismatch(entry name, shown, expected)` for every control that differs.
template <class F>
void compare(const SetpointPage& page, const SetpointImage& stored, F mismatch) {
    for (const RegisterMapEntry* e : shipped_register_map().page_entries(page.page().name)) {
        const QString name = QString::fromStdString(e->control_name());
        const SetpointView v = view_setpoint(*e, stored);
        std::string shown;
        switch (e->kind) {
            case ControlKind::Bits:
                shown = page.bits(name) ? page.bits(name)->current_text().toStdString() : "?";
                break;
            case ControlKind::ListBox: shown = page.Combo1 ? page.Combo1->currentText().toStdString() : "?"; break;
            case ControlKind::CheckGroup: {
                std::string want;
                for (int b = 0; b < 4; ++b) {
                    QCheckBox* c = page.check(QString::fromStdString(e->control), e->index + b);
                    shown += !c ? '?' : c->isChecked() ? '1' : '0';
                    want += ((v.raw >> b) & 1) ? '1' : '0';
                }
                if (shown != want) mismatch(e->name(), shown, want);
                continue;
            }
            default: shown = page.editor(name) ? page.editor(name)->text().toStdString() : "?";
        }
        if (shown != v.display) mismatch(e->name(), shown, v.display);
    }
}

}  // namespace

void expect_page_shows_image(const SetpointPage& page, const SetpointImage& stored) {
    compare(page, stored, [](const std::string& name, const std::string& shown, const std::string& want) {
        ADD_FAILURE() << name << " shows \"" << shown << "\", expected \"" << want << "\"";
    });
}

bool page_shows_image(const SetpointPage& page, const SetpointImage& stored) {
    bool same = true;
    compare(page, stored, [&](const std::string&, const std::string&, const std::string&) { same = false; });
    return same;
}

}  // namespace neva::apptest
