#include "editors/NumericEditor.h"

#include "image/Manejo_de_Datos.h"

namespace neva {

NumericEditor::NumericEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images,
                             CalcHandover& calc)
    : images_(images), calc_(calc), kind_(kind) {
    Direccion = props.read_text("Direccion", "0");
    DataLen = props.read_long(data_len_read_key(kind), default_data_len(kind));
    High = props.read_long("High", 0);
    Titulo = props.read_text("Titulo", "0");
    Medida = props.read_text("Medida", "0");
    Min = props.read_long("Min", 0);
    Max = props.read_long("Max", 0);
    Value = props.read_long("Value", 0);
    Dato = props.read_text("Dato", "0");
    if (kind != ControlKind::Word_TresR) Pos_Texto = props.read_long("Pos_Texto", 0);
    Text = props.read_text("Text", "Text1");
    Enabled = props.read_bool("Enabled", true);
    FontSize = props.read_single("FontSize", kDefaultFontSize);
    BackColor = props.read_long("BackColor", kDefaultBackColor);
}

void NumericEditor::save(PropertyStore& store) const {
    store.write_text("Direccion", Direccion, "0");
    // The read spelling may differ from the write spelling (Word_TresR): drop the
    // old one so the store never holds the width twice.
    store.erase(data_len_read_key(kind_));
    store.write_long(data_len_write_key(kind_), DataLen, default_data_len(kind_));
    store.write_long("High", High, 0);
    store.write_text("Titulo", Titulo, "0");
    store.write_text("Medida", Medida, "0");
    store.write_long("Min", Min, 0);
    store.write_long("Max", Max, 0);
    store.write_long("Value", Value, 0);
    store.write_text("Dato", Dato, "0");
    if (kind_ != ControlKind::Word_TresR) store.write_long("Pos_Texto", Pos_Texto, 0);
    store.write_text("Text", Text, "Text1");
    store.write_bool("Enabled", Enabled, true);
    store.write_single("FontSize", FontSize, kDefaultFontSize);
    store.write_long("BackColor", BackColor, kDefaultBackColor);
}

bool NumericEditor::Inicializacion() {
    position_ = Posicion_Setpoint(Direccion);
    Value = Lee_Setpoint(images_, position_, DataLen, High);
    show(display_for(Value));
    valor_ = Text;
    return true;
}

void NumericEditor::show(std::string text) {
    Text = std::move(text);
    raise(on_refresh);
}

bool NumericEditor::write_value() {
    if (!capacity().holds(Value)) return false;
    texto_hex_ = neva::Texto_Hex(Value, 8);
    return Escribe_Edicion(images_, position_, texto_hex_, DataLen, High);
}

void NumericEditor::fill_handover(CalcHandover& calc) const {
    calc.Calc_Titulo = Titulo;
    calc.Calc_Min = Min;
    calc.Calc_Max = Max;
    calc.Calc_Valor = Value;
    calc.Calc_Medida = Medida;
    const FieldCapacity cap = capacity();
    calc.capacity_min = static_cast<std::int32_t>(cap.min);
    calc.capacity_max = static_cast<std::int32_t>(cap.max);
    fill_ranges(calc);
}

bool NumericEditor::take_handover(const CalcHandover& calc) {
    // The dialog refuses values the field cannot hold; a result that still does not
    // fit (a dialog that was not the numeric entry) is dropped rather than cut.
    if (!capacity().holds(calc.Calc_Resultado)) return false;
    Dato = calc.Calc_Hex;
    Value = calc.Calc_Resultado;
    show(display_for(Value));
    if (!write_value()) return false;
    raise(on_click);
    return true;
}

bool NumericEditor::click_value_box(const std::function<void()>& show_dialog) {
    if (!Enabled) return false;
    // The dialog converts typed values with 1 / scale; without a scale there is nothing
    // it could convert, so it is not shown at all.
    if (escala_a() == 0.0f) return false;
    fill_handover(calc_);
    if (show_dialog) show_dialog();
    return take_handover(calc_);
}

void NumericEditor::double_click() { raise(on_dbl_click); }

}  // namespace neva
