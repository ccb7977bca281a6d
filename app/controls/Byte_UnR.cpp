#include "controls/Byte_UnR.h"

namespace neva {

Byte_UnR::Byte_UnR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
                   QWidget* parent)
    : NumericEditorControl(std::make_unique<SingleRangeEditor>(ControlKind::Byte_UnR, props, images, calc), calc,
                           messages, parent) {
    setObjectName("Byte_UnR");
}

}  // namespace neva
