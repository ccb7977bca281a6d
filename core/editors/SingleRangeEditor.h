#pragma once
// Byte_UnR and Word_UnR: one numeric setpoint with one step size. Byte_UnR scales
// by a single-precision Paso and is the editor of the setpoint pages; Word_UnR is
// the same editor with a fixed-point Paso, a byte-wide default field and the
// "Datalen" key spelling, and keeps Dato across spin steps.

#include "editors/NumericEditor.h"

namespace neva {

class SingleRangeEditor : public NumericEditor {
public:
    // kind is ControlKind::Byte_UnR or ControlKind::Word_UnR.
    SingleRangeEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images, CalcHandover& calc);

    std::int32_t SmallChange = 0;  // raw spinner step
    std::string Formato = "0";
    float Paso = 0.0f;        // Byte_UnR scale
    Fixed4 Paso_Fijo = 0;     // Word_UnR scale (the "Paso" key), 1/10000 units

    // Down: Value - SmallChange if Value > Min; up: Value + SmallChange if Value < Max.
    // At the bound the value stays, yet it is written again and Change is raised.
    // The step is not clipped at Min or Max, only refused when it would leave the field.
    bool spin_down() override;
    bool spin_up() override;

    // Writes the current Value into the edit image like a change does, without display
    // update or event. Returns False, as the control always did.
    bool Actualizar();
    // Builds Texto_Hex from a value (8 upper-case hexadecimal digits).
    void Cambio(std::int32_t value);

    std::string display_for(std::int32_t value) const override;
    float escala_a() const override;
    void save(PropertyStore& store) const override;

protected:
    void fill_ranges(CalcHandover& calc) const override;

private:
    bool spin(std::int64_t step, bool can_move);
};

}  // namespace neva
