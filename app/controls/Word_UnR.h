#pragma once
// Word_UnR: the one-range editor with a fixed-point scale (placed on no page).
// A thin window over the SingleRangeEditor model; see NumericEditorControl.

#include "controls/NumericEditorControl.h"
#include "editors/SingleRangeEditor.h"

namespace neva {

class Word_UnR : public NumericEditorControl {
    Q_OBJECT
public:
    Word_UnR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
             QWidget* parent = nullptr);

    SingleRangeEditor& editor() { return static_cast<SingleRangeEditor&>(model()); }
    bool Actualizar() { return editor().Actualizar(); }
};

}  // namespace neva
