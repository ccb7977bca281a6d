#include "editors/SingleRangeEditor.h"

#include "image/Manejo_de_Datos.h"
#include "image/ValueFormat.h"

namespace neva {

SingleRangeEditor::SingleRangeEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images,
                                     CalcHandover& calc)
    : NumericEditor(kind, props, images, calc) {
    SmallChange = props.read_long("SmallChange", 0);
    Formato = props.read_text("Formato", "0");
    if (kind == ControlKind::Word_UnR) Paso_Fijo = props.read_fixed("Paso", 0);
    else Paso = props.read_single("Paso", 0.0f);
}

void SingleRangeEditor::save(PropertyStore& store) const {
    NumericEditor::save(store);
    store.write_long("SmallChange", SmallChange, 0);
    store.write_text("Formato", Formato, "0");
    if (kind() == ControlKind::Word_UnR) store.write_fixed("Paso", Paso_Fijo, 0);
    else store.write_single("Paso", Paso, 0.0f);
}

std::string SingleRangeEditor::display_for(std::int32_t value) const {
    if (kind() == ControlKind::Word_UnR) return display_text(value, Paso_Fijo, Formato, Medida);
    // The product is taken in double precision from the single-precision Paso; the
    // formatter first brings it to the nearest 1/10000, so 15 x 0.1f shows 1.5.
    std::string text = format_number(static_cast<double>(value) * static_cast<double>(Paso), Formato);
    text.push_back(' ');
    text += Medida;
    return text;
}

float SingleRangeEditor::escala_a() const {
    if (kind() == ControlKind::Word_UnR)
        return Paso_Fijo == 0 ? 0.0f : static_cast<float>(static_cast<double>(kFixedOne) / static_cast<double>(Paso_Fijo));
    return Paso == 0.0f ? 0.0f : 1.0f / Paso;
}

void SingleRangeEditor::fill_ranges(CalcHandover& calc) const {
    calc.Calc_Tipo = 1;
    calc.Calc_Inc_A = static_cast<std::int16_t>(SmallChange);
    calc.Calc_Inc_B = calc.Calc_Inc_C = 0;
    calc.Calc_Cambio_A = calc.Calc_Cambio_B = 0;
    calc.Calc_Escala_A = escala_a();
    calc.Calc_Escala_B = calc.Calc_Escala_C = 0.0f;
    calc.Calc_FormatoA.clear();
    calc.Calc_FormatoB.clear();
    calc.Calc_FormatoC.clear();
}

bool SingleRangeEditor::spin(std::int64_t step, bool can_move) {
    if (!Enabled) return false;
    if (can_move) {
        const std::int64_t next = static_cast<std::int64_t>(Value) + step;
        if (!capacity().holds(next)) return false;
        Value = static_cast<std::int32_t>(next);
        show(display_for(Value));
    }
    if (kind() == ControlKind::Byte_UnR) Dato = std::to_string(Value);
    Cambio(Value);
    if (!write_value()) return false;
    raise(on_change);
    return true;
}

bool SingleRangeEditor::spin_down() { return spin(-static_cast<std::int64_t>(SmallChange), Value > Min); }
bool SingleRangeEditor::spin_up() { return spin(SmallChange, Value < Max); }

bool SingleRangeEditor::Actualizar() {
    write_value();
    return false;
}

void SingleRangeEditor::Cambio(std::int32_t value) { texto_hex_ = neva::Texto_Hex(value, 8); }

}  // namespace neva
