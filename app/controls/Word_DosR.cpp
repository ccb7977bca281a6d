#include "controls/Word_DosR.h"

namespace neva {

Word_DosR::Word_DosR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
                     QWidget* parent)
    : NumericEditorControl(std::make_unique<MultiRangeEditor>(ControlKind::Word_DosR, props, images, calc), calc,
                           messages, parent) {
    setObjectName("Word_DosR");
}

}  // namespace neva
