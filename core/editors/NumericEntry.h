#pragma once
// Calculadora: the numeric entry dialog an editor opens when its value box is
// clicked. It shows what is edited (title, old value, range, steps), collects the
// typed engineering value from the keypad or the keyboard and on OK turns it into
// the raw register value, accepting it only inside the limits, inside what the field
// can hold, and on the step grid of the range that holds it. The editor's data and
// the result travel through the shared hand-over (CalcHandover).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/MessageService.h"
#include "startup/SharedState.h"

namespace neva {

class NumericEntry {
public:
    // Fixed captions of the dialog.
    static constexpr std::string_view kOldValueCaption = "Old Value:";
    static constexpr std::string_view kRangeCaption = "Range:";
    static constexpr std::string_view kIncrementCaption = "Increment:";
    static constexpr std::string_view kOutOfRange = "Out of Range";
    static constexpr std::string_view kIncorrectRange = "Incorrect Range";

    NumericEntry(CalcHandover& calc, MessageService& messages);

    // Fills the labels from the hand-over and empties the display.
    void load();

    // Labels (controls of the dialog).
    const std::string& Titulo() const { return titulo_; }
    const std::string& Viejo() const { return viejo_; }
    const std::string& Rango() const { return rango_; }
    const std::string& Incremento() const { return incremento_; }
    const std::string& Incremento_b() const { return incremento_b_; }
    const std::string& Incremento_c() const { return incremento_c_; }
    bool incremento_b_visible() const { return incremento_b_visible_; }
    bool incremento_c_visible() const { return incremento_c_visible_; }

    // Display Pantalla and keypad.
    const std::string& Pantalla() const { return pantalla_; }
    void set_pantalla(std::string text) { pantalla_ = std::move(text); }  // typed into the box
    void press_digit(int digit);  // Numeros(0..9)
    void press_point();           // Command2 "."
    void press_ce();              // Command1 "CE"

    // OK: true when the value was accepted and the dialog closes; false after
    // "Out of Range" or "Incorrect Range", with the display kept as typed.
    bool ok();
    // Cancel (also closing through the window frame): the old value comes back.
    void cancel();
    bool closed() const { return closed_; }
    bool accepted() const { return accepted_; }
    std::function<void()> on_close;

    // Raw step that applies to a raw value (the range that holds it).
    std::int32_t step_for(std::int32_t raw) const;

    // "&H" and four upper-case hexadecimal digits, or the digits alone beyond four.
    static std::string build_calc_hex(std::int32_t value);
    // Leading number of a text ("." or "," as the decimal point); 0 when there is none.
    static double leading_number(std::string_view text);
    // Nearest integer, a tie going to the even one.
    static double round_half_even(double value);

private:
    void close(bool accepted);
    void refuse(std::string_view text);

    CalcHandover& calc_;
    MessageService& messages_;
    std::string titulo_, viejo_, rango_, incremento_, incremento_b_, incremento_c_;
    bool incremento_b_visible_ = true;
    bool incremento_c_visible_ = true;
    std::string pantalla_;
    bool closed_ = false;
    bool accepted_ = false;
};

}  // namespace neva
