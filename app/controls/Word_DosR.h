#pragma once
// Word_DosR: a setpoint with two step ranges (a pickup in 1 % steps up to 100 % and
// 10 % steps above).
// A thin window over the MultiRangeEditor model; see NumericEditorControl.

#include "controls/NumericEditorControl.h"
#include "editors/MultiRangeEditor.h"

namespace neva {

class Word_DosR : public NumericEditorControl {
    Q_OBJECT
public:
    Word_DosR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
              QWidget* parent = nullptr);

    MultiRangeEditor& editor() { return static_cast<MultiRangeEditor&>(model()); }
};

}  // namespace neva
