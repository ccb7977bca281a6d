#include "editors/EditorFactory.h"

#include "editors/MultiRangeEditor.h"
#include "editors/SingleRangeEditor.h"

namespace neva {

std::unique_ptr<NumericEditor> make_numeric_editor(ControlKind kind, const PropertyStore& props,
                                                   RegisterImages& images, CalcHandover& calc) {
    switch (kind) {
        case ControlKind::Byte_UnR:
        case ControlKind::Word_UnR:
            return std::make_unique<SingleRangeEditor>(kind, props, images, calc);
        case ControlKind::Word_DosR:
        case ControlKind::Word_TresR:
            return std::make_unique<MultiRangeEditor>(kind, props, images, calc);
        default:
            return nullptr;
    }
}

}  // namespace neva
