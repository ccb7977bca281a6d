#include "controls/Word_TresR.h"

namespace neva {

Word_TresR::Word_TresR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
                       QWidget* parent)
    : NumericEditorControl(std::make_unique<MultiRangeEditor>(ControlKind::Word_TresR, props, images, calc), calc,
                           messages, parent) {
    setObjectName("Word_TresR");
}

}  // namespace neva
