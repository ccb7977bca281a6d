#pragma once
// Word_DosR and Word_TresR: a setpoint whose step grows with the value (a pickup in
// 1 % steps up to 100 % and 10 % steps above; a delay in 0.01 s, 0.1 s and 1 s
// steps). The range of a spin step is chosen from the value before the step: going
// down from a boundary uses the lower range's step, going up from it the upper one's.

#include <array>

#include "editors/NumericEditor.h"

namespace neva {

class MultiRangeEditor : public NumericEditor {
public:
    // kind is ControlKind::Word_DosR (two ranges) or ControlKind::Word_TresR (three).
    MultiRangeEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images, CalcHandover& calc);

    int range_count() const { return kind() == ControlKind::Word_TresR ? 3 : 2; }

    // Word_DosR: Cambio_A is "Cambio_de_paso" (Cambio_B unused); Paso_B is stored and
    // used nowhere, its display always scales by Paso_A with Formato.
    // Word_TresR: FormatoA/B/C per range; no Formato.
    std::int32_t Cambio_A = 0;
    std::int32_t Cambio_B = 0;
    std::int32_t Inc_A = 0, Inc_B = 0, Inc_C = 0;
    Fixed4 Paso_A = 0, Paso_B = 0, Paso_C = 0;
    std::string Formato = "0";
    std::string FormatoA = "0", FormatoB = "0", FormatoC = "0";

    // Range (0 = A, 1 = B, 2 = C) a step down or up from `value` uses.
    int range_down(std::int32_t value) const;
    int range_up(std::int32_t value) const;
    // Range that holds a value (display at Inicializacion and after an entry; the
    // numeric entry dialog's step check).
    int range_of(std::int32_t value) const;
    std::int32_t increment(int range) const;

    // Acts only while Value > Min (down) or Value < Max (up); at the bound nothing is
    // written and no event raised. The step is not clipped, only refused when it
    // would leave the field. The result shows in the pattern of the range used for
    // the step.
    bool spin_down() override;
    bool spin_up() override;

    std::string display_for(std::int32_t value) const override;
    float escala_a() const override;
    void save(PropertyStore& store) const override;

protected:
    void fill_ranges(CalcHandover& calc) const override;

private:
    bool step(int range, int direction);
    Fixed4 scale(int range) const;
    const std::string& pattern(int range) const;
};

}  // namespace neva
