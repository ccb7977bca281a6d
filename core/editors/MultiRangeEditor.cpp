#include "editors/MultiRangeEditor.h"

#include "image/ValueFormat.h"

namespace neva {

namespace {

float inverse(Fixed4 scale) {
    return scale == 0 ? 0.0f : static_cast<float>(static_cast<double>(kFixedOne) / static_cast<double>(scale));
}

}  // namespace

MultiRangeEditor::MultiRangeEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images,
                                   CalcHandover& calc)
    : NumericEditor(kind, props, images, calc) {
    Inc_A = props.read_long("Inc_A", 0);
    Inc_B = props.read_long("Inc_B", 0);
    Paso_A = props.read_fixed("Paso_A", 0);
    Paso_B = props.read_fixed("Paso_B", 0);
    if (kind == ControlKind::Word_TresR) {
        Cambio_A = props.read_long("Cambio_A", 0);
        Cambio_B = props.read_long("Cambio_B", 0);
        Inc_C = props.read_long("Inc_C", 0);
        Paso_C = props.read_fixed("Paso_C", 0);
        FormatoA = props.read_text("FormatoA", "0");
        FormatoB = props.read_text("FormatoB", "0");
        FormatoC = props.read_text("FormatoC", "0");
    } else {
        Cambio_A = props.read_long("Cambio_de_paso", 0);
        Formato = props.read_text("Formato", "0");
    }
}

void MultiRangeEditor::save(PropertyStore& store) const {
    NumericEditor::save(store);
    store.write_long("Inc_A", Inc_A, 0);
    store.write_long("Inc_B", Inc_B, 0);
    store.write_fixed("Paso_A", Paso_A, 0);
    store.write_fixed("Paso_B", Paso_B, 0);
    if (kind() == ControlKind::Word_TresR) {
        store.write_long("Cambio_A", Cambio_A, 0);
        store.write_long("Cambio_B", Cambio_B, 0);
        store.write_long("Inc_C", Inc_C, 0);
        store.write_fixed("Paso_C", Paso_C, 0);
        store.write_text("FormatoA", FormatoA, "0");
        store.write_text("FormatoB", FormatoB, "0");
        store.write_text("FormatoC", FormatoC, "0");
    } else {
        store.write_long("Cambio_de_paso", Cambio_A, 0);
        store.write_text("Formato", Formato, "0");
    }
}

int MultiRangeEditor::range_down(std::int32_t value) const {
    if (kind() == ControlKind::Word_TresR) {
        if (value > Cambio_B) return 2;
        return value <= Cambio_A ? 0 : 1;
    }
    return value <= Cambio_A ? 0 : 1;
}

int MultiRangeEditor::range_up(std::int32_t value) const {
    if (kind() == ControlKind::Word_TresR) {
        if (value >= Cambio_B) return 2;
        return value < Cambio_A ? 0 : 1;
    }
    return value >= Cambio_A ? 1 : 0;
}

int MultiRangeEditor::range_of(std::int32_t value) const {
    if (value < Cambio_A) return 0;
    if (kind() == ControlKind::Word_TresR && value >= Cambio_B) return 2;
    return 1;
}

std::int32_t MultiRangeEditor::increment(int range) const { return range == 0 ? Inc_A : range == 1 ? Inc_B : Inc_C; }

Fixed4 MultiRangeEditor::scale(int range) const {
    if (kind() == ControlKind::Word_DosR) return Paso_A;
    return range == 0 ? Paso_A : range == 1 ? Paso_B : Paso_C;
}

const std::string& MultiRangeEditor::pattern(int range) const {
    if (kind() == ControlKind::Word_DosR) return Formato;
    return range == 0 ? FormatoA : range == 1 ? FormatoB : FormatoC;
}

std::string MultiRangeEditor::display_for(std::int32_t value) const {
    // Always Paso_A: the three scales of every three-range editor are equal, and the
    // pattern alone tells the ranges apart (100 shows 1.0 Sec, 99 shows 0.99 Sec).
    return display_text(value, Paso_A, pattern(range_of(value)), Medida);
}

float MultiRangeEditor::escala_a() const { return inverse(Paso_A); }

void MultiRangeEditor::fill_ranges(CalcHandover& calc) const {
    calc.Calc_Inc_A = static_cast<std::int16_t>(Inc_A);
    calc.Calc_Inc_B = static_cast<std::int16_t>(Inc_B);
    calc.Calc_Cambio_A = Cambio_A;
    calc.Calc_Escala_A = inverse(Paso_A);
    if (kind() == ControlKind::Word_TresR) {
        calc.Calc_Tipo = 3;
        calc.Calc_Inc_C = static_cast<std::int16_t>(Inc_C);
        calc.Calc_Cambio_B = Cambio_B;
        calc.Calc_Escala_B = inverse(Paso_B);
        calc.Calc_Escala_C = inverse(Paso_C);
        calc.Calc_FormatoA = FormatoA;
        calc.Calc_FormatoB = FormatoB;
        calc.Calc_FormatoC = FormatoC;
    } else {
        calc.Calc_Tipo = 2;
        calc.Calc_Inc_C = 0;
        calc.Calc_Cambio_B = 0;
        calc.Calc_Escala_B = calc.Calc_Escala_C = 0.0f;
        calc.Calc_FormatoA.clear();
        calc.Calc_FormatoB.clear();
        calc.Calc_FormatoC.clear();
    }
}

bool MultiRangeEditor::step(int range, int direction) {
    const std::int64_t next = static_cast<std::int64_t>(Value) + direction * static_cast<std::int64_t>(increment(range));
    if (!capacity().holds(next)) return false;
    Value = static_cast<std::int32_t>(next);
    // The result shows once more in the pattern of the range the step came from
    // (99 up shows 1.00 Sec), as the relay engineers are used to.
    show(display_text(Value, scale(range), pattern(range), Medida));
    if (!write_value()) return false;
    raise(on_change);
    return true;
}

bool MultiRangeEditor::spin_down() {
    if (!Enabled || !(Value > Min)) return false;
    return step(range_down(Value), -1);
}

bool MultiRangeEditor::spin_up() {
    if (!Enabled || !(Value < Max)) return false;
    return step(range_up(Value), +1);
}

}  // namespace neva
