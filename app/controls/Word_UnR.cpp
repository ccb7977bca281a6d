#include "controls/Word_UnR.h"

namespace neva {

Word_UnR::Word_UnR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
                   QWidget* parent)
    : NumericEditorControl(std::make_unique<SingleRangeEditor>(ControlKind::Word_UnR, props, images, calc), calc,
                           messages, parent) {
    setObjectName("Word_UnR");
}

}  // namespace neva
