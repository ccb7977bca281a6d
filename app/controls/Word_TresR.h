#pragma once
// Word_TresR: a setpoint with three step ranges (a delay in 0.01 s, 0.1 s and 1 s steps).
// A thin window over the MultiRangeEditor model; see NumericEditorControl.

#include "controls/NumericEditorControl.h"
#include "editors/MultiRangeEditor.h"

namespace neva {

class Word_TresR : public NumericEditorControl {
    Q_OBJECT
public:
    Word_TresR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
               QWidget* parent = nullptr);

    MultiRangeEditor& editor() { return static_cast<MultiRangeEditor&>(model()); }
};

}  // namespace neva
