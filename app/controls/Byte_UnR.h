#pragma once
// Byte_UnR: a numeric setpoint with one step size and a single-precision scale, the
// editor of the setpoint pages and of the relay address on the connection form.
// A thin window over the SingleRangeEditor model; see NumericEditorControl.

#include "controls/NumericEditorControl.h"
#include "editors/SingleRangeEditor.h"

namespace neva {

class Byte_UnR : public NumericEditorControl {
    Q_OBJECT
public:
    Byte_UnR(const PropertyStore& props, RegisterImages& images, CalcHandover& calc, MessageService& messages,
             QWidget* parent = nullptr);

    SingleRangeEditor& editor() { return static_cast<SingleRangeEditor&>(model()); }
    // Writes the current Value into Imagen_Edicion like a change does, without display
    // update or event; returns False, as the control always did.
    bool Actualizar() { return editor().Actualizar(); }
    // Builds Texto_Hex from a value.
    void Cambio(std::int32_t value) { editor().Cambio(value); }
};

}  // namespace neva
