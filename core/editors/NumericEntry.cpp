#include "editors/NumericEntry.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "image/ValueFormat.h"

namespace neva {

namespace {

// Step texts are plain decimals of the engineering step (1 / 100 -> "0.01").
std::string plain(double value) { return plain_decimal(to_fixed(value)); }

double divide(double value, float scale) { return scale == 0.0f ? 0.0 : value / static_cast<double>(scale); }

}  // namespace

NumericEntry::NumericEntry(CalcHandover& calc, MessageService& messages) : calc_(calc), messages_(messages) {}

void NumericEntry::load() {
    closed_ = accepted_ = false;
    pantalla_.clear();
    titulo_ = calc_.Calc_Titulo;
    const std::string unit = calc_.Calc_Medida;

    if (calc_.Calc_Tipo == 3) {
        const float sa = calc_.Calc_Escala_A, sb = calc_.Calc_Escala_B, sc = calc_.Calc_Escala_C;
        const std::string &fa = calc_.Calc_FormatoA, &fb = calc_.Calc_FormatoB, &fc = calc_.Calc_FormatoC;
        const std::int32_t v = calc_.Calc_Valor;
        if (v < calc_.Calc_Cambio_A) viejo_ = format_number(divide(v, sa), fa);
        else if (v >= calc_.Calc_Cambio_B) viejo_ = format_number(divide(v, sc), fc);
        else viejo_ = format_number(divide(v, sb), fb);
        viejo_ += " " + unit;
        rango_ = format_number(divide(calc_.Calc_Min, sa), fa) + " To " + format_number(divide(calc_.Calc_Max, sc), fc) +
                 " " + unit;
        incremento_ = plain(divide(calc_.Calc_Inc_A, sa)) + ": For Values < " +
                      format_number(divide(calc_.Calc_Cambio_A, sa), fa) + " " + unit;
        incremento_b_ = plain(divide(calc_.Calc_Inc_B, sb)) + ": For Values >= " +
                        format_number(divide(calc_.Calc_Cambio_A, sb), fb) + " AND < " +
                        format_number(divide(calc_.Calc_Cambio_B, sb), fb) + " " + unit;
        incremento_c_ = plain(divide(calc_.Calc_Inc_C, sc)) + ": For Values >= " +
                        format_number(divide(calc_.Calc_Cambio_B, sc), fc) + " " + unit;
        incremento_b_visible_ = incremento_c_visible_ = true;
        return;
    }

    // One or two ranges: the format follows the scale of the first range.
    const float s = calc_.Calc_Escala_A;
    std::string_view format;
    if (s <= 1.0f) format = "####0";
    else if (s < 10.0f) format = "##0.00";
    else if (s == 10.0f) format = "##0.0";
    else format = "##0.00";
    viejo_ = format_number(divide(calc_.Calc_Valor, s), format) + " " + unit;
    rango_ = format_number(divide(calc_.Calc_Min, s), format) + " To " + format_number(divide(calc_.Calc_Max, s), format) +
             " " + unit;
    if (calc_.Calc_Tipo == 2) {
        const std::string boundary = format_number(divide(calc_.Calc_Cambio_A, s), "####0");
        incremento_ = plain(divide(calc_.Calc_Inc_A, s)) + ": For Values < " + boundary + " " + unit;
        incremento_b_ = plain(divide(calc_.Calc_Inc_B, s)) + ": For Values >= " + boundary + " " + unit;
        incremento_c_.clear();
        incremento_b_visible_ = true;
        incremento_c_visible_ = false;
    } else {
        incremento_ = plain(divide(calc_.Calc_Inc_A, s));
        incremento_b_.clear();
        incremento_c_.clear();
        incremento_b_visible_ = incremento_c_visible_ = false;
    }
}

void NumericEntry::press_digit(int digit) {
    if (digit < 0 || digit > 9) return;
    pantalla_.push_back(static_cast<char>('0' + digit));
}

void NumericEntry::press_point() { pantalla_.push_back('.'); }

void NumericEntry::press_ce() { pantalla_.clear(); }

std::int32_t NumericEntry::step_for(std::int32_t raw) const {
    switch (calc_.Calc_Tipo) {
        case 2: return raw < calc_.Calc_Cambio_A ? calc_.Calc_Inc_A : calc_.Calc_Inc_B;
        case 3:
            if (raw < calc_.Calc_Cambio_A) return calc_.Calc_Inc_A;
            if (raw < calc_.Calc_Cambio_B) return calc_.Calc_Inc_B;
            return calc_.Calc_Inc_C;
        default: return calc_.Calc_Inc_A;
    }
}

void NumericEntry::refuse(std::string_view text) {
    messages_.message_box(std::string(text), MsgButtons::Ok, MsgIcon::None, kAppTitle);
}

bool NumericEntry::ok() {
    if (closed_) return accepted_;
    const double x = round_half_even(leading_number(pantalla_) * static_cast<double>(calc_.Calc_Escala_A));
    // A number too large for a register value at all is out of range like any other;
    // converting it would overflow.
    if (!std::isfinite(x) || x < std::numeric_limits<std::int32_t>::min() ||
        x > std::numeric_limits<std::int32_t>::max()) {
        refuse(kOutOfRange);
        return false;
    }
    const auto v = static_cast<std::int32_t>(x);
    calc_.Calc_Resultado = v;
    if (v < calc_.Calc_Min || v > calc_.Calc_Max || v < calc_.capacity_min || v > calc_.capacity_max) {
        refuse(kOutOfRange);
        return false;
    }
    // A range without a step has no grid to check against (and a remainder by zero
    // has no answer); the register map never gives one.
    const std::int32_t step = step_for(v);
    if (step != 0 && v % step != 0) {
        refuse(kIncorrectRange);
        return false;
    }
    calc_.Calc_Hex = build_calc_hex(calc_.Calc_Resultado);
    calc_.Calc_Tipo = 1;
    close(true);
    return true;
}

void NumericEntry::cancel() {
    if (closed_) return;
    calc_.Calc_Resultado = calc_.Calc_Valor;
    calc_.Calc_Hex = build_calc_hex(calc_.Calc_Resultado);
    calc_.Calc_Tipo = 1;
    close(false);
}

void NumericEntry::close(bool accepted) {
    closed_ = true;
    accepted_ = accepted;
    if (on_close) on_close();
}

std::string NumericEntry::build_calc_hex(std::int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
    std::string h = buf;
    if (h.size() <= 4) return "&H" + std::string(4 - h.size(), '0') + h;
    return h;
}

double NumericEntry::leading_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') number.push_back('-');
        ++i;
    }
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number.push_back(c);
            digits = true;
        } else if ((c == '.' || c == ',') && !point) {
            // Engineers with a comma-decimal keyboard type "1,5": it means 1.5, not 1.
            number.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0;
    // from_chars reads "." whatever the user's locale says the decimal point is.
    double v = 0.0;
    if (std::from_chars(number.data(), number.data() + number.size(), v).ec == std::errc::result_out_of_range) {
        // from_chars leaves v untouched when the number does not fit a double. Too large
        // (300 digits and more) it must stay too large, so that OK answers "Out of
        // Range" instead of taking it as 0; too small it is 0 like any tiny fraction.
        const bool large = number.find_first_of("123456789") < number.find('.');
        if (!large) return 0.0;
        return number[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    return v;
}

double NumericEntry::round_half_even(double value) {
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5) return lower;
    if (diff > 0.5) return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

}  // namespace neva
