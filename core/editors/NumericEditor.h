#pragma once
// What the numeric setpoint editors share (Byte_UnR, Word_UnR, Word_DosR,
// Word_TresR): the binding of one register field, the display of the raw value,
// the write of every change into Imagen_Edicion and the hand-over to the numeric
// entry dialog. The Qt controls wrap these models one to one: a button press calls
// spin_down()/spin_up(), a click on the value box calls click_value_box() with a
// function that shows the dialog, and the control repaints from Text after each
// on_refresh.
//
// No value ever leaves the capacity of its field (0..255 for a byte, 0..65535 for a
// word): a step or an entry that would is refused - Value stays, nothing is written
// and no event is raised - because the image would otherwise keep a different
// number from the one on the screen.

#include <cstdint>
#include <functional>
#include <string>

#include "image/RegisterImages.h"
#include "regmap/ControlKind.h"
#include "regmap/PropertyStore.h"
#include "startup/SharedState.h"

namespace neva {

// Default colours of a new control (system window and window-text colours).
inline constexpr std::int32_t kDefaultBackColor = static_cast<std::int32_t>(0x80000005u);
inline constexpr std::int32_t kDefaultForeColor = static_cast<std::int32_t>(0x80000008u);
inline constexpr float kDefaultFontSize = 8.25f;

class NumericEditor {
public:
    virtual ~NumericEditor() = default;
    NumericEditor(const NumericEditor&) = delete;
    NumericEditor& operator=(const NumericEditor&) = delete;

    ControlKind kind() const { return kind_; }

    // Stored properties (keys and defaults as the property store holds them).
    std::string Direccion = "0";
    int DataLen = 0;
    int High = 0;
    std::string Titulo = "0";
    std::string Medida = "0";
    std::int32_t Min = 0;
    std::int32_t Max = 0;
    std::int32_t Value = 0;
    std::string Dato = "0";  // last value handed over: "&H" text after an entry, or a number as text
    int Pos_Texto = 0;
    std::string Text = "Text1";  // the value box
    bool Enabled = true;
    float FontSize = kDefaultFontSize;
    std::int32_t BackColor = kDefaultBackColor;

    // Image position of the register, set by Inicializacion (0 until then).
    int position() const { return position_; }
    // Pending value text of the last change (empty until the first change).
    const std::string& Texto_Hex() const { return texto_hex_; }
    // Display text set by the last Inicializacion.
    const std::string& Valor() const { return valor_; }
    // 0..255 or 0..65535 by DataLen.
    FieldCapacity capacity() const { return field_capacity(DataLen); }

    // Loads the field from Imagen_Setpoints and shows it; writes nothing, raises nothing.
    bool Inicializacion();
    // Spinner buttons. True when the editor wrote into the edit image and raised Change.
    virtual bool spin_down() = 0;
    virtual bool spin_up() = 0;
    // Click on the value box: fills the hand-over, calls show_dialog (which runs the
    // numeric entry dialog modally), takes the result back, writes it and raises Click.
    // False when the editor is disabled, has no usable scale, or the result was refused.
    bool click_value_box(const std::function<void()>& show_dialog);
    // The two halves of click_value_box, for a caller that shows the dialog itself.
    void fill_handover(CalcHandover& calc) const;
    bool take_handover(const CalcHandover& calc);
    // Double click on the value box: raises DblClick only.
    void double_click();

    // The text the value box shows for a raw value outside any step (Inicializacion,
    // numeric entry).
    virtual std::string display_for(std::int32_t value) const = 0;
    // 1 / scale of the first range, as the dialog receives it; 0 when the scale is 0.
    virtual float escala_a() const = 0;

    // Writes every property into a store under this kind's key spellings, leaving out
    // those equal to a new instance's default.
    virtual void save(PropertyStore& store) const;

    // Events (declared in this order on the controls).
    std::function<void()> on_change;     // after a spin step
    std::function<void()> on_click;      // after a numeric entry
    std::function<void()> on_dbl_click;  // double click on the value box
    std::function<void()> on_refresh;    // the value box text changed: repaint

protected:
    NumericEditor(ControlKind kind, const PropertyStore& props, RegisterImages& images, CalcHandover& calc);

    // The hand-over fields particular to the kind (Calc_Tipo, steps, boundaries, scales).
    virtual void fill_ranges(CalcHandover& calc) const = 0;

    // Shows a text in the value box and asks for a repaint.
    void show(std::string text);
    // Texto_Hex from Value and the write into Imagen_Edicion. False (nothing written)
    // when Value does not fit the field.
    bool write_value();
    static void raise(const std::function<void()>& event) {
        if (event) event();
    }

    RegisterImages& images_;
    CalcHandover& calc_;
    int position_ = 0;
    std::string texto_hex_;
    std::string valor_;

private:
    ControlKind kind_;
};

}  // namespace neva
