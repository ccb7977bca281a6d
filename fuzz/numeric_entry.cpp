// The numeric entry dialog with an arbitrary hand-over and an arbitrary typed text.
// Input: Calc_Tipo, Min, Max, the old value, the three raw steps, the two range
// boundaries, the scale (one byte, an index into a table), the field width
// (byte, word or none), three display formats ending in a zero byte each, and the
// rest is what the user types.
//
// Besides crashes it checks what the dialog promises: an accepted value lies
// inside the limits and the field and on its range's step grid, with Calc_Hex its
// text; a number whose value lies outside the limits, however long, is never
// accepted.

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "editors/NumericEntry.h"

namespace {

using namespace neva;

// The leading number of a typed text as the C library reads it: blanks, a sign,
// digits and one point. HUGE_VAL when it does not fit a double.
double reference_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) number.push_back(text[i++]);
    bool point = false, digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') digits = true;
        else if (c != '.' || point) break;
        point = point || c == '.';
        number.push_back(c);
    }
    return digits ? std::strtod(number.c_str(), nullptr) : 0.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    CalcHandover calc;
    calc.Calc_Tipo = static_cast<std::uint8_t>(in.byte() % 3 + 1);
    calc.Calc_Titulo = "Delay:";
    calc.Calc_Medida = "Sec";
    calc.Calc_Min = in.int32();
    calc.Calc_Max = in.int32();
    calc.Calc_Valor = in.int32();
    calc.Calc_Inc_A = static_cast<std::int16_t>(in.word());
    calc.Calc_Inc_B = static_cast<std::int16_t>(in.word());
    calc.Calc_Inc_C = static_cast<std::int16_t>(in.word());
    calc.Calc_Cambio_A = in.int32();
    calc.Calc_Cambio_B = in.int32();
    // Raw units per engineering unit, 1 / Paso: those of the register map and a few more.
    constexpr float kScales[] = {0.0f, 1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f, 0.1f, 0.01f, 0.5f, 2.0f, 0.2f, 20.0f};
    calc.Calc_Escala_A = kScales[in.byte() % std::size(kScales)];
    calc.Calc_Escala_B = calc.Calc_Escala_C = calc.Calc_Escala_A;
    switch (in.byte() % 3) {
        case 0: calc.capacity_max = 255; break;
        case 1: calc.capacity_max = 65535; break;
        default: break;  // as wide as the hand-over
    }
    calc.Calc_FormatoA = in.text();
    calc.Calc_FormatoB = in.text();
    calc.Calc_FormatoC = in.text();
    const std::string typed(in.rest());

    fuzz::AnsweringMessages messages;
    NumericEntry dialog(calc, messages);
    dialog.load();
    dialog.set_pantalla(typed);
    const auto tipo = calc.Calc_Tipo;
    if (!dialog.ok()) {
        NEVA_FUZZ_CHECK(!dialog.closed() && messages.boxes == 1);
        dialog.cancel();
        NEVA_FUZZ_CHECK(calc.Calc_Resultado == calc.Calc_Valor);
        return 0;
    }
    const std::int32_t v = calc.Calc_Resultado;
    NEVA_FUZZ_CHECK(dialog.closed() && dialog.accepted() && messages.boxes == 0);
    NEVA_FUZZ_CHECK(v >= calc.Calc_Min && v <= calc.Calc_Max);
    NEVA_FUZZ_CHECK(v >= calc.capacity_min && v <= calc.capacity_max);
    NEVA_FUZZ_CHECK(calc.Calc_Tipo == 1 && calc.Calc_Hex == NumericEntry::build_calc_hex(v));
    calc.Calc_Tipo = tipo;
    const std::int64_t step = dialog.step_for(v);
    NEVA_FUZZ_CHECK(step == 0 || v % step == 0);
    // The typed number, whatever its length, lay within the limits.
    const double wanted = reference_number(typed) * static_cast<double>(calc.Calc_Escala_A);
    NEVA_FUZZ_CHECK(wanted <= calc.Calc_Max + 0.5 && wanted >= calc.Calc_Min - 0.5);
    return 0;
}
